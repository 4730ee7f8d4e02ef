// Settings files on POSIX: read whole, changed in memory, replaced at once.
//
// A writer takes an exclusive flock on the file itself (created empty when
// missing), checks that the path still names the inode it locked (another
// writer may have renamed a new file over it meanwhile), reads the file
// again, applies its own changes, writes "<file>.tmp", syncs it, renames it
// over the file and syncs the folder. The lock dies with its process, so a
// killed writer leaves no stale lock; its temporary file is overwritten by
// the next writer.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <variant>

#include "platform/IniFile.h"
#include "platform/posix/Fd.h"

namespace platform {
namespace {

IniWriteHooks hooks;

// How long a writer waits for another one's lock before it gives up.
constexpr int kLockWaitMs = 10000;

std::string reason() { return std::strerror(errno); }

std::string folderOf(const std::string& file) {
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? "./" : file.substr(0, slash + 1);
}

// The whole content of an open regular file, within the size limit.
std::string readAll(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw IniFileError(reason());
  if (!S_ISREG(st.st_mode)) throw IniFileError("not a regular file");
  if (static_cast<std::uint64_t>(st.st_size) > kMaxIniFileBytes)
    throw IniFileError("the file is larger than 64 MiB (" + std::to_string(st.st_size) + " bytes); it was not read");
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (bytes.size() > kMaxIniFileBytes)
        throw IniFileError("the file is larger than 64 MiB; it was not read");
      bytes.resize(bytes.size() + 4096);  // the file grew while being read
    }
    const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IniFileError(reason());
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

void writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IniFileError(reason());
    }
    done += static_cast<std::size_t>(n);
  }
}

void sleepMs(int ms) {
  timespec ts{0, ms * 1000000L};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

bool holdsZeroByte(const std::string& bytes) { return bytes.find('\0') != std::string::npos; }

// Names and values that one line of the format cannot hold.
void checkFits(const std::string& section, const std::string& name, const std::string& value) {
  const auto breaks = [](const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; };
  if (breaks(section) || section.find(']') != std::string::npos)
    throw IniFileError("the section name '" + section + "' holds a line break or \"]\"");
  std::size_t first = 0;
  while (first < name.size() && static_cast<unsigned char>(name[first]) <= 0x20) ++first;
  if (first == name.size() || breaks(name) || name.find('=') != std::string::npos || name[first] == '[' ||
      name[first] == ';')
    throw IniFileError("the value name '" + name +
                       "' is empty, holds a line break or \"=\", or starts with \"[\" or \";\"");
  if (breaks(value)) throw IniFileError("the value of '" + name + "' holds a line break or a zero byte");
}

struct SetEdit {
  std::string section, name, value;
};
struct DeleteEdit {
  std::string section, name;
};
using Edit = std::variant<SetEdit, DeleteEdit>;

void applyEdit(IniDocument& doc, const Edit& edit) {
  if (const auto* s = std::get_if<SetEdit>(&edit)) doc.set(s->section, s->name, s->value);
  else {
    const auto& d = std::get<DeleteEdit>(edit);
    doc.erase(d.section, d.name);
  }
}

class PosixIniFile : public IniFile {
 public:
  explicit PosixIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  ~PosixIniFile() override {
    try {
      flush();
    } catch (...) {
    }
  }

  const std::string& fileName() const override { return fileName_; }

  std::optional<std::string> readString(const std::string& section, const std::string& name) override {
    auto v = document().value(section, name);
    if (v && v->size() >= 2 && (v->front() == '"' || v->front() == '\'') && v->back() == v->front())
      *v = v->substr(1, v->size() - 2);
    return v;
  }

  std::vector<std::string> entryNames(const std::string& section) override { return document().names(section); }

  void writeString(const std::string& section, const std::string& name, const std::string& value) override {
    try {
      checkFits(section, name, value);
      checkWritable();
      document();
      if (notText_) throw IniFileError("the file is not text (it holds zero bytes); it was left as it is");
    } catch (const IniFileError& e) {
      throw IniFileError(unableToWrite(e.what()));
    }
    edits_.push_back(SetEdit{section, name, value});
    applyEdit(*doc_, edits_.back());
  }

  void deleteEntry(const std::string& section, const std::string& name) override {
    if (!document().value(section, name)) return;  // nothing to delete: nothing to write
    if (notText_) throw IniFileError(unableToWrite("the file is not text (it holds zero bytes); it was left as it is"));
    edits_.push_back(DeleteEdit{section, name});
    applyEdit(*doc_, edits_.back());
  }

  void flush() override {
    if (edits_.empty()) return;
    std::vector<Edit> edits = std::move(edits_);
    edits_.clear();
    try {
      doc_ = replace(edits);
    } catch (const IniFileError& e) {
      doc_.reset();  // read again next time
      throw IniFileError(unableToWrite(e.what()));
    }
  }

 private:
  std::string unableToWrite(const std::string& why) const { return "Unable to write to " + fileName_ + "\r\n" + why; }

  // The file as read at first use, with this accessor's changes.
  IniDocument& document() {
    if (!doc_) {
      std::string bytes;
      const int raw = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
      if (raw < 0 && errno != ENOENT) throw IniFileError("Cannot read " + fileName_ + "\r\n" + reason());
      if (raw >= 0) {
        Fd fd(raw);
        try {
          bytes = readAll(fd.get());
        } catch (const IniFileError& e) {
          throw IniFileError("Cannot read " + fileName_ + "\r\n" + e.what());
        }
      }
      notText_ = holdsZeroByte(bytes);
      try {
        doc_ = IniDocument::parse(bytes);
      } catch (const IniFileError& e) {
        throw IniFileError("Cannot read " + fileName_ + "\r\n" + e.what());
      }
    }
    return *doc_;
  }

  // The refusals a write would meet, known before the write is kept.
  void checkWritable() const {
    const std::string folder = folderOf(fileName_);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) throw IniFileError(folder + ": " + reason());
    if (::access(fileName_.c_str(), W_OK) != 0 && errno != ENOENT) throw IniFileError(reason());
  }

  // The file's real name: a symbolic link is followed, so the link stays.
  std::string target() const {
    char resolved[PATH_MAX];
    if (::realpath(fileName_.c_str(), resolved)) return resolved;
    return fileName_;
  }

  // Opens and locks the file the path names now, creating it empty when
  // missing; answers whether it was created.
  bool lockCurrent(const std::string& file, Fd& fd) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      bool created = true;
      int raw = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (raw < 0 && errno == EEXIST) {
        created = false;
        raw = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
      }
      if (raw < 0) {
        if (errno == ENOENT) continue;  // renamed away between the two opens
        throw IniFileError(reason());
      }
      fd.reset(raw);
      int waited = 0;
      while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) throw IniFileError("cannot lock the file: " + reason());
        if (waited >= kLockWaitMs) throw IniFileError("another process keeps the file locked");
        sleepMs(5);
        waited += 5;
      }
      struct stat locked {}, now {};
      if (::fstat(fd.get(), &locked) != 0) throw IniFileError(reason());
      if (::stat(file.c_str(), &now) == 0 && now.st_ino == locked.st_ino && now.st_dev == locked.st_dev)
        return created;
      // Another writer replaced the file while this one waited: lock the new one.
    }
    throw IniFileError("the file keeps being replaced by other processes");
  }

  IniDocument replace(const std::vector<Edit>& edits) {
    const std::string file = target();
    Fd fd;
    const bool created = lockCurrent(file, fd);
    const std::string before = readAll(fd.get());
    if (holdsZeroByte(before)) throw IniFileError("the file is not text (it holds zero bytes); it was left as it is");
    IniDocument doc = IniDocument::parse(before);
    for (const Edit& e : edits) applyEdit(doc, e);
    const std::string after = doc.text();
    if (after == before) {
      if (created) ::unlink(file.c_str());  // nothing was written: no file
      return doc;
    }

    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw IniFileError(reason());
    const std::string temp = file + ".tmp";
    Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (out.get() < 0) throw IniFileError(temp + ": " + reason());
    try {
      if (::fchmod(out.get(), st.st_mode & 07777) != 0) throw IniFileError(temp + ": " + reason());
      writeAll(out.get(), after);
      if (::fsync(out.get()) != 0) throw IniFileError(temp + ": " + reason());
      if (out.release() != 0) throw IniFileError(temp + ": " + reason());
      if (hooks.beforeRename) hooks.beforeRename(file);
      if (::rename(temp.c_str(), file.c_str()) != 0) throw IniFileError(reason());
    } catch (...) {
      if (created) ::unlink(file.c_str());
      ::unlink(temp.c_str());
      throw;
    }
    if (hooks.afterRename) hooks.afterRename(file);
    Fd folder(::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 || ::fsync(folder.get()) != 0) throw IniFileError(folderOf(file) + ": " + reason());
    return doc;
  }

  std::string fileName_;
  std::optional<IniDocument> doc_;
  bool notText_ = false;
  std::vector<Edit> edits_;
};

}  // namespace

std::unique_ptr<IniFile> openIniFile(const std::string& fileName) { return std::make_unique<PosixIniFile>(fileName); }

void setIniWriteHooks(IniWriteHooks h) { hooks = std::move(h); }

}  // namespace platform
