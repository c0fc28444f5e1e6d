// Writing the program's files so that nobody ever finds half of one: each is
// written under a temporary name in the directory where it belongs, synced,
// and only then put in place, while the interrupting signals are held off.
// Paths are taken relative to a directory given as an open descriptor (or
// AT_FDCWD), never to the process's working directory as such.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdio>
#include <string>

namespace wekset {

/// Holds off SIGINT, SIGTERM and SIGHUP while it lives. One that arrives
/// meanwhile takes effect, as it would have, when this ends: by then the
/// files are in place or removed.
class HeldSignals {
 public:
  HeldSignals();
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

  /// Whether one of the signals has arrived that is not ignored: the run is
  /// to give up its files.
  bool Pending() const;

 private:
  sigset_t held_;  // the three signals, less those that are ignored
  sigset_t previous_;
};

/// A file being written under a temporary name beside its final path. Unless
/// it is put in place, it is removed when this ends.
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  /// Creates ".NAME." and a unique suffix beside finalPath, which is relative
  /// to directory, with the permission bits mode (less the umask when
  /// applyUmask). False when it cannot be created.
  bool Create(int directory, const std::string& finalPath, mode_t mode, bool applyUmask);

  std::FILE* stream() const { return file_; }

  /// Flushes, syncs and closes the file; false when any write to it, the sync
  /// or the close failed.
  bool Finish();

  /// Renames the finished file over the final path.
  bool Replace();

  /// Links the finished file to the final path, which must not exist yet;
  /// false with errno EEXIST when it does.
  bool LinkNew();

 private:
  int directory_ = -1;
  std::string finalPath_;
  std::string temporaryPath_;  // empty once the file is in place or removed
  std::FILE* file_ = nullptr;
};

/// The path that a name in directory leads to through any symbolic links, so
/// that a link's target is what gets replaced and the link stays.
std::string FollowLinks(int directory, const std::string& name);

/// The directory part of a path: "." for a bare name.
std::string DirectoryOf(const std::string& path);

}  // namespace wekset
