// The version-information component: the standard strings and the four
// version numbers of a file's version resource, by default the running
// program's own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quillbray {

class TVersionInfo {
 public:
  // Loads the version resource of the running program's file.
  TVersionInfo();
  ~TVersionInfo();  // FreeVersionBuffer
  TVersionInfo(const TVersionInfo&) = delete;
  TVersionInfo& operator=(const TVersionInfo&) = delete;

  // Loads the version fields of fileName; the name it already has changes
  // nothing. A file without version resource leaves the text fields as they
  // were.
  void SetFileName(const std::string& fileName);
  const std::string& FileName() const { return fileName_; }

  // The string of that name, from the first translation that has it
  // ("\StringFileInfo\<lang><codepage>\<name>"), or without a translation
  // table from "StringFileInfo\040904E4\<name>"; empty when none has it.
  std::string GetVersionString(const std::string& name) const;
  // The file flags as words: 0x03 => "Test, Pre-release version"; 0 or no
  // fixed part => "".
  std::string GetFileFlagsText() const;

  struct TFileVersionParts {
    std::string Major, Minor, Release, Build;
  };
  // The four parts of a dotted version text, each trimmed; the last keeps
  // whatever follows the third dot:
  //   "4.1.0.1" => 4 1 0 1   "4.1.0" => 4 1 "" 0   "4.1.0.1 beta" => 4 1 0 "1 beta"
  static TFileVersionParts ParseFileVersion(const std::string& text);

  // Releases the version buffer.
  void FreeVersionBuffer();
  std::uint32_t VersionBufferSize() const { return bufferSize_; }

  std::string CompanyName;
  std::string FileDescription;
  std::string FileVersion;
  std::string InternalName;
  std::string LegalCopyright;
  std::string LegalTradeMarks;
  std::string OriginalFilename;
  std::string ProductName;
  std::string ProductVersion;
  std::string Comments;
  std::string FileFlagsText;
  std::string MajorVersion;
  std::string MinorVersion;
  std::string Release;
  std::string Build;

 private:
  std::string fileName_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::uint32_t bufferSize_ = 0;
};

// What a program's --version prints, from its version resource:
//   quillbray-import (Quillbray) 4.1.0
//   File version 4.1.0.0
//   Copyright (C) 2026 Corvellan
// or, when the program file has none, "PROGRAM: no version resource in
// FILE" and a line end.
std::string VersionText(const TVersionInfo& versionInfo, const std::string& program);

}  // namespace quillbray
