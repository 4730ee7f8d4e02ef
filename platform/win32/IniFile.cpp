// Settings files on Windows: the system's profile routines
// (GetPrivateProfileStringW, WritePrivateProfileStringW) read and write the
// file, each change at once; flush() has them write out what they cache.
//
// The routines store a file that starts with the UTF-16 byte-order mark
// FF FE in UTF-16 and any other file (a new one too) in the system's ANSI
// code page, where a character the code page lacks would become "?". Such a
// write is refused with the reason, before anything is kept; nothing is
// ever stored as "?".
#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

using win32::errorText;
using win32::narrow;
using win32::widen;

bool blankByte(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }

std::string trimmed(std::string_view s) {
  while (!s.empty() && blankByte(s.front())) s.remove_prefix(1);
  while (!s.empty() && blankByte(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string folded(std::string_view name) { return foldName(trimmed(name)); }

// The routines cut an answer to the buffer silently; they answer the
// buffer's size less `short` when they did. The buffer grows until the
// answer fits, up to the size of the largest file read.
std::wstring askGrowing(int shortBy, const std::function<DWORD(wchar_t*, DWORD)>& ask) {
  std::wstring buffer(1024, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD got = ask(buffer.data(), size);
    if (got + static_cast<DWORD>(shortBy) != size) {
      buffer.resize(got);
      return buffer;
    }
    if (buffer.size() > kMaxIniFileBytes) throw IniFileError("the answer of the profile routines is too long");
    buffer.resize(buffer.size() * 2);
  }
}

// A list of names, each ended by a zero, the list by another.
std::vector<std::string> splitList(const std::wstring& list) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = list.find(L'\0', at);
    const std::size_t stop = end == std::wstring::npos ? list.size() : end;
    if (stop == at) break;
    out.push_back(narrow(std::wstring_view(list).substr(at, stop - at)));
    at = stop + 1;
  }
  return out;
}

class WinIniFile : public IniFile {
 public:
  explicit WinIniFile(std::string fileName) : fileName_(std::move(fileName)), wide_(widen(fileName_)) {}
  ~WinIniFile() override {
    try {
      flush();
    } catch (...) {
    }
  }

  const std::string& fileName() const override { return fileName_; }

  std::optional<std::string> readString(const std::string& section, const std::string& name) override {
    return fileValue(section, name);
  }

  std::vector<std::string> entryNames(const std::string& section) override {
    checkReadable();
    const std::wstring s = widen(section);
    return splitList(askGrowing(2, [&](wchar_t* buffer, DWORD size) {
      return ::GetPrivateProfileStringW(s.c_str(), nullptr, L"", buffer, size, wide_.c_str());
    }));
  }

  std::vector<std::string> sectionNames() override {
    checkReadable();
    std::vector<std::string> out, seen;
    for (std::string& name : splitList(askGrowing(2, [&](wchar_t* buffer, DWORD size) {
           return ::GetPrivateProfileSectionNamesW(buffer, size, wide_.c_str());
         }))) {
      std::string fold = folded(name);
      if (name.empty() || std::find(seen.begin(), seen.end(), fold) != seen.end()) continue;
      seen.push_back(std::move(fold));
      out.push_back(std::move(name));
    }
    return out;
  }

  // Written at once, as the routines do: what was written before a failing
  // write stays written (a killed process loses nothing it wrote).
  void writeString(const std::string& section, const std::string& name, const std::string& value) override {
    try {
      checkIniEntry(section, name, value);
      checkWritable();
      checkStorable(section, name, value, storedAsUnicode());
      write(section, name, iniValueText(value));
    } catch (const IniFileError& e) {
      throw IniFileError(unableToWrite(e.what()));
    }
  }

  void checkCanWrite() override {
    try {
      checkWritable();
    } catch (const IniFileError& e) {
      throw IniFileError(unableToWrite(e.what()));
    }
  }

  void deleteEntry(const std::string& section, const std::string& name) override {
    if (!readString(section, name)) return;  // nothing to delete: nothing to write
    try {
      write(section, name, std::nullopt);
    } catch (const IniFileError& e) {
      throw IniFileError(unableToWrite(e.what()));
    }
  }

  // Writes out what the system may still cache of the file.
  void flush() override {
    if (!written_) return;
    written_ = false;
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, wide_.c_str());
  }

 private:
  std::string unableToWrite(const std::string& why) const { return "Unable to write to " + fileName_ + "\r\n" + why; }

  // The entry in the file as the routines read it now. They answer the
  // default for a missing entry and say nothing else; of two defaults that
  // no file holds, an entry would have to hold both.
  std::optional<std::string> fileValue(const std::string& section, const std::string& name) {
    checkReadable();
    const std::wstring s = widen(section), n = widen(name);
    const auto ask = [&](const wchar_t* missing) {
      return askGrowing(1, [&](wchar_t* buffer, DWORD size) {
        return ::GetPrivateProfileStringW(s.c_str(), n.c_str(), missing, buffer, size, wide_.c_str());
      });
    };
    static constexpr const wchar_t* kMissing[] = {L"\x7F\x01missing", L"\x7F\x02missing"};
    std::wstring value = ask(kMissing[0]);
    if (value == kMissing[0]) {
      if (ask(kMissing[1]) == kMissing[1]) return std::nullopt;
    }
    return narrow(value);
  }

  // The routines read a file they cannot open as an empty one; so that a
  // file that is there but cannot be read fails, as on other systems, it is
  // opened once before the first read.
  void checkReadable() {
    if (readable_) return;
    try {
      WIN32_FILE_ATTRIBUTE_DATA data{};
      if (::GetFileAttributesExW(wide_.c_str(), GetFileExInfoStandard, &data)) {
        checkFile(data);
        const HANDLE h = ::CreateFileW(wide_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw IniFileError(errorText(::GetLastError()));
        ::CloseHandle(h);
      }
    } catch (const IniFileError& e) {
      throw IniFileError("Cannot read " + fileName_ + "\r\n" + e.what());
    }
    readable_ = true;
  }

  static void checkFile(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw IniFileError("not a regular file");
    const std::uint64_t size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (size > kMaxIniFileBytes)
      throw IniFileError("the file is larger than 64 MiB (" + std::to_string(size) + " bytes); it was not read");
  }

  // The refusals a write would meet, known before it is kept: the file is
  // opened for writing, or, when missing, made and at once removed.
  void checkWritable() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool exists = ::GetFileAttributesExW(wide_.c_str(), GetFileExInfoStandard, &data);
    if (exists) {
      checkFile(data);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) throw IniFileError("the file is read-only");
    }
    const HANDLE h = ::CreateFileW(wide_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, exists ? OPEN_EXISTING : CREATE_NEW,
                                   exists ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                   nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      if (code != ERROR_FILE_EXISTS) throw IniFileError(errorText(code));  // made meanwhile: written then
      return;
    }
    ::CloseHandle(h);
  }

  // Whether the routines keep this file in UTF-16: it starts with FF FE.
  // Any other file, a missing one too, is kept in the ANSI code page.
  bool storedAsUnicode() const {
    const HANDLE h = ::CreateFileW(wide_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    unsigned char start[2] = {0, 0};
    DWORD got = 0;
    const BOOL read = ::ReadFile(h, start, 2, &got, nullptr);
    ::CloseHandle(h);
    return read && got == 2 && start[0] == 0xFF && start[1] == 0xFE;
  }

  // Text the file's form cannot hold exactly is refused, never stored as
  // "?" or a look-alike.
  static void checkStorable(const std::string& section, const std::string& name, const std::string& value, bool unicode) {
    const std::pair<const char*, const std::string*> parts[] = {
        {"the section name", &section}, {"the value name", &name}, {"the value of", &value}};
    for (const auto& [what, text] : parts) {
      const std::string label = text == &value ? std::string(what) + " '" + name + "'" : std::string(what) + " '" + *text + "'";
      const std::wstring wide = widen(*text);
      if (narrow(wide) != *text) throw IniFileError(label + " holds bytes that are not UTF-8 text");
      if (unicode || codePageHolds(wide)) continue;
      throw IniFileError(label + " holds characters that the system's code page (" + std::to_string(::GetACP()) +
                         ") cannot hold, and the file is kept in that code page: they would be stored as \"?\". "
                         "Saved as Unicode (UTF-16 with its byte-order mark), the file holds any text");
    }
  }

  static bool codePageHolds(const std::wstring& text) {
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    std::string bytes(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, bytes.data(), n, nullptr, nullptr);
    const int back = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
    std::wstring again(static_cast<std::size_t>(back), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, again.data(), back);
    return again == text;  // "?" and best-fit look-alikes do not come back
  }

  // One change through the routines; no value deletes the entry.
  void write(const std::string& section, const std::string& name, const std::optional<std::string>& value) {
    const std::wstring s = widen(section), n = widen(name), v = value ? widen(*value) : std::wstring();
    if (!::WritePrivateProfileStringW(s.c_str(), n.c_str(), value ? v.c_str() : nullptr, wide_.c_str()))
      throw IniFileError(errorText(::GetLastError()));
    written_ = true;
  }

  std::string fileName_;
  std::wstring wide_;
  bool readable_ = false;
  bool written_ = false;  // since the last flush
};

}  // namespace

std::unique_ptr<IniFile> openIniFile(const std::string& fileName) { return std::make_unique<WinIniFile>(fileName); }

// Windows' routines write the file in place; there is no rename to hook
// into, and tests that use these hooks run on Linux only.
void setIniWriteHooks(IniWriteHooks) {}

}  // namespace platform
