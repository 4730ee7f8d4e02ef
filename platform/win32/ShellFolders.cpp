// The shell's special folders: SHGetFolderPathW, the folder as it is now.
// The interface comes first: shlobj.h defines the CSIDL names as macros,
// which would clash with its constants of the same names.
#include "platform/ShellFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/Wide.h"

namespace platform {

std::string systemShellFolder(int csidl) {
  // The bits above the folder number are flags (CSIDL_FLAG_CREATE among
  // them) that the shell would act on: such a number names no folder here.
  if (csidl < 0 || csidl > 0xFF) return {};
  wchar_t buffer[MAX_PATH + 1] = {};
  if (::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return {};
  std::string dir = win32::narrow(buffer);
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

}  // namespace platform
