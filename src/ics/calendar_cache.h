// The last good copy of each calendar fetched by its address, one file a
// calendar in a folder of the user's cache, named by a hash of the address so
// that no file name gives the address away.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace wekset::ics {

/// A calendar as it was last fetched: its bytes, the validators that the
/// server gave with them (each empty when it gave none), and when the server
/// last gave or confirmed them.
struct CachedCopy {
  std::string bytes;
  std::string entityTag;
  std::string lastModified;
  std::time_t confirmed = 0;
};

/// The cache folder: $XDG_CACHE_HOME/wekset, where that is an absolute path,
/// or else HOME/.cache/wekset; empty where neither is set.
std::string CacheFolder(const std::string& xdgCacheHome, const std::string& home);

/// The copies in one folder (empty: no cache, nothing is kept). Each method
/// takes the address as it is fetched.
struct CalendarCache {
  std::string folder;

  /// The copy of the address, when one is kept and is whole.
  std::optional<CachedCopy> Read(const std::string& address) const;
  /// Keeps the copy in place of the earlier one, whole or not at all; the
  /// folder and those above it that are missing are made with mode 0700.
  /// Returns what went wrong, or an empty text.
  std::string Save(const std::string& address, std::string_view bytes, const std::string& entityTag,
                   const std::string& lastModified) const;
  /// Marks the copy as confirmed now by the server.
  void Confirm(const std::string& address) const;
  /// The path of the address's copy.
  std::string PathOf(const std::string& address) const;
};

}  // namespace wekset::ics
