// Temporary files, syncing, renaming and the held signals.
#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace wekset {

namespace {

constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

HeldSignals::HeldSignals() {
  sigemptyset(&held_);
  // A signal that is ignored, as SIGHUP under nohup, interrupts nothing.
  for (int signal : kInterruptions) {
    struct sigaction action {};
    if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) {
      sigaddset(&held_, signal);
    }
  }
  sigprocmask(SIG_BLOCK, &held_, &previous_);
}

HeldSignals::~HeldSignals() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

bool HeldSignals::Pending() const {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (int signal : kInterruptions) {
    if (sigismember(&held_, signal) == 1 && sigismember(&pending, signal) == 1) return true;
  }
  return false;
}

namespace {

std::string BaseOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PendingFile::~PendingFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temporaryPath_.empty()) unlinkat(directory_, temporaryPath_.c_str(), 0);
}

bool PendingFile::Create(int directory, const std::string& finalPath, mode_t mode,
                         bool applyUmask) {
  directory_ = directory;
  finalPath_ = finalPath;
  const std::string stem = DirectoryOf(finalPath) + "/." + BaseOf(finalPath) + ".";
  // The process id keeps concurrent runs apart; the counter steps past the
  // leftovers of a run that was killed outright.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = stem + std::to_string(getpid()) + "." + std::to_string(attempt);
    const int fd = openat(directory, path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          applyUmask ? mode : 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    temporaryPath_ = path;
    if ((!applyUmask && fchmod(fd, mode) != 0) || (file_ = fdopen(fd, "w")) == nullptr) {
      close(fd);
      return false;
    }
    return true;
  }
  return false;
}

bool PendingFile::Finish() {
  std::FILE* file = file_;
  file_ = nullptr;
  const bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  const bool synced = written && fsync(fileno(file)) == 0;
  return std::fclose(file) == 0 && synced;
}

bool PendingFile::Replace() {
  if (renameat(directory_, temporaryPath_.c_str(), directory_, finalPath_.c_str()) != 0) {
    return false;
  }
  temporaryPath_.clear();
  return true;
}

bool PendingFile::LinkNew() {
  return linkat(directory_, temporaryPath_.c_str(), directory_, finalPath_.c_str(), 0) == 0;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FollowLinks(int directory, const std::string& name) {
  std::string path = name;
  for (int depth = 0; depth < 40; ++depth) {
    char target[PATH_MAX];
    const ssize_t length = readlinkat(directory, path.c_str(), target, sizeof target - 1);
    if (length < 0) return path;
    target[length] = '\0';
    path = target[0] == '/' ? std::string(target) : DirectoryOf(path) + "/" + target;
  }
  return path;
}

}  // namespace wekset
