#include "common/VersionInfo.h"

namespace quillbray {

std::string VersionText(const TVersionInfo& versionInfo, const std::string& program) {
  if (versionInfo.VersionBufferSize() == 0) return program + ": no version resource in " + versionInfo.FileName() + "\n";
  std::string text = versionInfo.InternalName + " (" + versionInfo.ProductName + ") " + versionInfo.ProductVersion +
                     "\nFile version " + versionInfo.MajorVersion + "." + versionInfo.MinorVersion + "." +
                     versionInfo.Release + "." + versionInfo.Build;
  if (!versionInfo.FileFlagsText.empty()) text += " (" + versionInfo.FileFlagsText + ")";
  text += "\n";
  if (!versionInfo.LegalCopyright.empty()) text += versionInfo.LegalCopyright + "\n";
  return text;
}

}  // namespace quillbray
