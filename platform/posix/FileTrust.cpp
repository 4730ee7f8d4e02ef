#include "platform/posix/FileTrust.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Files.h"

namespace platform {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit

std::string userName(uid_t uid) {
  const passwd* pw = ::getpwuid(uid);
  return pw ? "user '" + std::string(pw->pw_name) + "' (uid " + std::to_string(uid) + ")"
            : "uid " + std::to_string(uid);
}

bool trustedOwner(uid_t uid) { return uid == ::geteuid() || uid == 0; }

// The group is the owner's own: the owner's primary group, listing nobody
// else as a member.
bool ownersPrivateGroup(uid_t owner, gid_t gid) {
  const passwd* pw = ::getpwuid(owner);
  if (!pw || pw->pw_gid != gid) return false;
  const std::string name = pw->pw_name;
  const group* gr = ::getgrgid(gid);
  if (!gr) return false;
  for (char** member = gr->gr_mem; member && *member; ++member)
    if (name != *member) return false;
  return true;
}

std::string octalMode(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

}  // namespace

std::optional<std::string> distrust(const struct stat& st) {
  if (!trustedOwner(st.st_uid)) return "is owned by " + userName(st.st_uid) + ", not by this user or root";
  if (st.st_mode & S_IWOTH) return "may be written by every user (mode " + octalMode(st.st_mode) + ")";
  if ((st.st_mode & S_IWGRP) && !ownersPrivateGroup(st.st_uid, st.st_gid))
    return "may be written by the members of its group (mode " + octalMode(st.st_mode) + ")";
  return std::nullopt;
}

void requireTrusted(const std::string& path, const struct stat& st) {
  if (const auto why = distrust(st))
    throw FileError("'" + path + "' " + *why +
                    "; it is not used, since another user could have put anything in it "
                    "(remove it, or make it yours with chown and chmod go-w)");
}

std::string folderOfPath(const std::string& file) {
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

std::string followTrustedLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    if (!trustedOwner(st.st_uid))
      throw FileError("'" + current + "' is a symbolic link owned by " + userName(st.st_uid) +
                      "; links are followed only when this user or root owns them");
    std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) throw FileError("'" + current + "': " + std::strerror(errno));
    if (static_cast<std::size_t>(n) >= target.size()) continue;  // changed meanwhile: look again
    const std::string to(target.data(), static_cast<std::size_t>(n));
    current = to.front() == '/' ? to : folderOfPath(current) + "/" + to;
  }
  throw FileError("'" + path + "': " + std::strerror(ELOOP));
}

Fd openTrusted(const std::string& path, int flags, mode_t mode, std::string* opened) {
  const std::string file = followTrustedLinks(path);
  if (opened) *opened = file;
  Fd fd(::open(file.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode));
  if (fd.get() < 0) return fd;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) throw FileError("'" + file + "': " + std::strerror(errno));
  requireTrusted(file, st);
  return fd;
}

void syncFolder(const std::string& folder) {
  Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0 || ::fsync(fd.get()) != 0) throw FileError("'" + folder + "': " + std::strerror(errno));
}

TempFileBeside::TempFileBeside(const std::string& target) : path_(target + ".XXXXXX") {
  // mkstemp opens with O_EXCL (which never follows a link) and mode 0600.
  fd_.reset(::mkostemp(path_.data(), O_CLOEXEC));
  if (fd_.get() < 0) throw FileError("cannot create a temporary file beside '" + target + "': " + std::strerror(errno));
}

TempFileBeside::~TempFileBeside() {
  fd_.reset();
  if (!renamed_) ::unlink(path_.c_str());
}

void TempFileBeside::write(std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_.get(), text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError("'" + path_ + "': " + std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

void TempFileBeside::syncAndClose() {
  if (::fsync(fd_.get()) != 0 || fd_.release() != 0) throw FileError("'" + path_ + "': " + std::strerror(errno));
}

void TempFileBeside::renameOver(const std::string& target) {
  if (::rename(path_.c_str(), target.c_str()) != 0)
    throw FileError("cannot replace '" + target + "': " + std::strerror(errno));
  renamed_ = true;
}

}  // namespace platform
