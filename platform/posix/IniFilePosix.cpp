// Settings files on POSIX: read whole, changed in memory, replaced at once.
//
// A writer resolves the file's name once (following only links this user
// or root owns), takes an exclusive flock on the file itself (created empty
// when missing, never through a link), checks that the name still holds the
// inode it locked (another writer may have renamed a new file over it
// meanwhile), reads the file again, applies its own changes, writes a new
// file of a unique name beside it, syncs it, renames it over the file and
// syncs the folder. The lock dies with its process, so a killed writer
// leaves no stale lock, only its temporary file. A file another user owns or
// may write is neither read nor written (platform/posix/FileTrust.h).
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <variant>

#include "platform/IniFile.h"
#include "platform/Files.h"
#include "platform/posix/Fd.h"
#include "platform/posix/FileTrust.h"

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

void sleepMs(int ms) {
  timespec ts{0, ms * 1000000L};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

bool holdsZeroByte(const std::string& bytes) { return bytes.find('\0') != std::string::npos; }

// A value as reading the file gives it: blanks at its ends dropped (a
// change kept in memory has them still), then one pair of matching quotes.
std::string unquoted(std::string v) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; };
  std::size_t b = 0, e = v.size();
  while (b < e && blank(v[b])) ++b;
  while (e > b && blank(v[e - 1])) --e;
  v = v.substr(b, e - b);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

namespace {

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
    if (v) *v = unquoted(std::move(*v));
    return v;
  }

  std::vector<std::string> entryNames(const std::string& section) override { return document().names(section); }
  std::vector<std::string> sectionNames() override { return document().sectionNames(); }

  void writeString(const std::string& section, const std::string& name, const std::string& value) override {
    try {
      checkIniEntry(section, name, value);
    } catch (const IniFileError& e) {
      throw IniFileError(unableToWrite(e.what()));
    }
    // Once for the writes that wait for the same flush: the folder and the
    // file are checked again when the edits are written.
    if (edits_.empty()) checkCanWrite();
    edits_.push_back(SetEdit{section, name, iniValueText(value)});
    applyEdit(*doc_, edits_.back());
  }

  void checkCanWrite() override {
    try {
      checkWritable();
      document();
      if (notText_) throw IniFileError("the file is not text (it holds zero bytes); it was left as it is");
    } catch (const IniFileError& e) {
      throw IniFileError(unableToWrite(e.what()));
    }
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
    } catch (const std::runtime_error& e) {  // IniFileError, FileError
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
      try {
        Fd fd = openTrusted(fileName_, O_RDONLY | O_NONBLOCK);
        if (fd.get() < 0 && errno != ENOENT) throw IniFileError(reason());
        if (fd.get() >= 0) bytes = readAll(fd.get());
        notText_ = holdsZeroByte(bytes);
        doc_ = IniDocument::parse(bytes);
      } catch (const std::runtime_error& e) {  // IniFileError, FileError
        throw IniFileError("Cannot read " + fileName_ + "\r\n" + e.what());
      }
    }
    return *doc_;
  }

  // The refusals a write would meet, known before the write is kept.
  void checkWritable() const {
    std::string file;
    try {
      file = followTrustedLinks(fileName_);
    } catch (const FileError& e) {
      throw IniFileError(e.what());
    }
    const std::string folder = folderOf(file);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) throw IniFileError(folder + ": " + reason());
    if (::access(file.c_str(), W_OK) != 0 && errno != ENOENT) throw IniFileError(reason());
  }

  // Opens and locks the file at this name (a link is no file here: a link
  // planted after the name was resolved is refused), creating it empty when
  // missing; answers whether it was created. A file found is checked as
  // one read.
  bool lockCurrent(const std::string& file, Fd& fd) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      bool created = true;
      int raw = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
      if (raw < 0 && errno == EEXIST) {
        created = false;
        raw = ::open(file.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
      }
      if (raw < 0) {
        if (errno == ENOENT) continue;  // renamed away between the two opens
        if (errno == ELOOP) throw IniFileError("'" + file + "' became a symbolic link while it was being written");
        throw IniFileError(reason());
      }
      fd.reset(raw);
      struct stat locked {};
      if (::fstat(fd.get(), &locked) != 0) throw IniFileError(reason());
      if (!created) requireTrusted(file, locked);
      int waited = 0;
      while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) throw IniFileError("cannot lock the file: " + reason());
        if (waited >= kLockWaitMs) throw IniFileError("another process keeps the file locked");
        sleepMs(5);
        waited += 5;
      }
      struct stat now {};
      if (::lstat(file.c_str(), &now) == 0 && now.st_ino == locked.st_ino && now.st_dev == locked.st_dev)
        return created;
      // Another writer replaced the file while this one waited: lock the new one.
    }
    throw IniFileError("the file keeps being replaced by other processes");
  }

  // The name is resolved once, here; the file is then read from the locked
  // descriptor and replaced by a rename at the name resolved, which replaces
  // whatever is planted there meanwhile instead of following it.
  IniDocument replace(const std::vector<Edit>& edits) {
    const std::string file = followTrustedLinks(fileName_);
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
    try {
      TempFileBeside temp(file);
      if (::fchmod(temp.fd(), st.st_mode & 07777) != 0) throw IniFileError(temp.path() + ": " + reason());
      temp.write(after);
      temp.syncAndClose();
      if (hooks.beforeRename) hooks.beforeRename(file);
      temp.renameOver(file);
    } catch (...) {
      if (created) ::unlink(file.c_str());
      throw;
    }
    if (hooks.afterRename) hooks.afterRename(file);
    syncFolder(folderOfPath(file));
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
