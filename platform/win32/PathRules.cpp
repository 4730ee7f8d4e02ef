// Windows paths: "\" separates folders ("/" is taken too), and the fixed
// fall-back folders are the documented ones.
#include "platform/PathRules.h"

namespace platform {

char pathSeparator() { return '\\'; }

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string nativePath(std::string_view windowsPath) { return std::string(windowsPath); }

std::string withTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string documentsFallback() { return "C:\\My Documents\\"; }

std::string tempFallback() { return "C:\\Temp\\"; }

std::string commonAppDataFallback() { return "C:\\Documents and Settings\\All Users\\Application Data\\"; }

std::string textAroundTokens(std::string text) { return text; }

bool namesNoFolder(std::string_view folder) { return folder.empty(); }

bool countsAsPresent(std::string_view folder) { return folder.size() < 3; }

}  // namespace platform
