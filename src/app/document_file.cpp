// Writing "wek.tex" all or nothing.
#include "app/document_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>

namespace wekset {

namespace {

bool IsSameFile(const char* a, const char* b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

bool Writable(const std::string& path, int mode) {
  return faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

}  // namespace

DocumentFile::~DocumentFile() {
  if (direct_ != nullptr) std::fclose(direct_);
  pending_.reset();  // removes the temporary file before the signals come
}

bool DocumentFile::Prepare(Console& console) {
  // Replacing the source with the calendar made from it would lose it.
  if (IsSameFile(name_, sourceName_)) {
    PrintFormatted(console, "[%s] is the source file. It was left unchanged.\n", name_);
    return false;
  }
  target_ = FollowLinks(name_);
  struct stat existing {};
  bool writable = true;
  if (stat(target_.c_str(), &existing) == 0) {
    writable = !S_ISDIR(existing.st_mode) && Writable(target_, W_OK);
    inPlace_ = !S_ISREG(existing.st_mode);
    mode_ = existing.st_mode & 07777;
    keepUmask_ = false;
  }
  if (writable && !inPlace_) writable = Writable(DirectoryOf(target_), W_OK | X_OK);
  if (!writable) {
    PrintFormatted(console, "[%s] cannot be created.\n", name_);
    return false;
  }
  return true;
}

std::FILE* DocumentFile::Open() {
  held_.emplace();
  if (inPlace_) return direct_ = std::fopen(target_.c_str(), "w");
  pending_ = std::make_unique<PendingFile>();
  return pending_->Create(target_, mode_, keepUmask_) ? pending_->stream() : nullptr;
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
