#include "common/VersionInfo.h"

#include <cstdio>
#include <span>

#include "platform/ProgramFile.h"
#include "platform/VersionResource.h"

namespace quillbray {
namespace {

// VS_FIXEDFILEINFO: the words read here, and its whole size, below which a
// fixed part counts as missing for the numbers.
constexpr std::size_t kFileVersionMs = 8, kFileVersionLs = 12, kFileFlags = 28, kFixedSize = 52;

std::uint32_t dword(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

bool isSpaceOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string trim(const std::string& s) {
  std::size_t begin = 0, end = s.size();
  while (begin < end && isSpaceOrControl(s[begin])) ++begin;
  while (end > begin && isSpaceOrControl(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

// One split at the first dot: the head (empty without a dot) and the rest
// (the whole text without a dot), both trimmed.
std::pair<std::string, std::string> splitAtDot(const std::string& text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string::npos) return {"", trim(text)};
  return {trim(text.substr(0, dot)), trim(text.substr(dot + 1))};
}

}  // namespace

TVersionInfo::TVersionInfo() { SetFileName(platform::programFilePath()); }

TVersionInfo::~TVersionInfo() { FreeVersionBuffer(); }

void TVersionInfo::SetFileName(const std::string& fileName) {
  if (fileName == fileName_) return;
  fileName_ = fileName;
  FreeVersionBuffer();
  bufferSize_ = platform::getFileVersionInfoSize(fileName_);
  if (bufferSize_ == 0) return;
  buffer_ = std::make_unique<unsigned char[]>(bufferSize_);
  // A read that fails after the size was known leaves a zeroed buffer,
  // which answers no query.
  platform::getFileVersionInfo(fileName_, bufferSize_, buffer_.get());

  CompanyName = GetVersionString("CompanyName");
  FileDescription = GetVersionString("FileDescription");
  FileVersion = GetVersionString("FileVersion");
  InternalName = GetVersionString("InternalName");
  LegalCopyright = GetVersionString("LegalCopyright");
  LegalTradeMarks = GetVersionString("LegalTradeMarks");
  OriginalFilename = GetVersionString("OriginalFilename");
  ProductName = GetVersionString("ProductName");
  ProductVersion = GetVersionString("ProductVersion");
  Comments = GetVersionString("Comments");
  FileFlagsText = GetFileFlagsText();

  const auto fixed = platform::verQueryValue({buffer_.get(), bufferSize_}, "\\");
  if (fixed && fixed->bytes.size() >= kFixedSize) {
    const std::uint32_t ms = dword(fixed->bytes, kFileVersionMs), ls = dword(fixed->bytes, kFileVersionLs);
    MajorVersion = std::to_string(ms >> 16);
    MinorVersion = std::to_string(ms & 0xFFFF);
    Release = std::to_string(ls >> 16);
    Build = std::to_string(ls & 0xFFFF);
  } else {
    TFileVersionParts parts = ParseFileVersion(FileVersion);
    MajorVersion = std::move(parts.Major);
    MinorVersion = std::move(parts.Minor);
    Release = std::move(parts.Release);
    Build = std::move(parts.Build);
  }
}

std::string TVersionInfo::GetVersionString(const std::string& name) const {
  const std::span<const unsigned char> block(buffer_.get(), bufferSize_);
  const auto translation = platform::verQueryValue(block, "\\VarFileInfo\\Translation");
  if (!translation) {
    const auto value = platform::verQueryValue(block, "StringFileInfo\\040904E4\\" + name);
    return value ? value->text : std::string();
  }
  for (std::size_t at = 0; at + 4 <= translation->bytes.size(); at += 4) {
    const unsigned language = translation->bytes[at] | translation->bytes[at + 1] << 8;
    const unsigned codePage = translation->bytes[at + 2] | translation->bytes[at + 3] << 8;
    char key[32];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%.4x%.4x\\", language, codePage);
    if (const auto value = platform::verQueryValue(block, key + name)) return value->text;
  }
  return {};
}

std::string TVersionInfo::GetFileFlagsText() const {
  const auto fixed = platform::verQueryValue({buffer_.get(), bufferSize_}, "\\");
  if (!fixed || fixed->length < 2 || fixed->bytes.size() < kFileFlags + 4) return {};
  static constexpr struct {
    std::uint32_t bit;
    const char* word;
  } kFlags[] = {{0x01, ", Test"},    {0x02, ", Pre-release"},  {0x04, ", Patched"},
                {0x08, ", Private"}, {0x10, ", InfoInferred"}, {0x20, ", Special"}};
  const std::uint32_t flags = dword(fixed->bytes, kFileFlags);
  std::string text;
  for (const auto& flag : kFlags)
    if (flags & flag.bit) text += flag.word;
  if (text.empty()) return text;
  if (text[0] == ',') text.erase(0, 2);
  return text + " version";
}

TVersionInfo::TFileVersionParts TVersionInfo::ParseFileVersion(const std::string& text) {
  TFileVersionParts parts;
  if (text.empty()) return parts;
  auto [major, rest1] = splitAtDot(text);
  auto [minor, rest2] = splitAtDot(rest1);
  auto [release, build] = splitAtDot(rest2);
  parts.Major = std::move(major);
  parts.Minor = std::move(minor);
  parts.Release = std::move(release);
  parts.Build = std::move(build);
  return parts;
}

void TVersionInfo::FreeVersionBuffer() {
  if (bufferSize_ != 0) buffer_.reset();
  bufferSize_ = 0;
}

}  // namespace quillbray
