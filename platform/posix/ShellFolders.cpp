// Special folders on Linux: the XDG base and user directories, and FHS
// folders for the machine-wide ones.
#include "platform/ShellFolders.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string_view>

namespace platform {
namespace {

// How a CSIDL number finds its folder. Each fall-back is written as a path
// that may begin with "$HOME".
enum class Source {
  UserDir,   // a name in user-dirs.dirs, else the fall-back
  BaseDir,   // an environment variable holding one folder, else the fall-back
  FirstDir,  // the first folder of a ":"-separated list, else the fall-back
  Fixed,     // always the fall-back
};

struct FolderRule {
  int csidl;
  Source source;
  const char* name;  // the user-dirs.dirs name or the environment variable
  const char* fallback;
};

constexpr FolderRule kRules[] = {
    {CSIDL_PERSONAL, Source::UserDir, "XDG_DOCUMENTS_DIR", "$HOME/Documents/"},
    {CSIDL_DESKTOP, Source::UserDir, "XDG_DESKTOP_DIR", "$HOME/Desktop/"},
    {CSIDL_APPDATA, Source::BaseDir, "XDG_CONFIG_HOME", "$HOME/.config/"},
    {CSIDL_LOCAL_APPDATA, Source::BaseDir, "XDG_DATA_HOME", "$HOME/.local/share/"},
    {CSIDL_COMMON_APPDATA, Source::FirstDir, "XDG_CONFIG_DIRS", "/etc/xdg/"},
    {CSIDL_PROGRAM_FILES, Source::Fixed, nullptr, "/opt/"},
    {CSIDL_PROGRAM_FILES_COMMON, Source::Fixed, nullptr, "/usr/local/share/"},
    {CSIDL_COMMON_DOCUMENTS, Source::Fixed, nullptr, "/srv/"},
};

// user-dirs.dirs is a few lines long; more than this is not read.
constexpr std::size_t kUserDirsLimit = 64 * 1024;

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool isAbsolute(std::string_view path) { return !path.empty() && path[0] == '/'; }

std::string withSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

// An absolute path, or one that begins with "$HOME" (followed by "/" or
// nothing) resolved against HOME. Anything else is not a folder: XDG ignores
// relative paths, and a relative HOME names no folder either.
std::optional<std::string> resolve(std::string_view path) {
  constexpr std::string_view kHome = "$HOME";
  if (path.starts_with(kHome) && (path.size() == kHome.size() || path[kHome.size()] == '/')) {
    std::string home = env("HOME");
    if (!isAbsolute(home)) return std::nullopt;
    // A HOME of "/" or "/me/" must not give "//Documents/".
    while (!home.empty() && home.back() == '/') home.pop_back();
    const std::string full = home + std::string(path.substr(kHome.size()));
    return full.empty() ? "/" : full;
  }
  if (isAbsolute(path)) return std::string(path);
  return std::nullopt;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// One line of user-dirs.dirs: `NAME="value"`, as the shell would read it, with
// an optional comment after it. The value may begin with "$HOME"; "\" escapes
// '"', '\', '$' and '`'. A line that the shell would expand in any other way,
// or that is not of this form, is no assignment.
std::optional<std::string> userDirValue(std::string_view line, std::string_view name) {
  std::size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (line.substr(i, name.size()) != name) return std::nullopt;
  i += name.size();
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '=') return std::nullopt;
  ++i;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '"') return std::nullopt;
  ++i;

  // Only a leading, unescaped "$HOME" stands for the home folder.
  const bool fromHome = line.substr(i).starts_with("$HOME");
  if (fromHome) i += 5;
  std::string value;
  bool closed = false;
  while (i < line.size()) {
    const char c = line[i++];
    if (c == '"') {
      closed = true;
      break;
    }
    if (c == '\\' && i < line.size() && std::string_view("\"\\$`").find(line[i]) != std::string_view::npos) {
      value += line[i++];
    } else if (c == '$' || c == '`' || c == '\0') {
      return std::nullopt;
    } else {
      value += c;
    }
  }
  if (!closed) return std::nullopt;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i < line.size() && line[i] != '#') return std::nullopt;
  if (fromHome) return value.empty() || value[0] == '/' ? resolve("$HOME" + value) : std::nullopt;
  return isAbsolute(value) ? std::optional(value) : std::nullopt;
}

std::string withoutSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// xdg-user-dirs turns a folder off by pointing it at the home folder itself.
bool isHomeFolder(const std::string& dir) {
  const auto home = resolve("$HOME");
  return home && withoutSlashes(dir) == withoutSlashes(*home);
}

// The folder that user-dirs.dirs assigns to name; the last assignment wins, as
// when the shell reads the file. A folder turned off is "" (no folder, and no
// fall-back either).
std::optional<std::string> userDir(const char* name) {
  std::string config = env("XDG_CONFIG_HOME");
  if (!isAbsolute(config)) {
    const auto fallback = resolve("$HOME/.config");
    if (!fallback) return std::nullopt;
    config = *fallback;
  }
  std::ifstream in(config + "/user-dirs.dirs", std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(kUserDirsLimit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  // A line cut by the limit could read as a different assignment.
  if (text.size() == kUserDirsLimit) text.resize(text.rfind('\n') + 1);

  std::optional<std::string> found;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (auto value = userDirValue(line, name)) found = std::move(value);
  }
  if (found && isHomeFolder(*found)) return std::string();
  return found;
}

std::optional<std::string> firstAbsolute(const std::string& list) {
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    const std::string entry = list.substr(start, end - start);
    if (isAbsolute(entry)) return entry;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> lookUp(const FolderRule& rule) {
  switch (rule.source) {
    case Source::UserDir: return userDir(rule.name);
    case Source::BaseDir: {
      std::string dir = env(rule.name);
      return isAbsolute(dir) ? std::optional(std::move(dir)) : std::nullopt;
    }
    case Source::FirstDir: return firstAbsolute(env(rule.name));
    case Source::Fixed: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::string systemShellFolder(int csidl) {
  for (const FolderRule& rule : kRules) {
    if (rule.csidl != csidl) continue;
    auto dir = lookUp(rule);
    if (!dir) dir = resolve(rule.fallback);
    return dir ? withSlash(*dir) : std::string();
  }
  return {};
}

}  // namespace platform
