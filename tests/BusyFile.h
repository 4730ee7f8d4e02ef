// A file held by another writer of the event log: while one lives, the
// platform's exclusive append to that file fails as busy. Held through a
// handle of the test's own, so that a test lets it go exactly when it
// chooses, between two attempts of a writer.
#pragma once

#include <memory>
#include <string>

namespace qbtest {

class BusyFile {
 public:
  // Opens (creating) the file and holds it as a writer does.
  explicit BusyFile(const std::string& path);
  ~BusyFile();
  BusyFile(const BusyFile&) = delete;
  BusyFile& operator=(const BusyFile&) = delete;
  // Lets the file go; a second call does nothing.
  void release();

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

}  // namespace qbtest
