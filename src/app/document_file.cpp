// Writing "wek.tex" all or nothing.
#include "app/document_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace wekset {

namespace {

bool IsSameFile(int directory, const char* a, const char* b) {
  struct stat first {};
  struct stat second {};
  return fstatat(directory, a, &first, 0) == 0 && fstatat(directory, b, &second, 0) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool Writable(int directory, const std::string& path, int mode) {
  return faccessat(directory, path.c_str(), mode, AT_EACCESS) == 0;
}

}  // namespace

DocumentFile::~DocumentFile() {
  if (direct_ != nullptr) std::fclose(direct_);
  pending_.reset();  // removes the temporary file before the signals come
}

DocumentCheck DocumentFile::Check() {
  // Replacing the source with the calendar made from it would lose it.
  if (IsSameFile(directory_, name_, sourceName_)) return DocumentCheck::kIsSource;
  target_ = FollowLinks(directory_, name_);
  struct stat existing {};
  bool writable = true;
  if (fstatat(directory_, target_.c_str(), &existing, 0) == 0) {
    writable = !S_ISDIR(existing.st_mode) && Writable(directory_, target_, W_OK);
    inPlace_ = !S_ISREG(existing.st_mode);
    mode_ = existing.st_mode & 07777;
    applyUmask_ = false;
  }
  if (writable && !inPlace_) writable = Writable(directory_, DirectoryOf(target_), W_OK | X_OK);
  return writable ? DocumentCheck::kReady : DocumentCheck::kNotWritable;
}

std::FILE* DocumentFile::Open() {
  // A device or a pipe is written as it stands, with nothing to put in place
  // or to remove: the signals are not held, for its open and its writes may
  // wait for a reader as long as the user wants.
  if (inPlace_) {
    const int fd = openat(directory_, target_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return nullptr;
    direct_ = fdopen(fd, "w");
    if (direct_ == nullptr) close(fd);
    return direct_;
  }
  held_.emplace();
  pending_ = std::make_unique<PendingFile>();
  return pending_->Create(directory_, target_, mode_, applyUmask_) ? pending_->stream() : nullptr;
}

bool DocumentFile::Commit() {
  bool written = false;
  if (inPlace_) {
    written = std::fflush(direct_) == 0 && std::ferror(direct_) == 0;
    written = std::fclose(std::exchange(direct_, nullptr)) == 0 && written;
  } else {
    written = pending_->Finish() && !held_->Pending() && pending_->Replace();
  }
  pending_.reset();
  held_.reset();
  return written;
}

}  // namespace wekset
