// A copy is one file: a first line that says what it is, the validators as
// header lines, an empty line, then the calendar's bytes. It is written to a
// temporary file beside it and renamed over the old one, so that a run cut
// short never leaves half a copy to be taken for a whole one.
#include "ics/calendar_cache.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/limits.h"

namespace wekset::ics {

namespace {

constexpr const char* kFirstLine = "wekset-ics cached calendar 1\n";
constexpr const char* kEntityTag = "ETag: ";
constexpr const char* kLastModified = "Last-Modified: ";

std::string Sha256Hex(const std::string& text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1) return "";
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

// Each folder of the path that is missing, made for the user alone, as
// caches are.
bool MakeFolders(const std::string& path, int& error) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string folder = path.substr(0, at);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      error = errno;
      return false;
    }
  }
  return true;
}

// The value of a header line of the copy, when line is one of name.
bool TakeValue(const std::string& line, const char* name, std::string& value) {
  const std::size_t length = std::strlen(name);
  if (line.compare(0, length, name) != 0) return false;
  value = line.substr(length);
  return true;
}

}  // namespace

std::string CacheFolder(const std::string& xdgCacheHome, const std::string& home) {
  if (!xdgCacheHome.empty() && xdgCacheHome[0] == '/') return xdgCacheHome + "/wekset";
  if (!home.empty()) return home + "/.cache/wekset";
  return "";
}

std::string CalendarCache::PathOf(const std::string& address) const {
  return folder + "/" + Sha256Hex(address);
}

std::optional<CachedCopy> CalendarCache::Read(const std::string& address) const {
  if (folder.empty()) return std::nullopt;
  std::FILE* file = std::fopen(PathOf(address).c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  CachedCopy copy;
  struct stat status {};
  if (fstat(fileno(file), &status) == 0) copy.confirmed = status.st_mtime;
  std::string text;
  char block[65536];
  std::size_t count;
  while ((count = std::fread(block, 1, sizeof block, file)) > 0 &&
         text.size() <= kMaxFetchBytes + sizeof block) {
    text.append(block, count);
  }
  const bool failed = std::ferror(file) != 0 || count > 0;
  std::fclose(file);
  if (failed || text.compare(0, std::strlen(kFirstLine), kFirstLine) != 0) return std::nullopt;
  std::size_t at = std::strlen(kFirstLine);
  for (;;) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) return std::nullopt;
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.empty()) break;
    if (!TakeValue(line, kEntityTag, copy.entityTag) &&
        !TakeValue(line, kLastModified, copy.lastModified)) {
      return std::nullopt;
    }
  }
  copy.bytes = text.substr(at);
  return copy;
}

std::string CalendarCache::Save(const std::string& address, std::string_view bytes,
                                const std::string& entityTag,
                                const std::string& lastModified) const {
  if (folder.empty()) return "neither XDG_CACHE_HOME nor HOME is set";
  int error = 0;
  if (!MakeFolders(folder, error)) return folder + ": " + std::strerror(error);
  const std::string path = PathOf(address);
  std::string temporary = path + ".XXXXXX";
  const int descriptor = mkstemp(temporary.data());
  if (descriptor < 0) return folder + ": " + std::strerror(errno);
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) {
    error = errno;
    close(descriptor);
    unlink(temporary.c_str());
    return folder + ": " + std::strerror(error);
  }
  std::string head = kFirstLine;
  if (!entityTag.empty()) head += kEntityTag + entityTag + "\n";
  if (!lastModified.empty()) head += kLastModified + lastModified + "\n";
  head += "\n";
  std::fwrite(head.data(), 1, head.size(), file);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  bool written = std::fflush(file) == 0 && std::ferror(file) == 0 && fsync(fileno(file)) == 0;
  error = errno;
  written = std::fclose(file) == 0 && written;
  if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return "";
  if (written) error = errno;
  unlink(temporary.c_str());
  return folder + ": " + std::strerror(error);
}

void CalendarCache::Confirm(const std::string& address) const {
  if (!folder.empty()) utimensat(AT_FDCWD, PathOf(address).c_str(), nullptr, 0);
}

}  // namespace wekset::ics
