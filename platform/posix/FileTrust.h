// Files in folders that other users may write (a sticky /tmp-like folder, a
// shared stick, a group folder): the rules a file must pass before the
// program trusts what it reads from it or writes into it.
//
// - A symbolic link is followed only when this user or root owns it (the
//   kernel's protected_symlinks rule, applied whatever the sysctl says).
// - A file is used only when this user or root owns it and no other user may
//   write it: not writable by others, and writable by its group only when
//   that group is its owner's own (the owner's primary group, with no other
//   members), as ssh's StrictModes has it.
// - A file the program creates beside another one gets a unique name, made
//   with O_EXCL and without following links (mkstemp).
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/Fd.h"

namespace platform {

// Why a file with this status is not this user's own (for example "it is
// owned by user 'bob' (uid 1001)"), or nullopt when it may be trusted.
std::optional<std::string> distrust(const struct stat& st);

// Throws FileError "'<path>' <why>; it is not used ..." when distrust(st)
// names a reason.
void requireTrusted(const std::string& path, const struct stat& st);

// The path the last component of path leads to, following only links that
// this user or root owns (a link's relative target is taken from the link's
// folder). Answers a path that is not a link (it may not exist). Throws
// FileError for a link someone else owns and for a chain of more than 40.
// Links in the folders above the last component are left to the kernel.
std::string followTrustedLinks(const std::string& path);

// Opens the file a path names with these open(2) flags after
// followTrustedLinks, never following a link itself (O_NOFOLLOW, O_CLOEXEC
// added), and checks the opened file with requireTrusted when it is not new.
// Answers an invalid Fd with errno set when open(2) fails; *opened (when
// given) receives the path that was opened.
Fd openTrusted(const std::string& path, int flags, mode_t mode = 0, std::string* opened = nullptr);

// The folder part of a file path ("." for a bare name, "/" for "/x").
std::string folderOfPath(const std::string& file);

// fsync of a folder, so a rename in it survives a crash. Throws FileError.
void syncFolder(const std::string& folder);

// A new file with a unique name beside target ("<target>.XXXXXX"), created
// with mode 0600, O_EXCL and no link following; removed when the object goes
// unless renameOver succeeded.
class TempFileBeside {
 public:
  explicit TempFileBeside(const std::string& target);  // throws FileError
  ~TempFileBeside();
  TempFileBeside(const TempFileBeside&) = delete;
  TempFileBeside& operator=(const TempFileBeside&) = delete;

  int fd() const { return fd_.get(); }
  const std::string& path() const { return path_; }

  // Writes all of text. Throws FileError.
  void write(std::string_view text);
  // fsync and close; a delayed write error shows here. Throws FileError.
  void syncAndClose();
  // Renames the (closed) file over target; the folder is not synced.
  // Throws FileError.
  void renameOver(const std::string& target);

 private:
  std::string path_;
  Fd fd_;
  bool renamed_ = false;
};

}  // namespace platform
