// Calendars named by their address, as calendar apps publish them: which
// arguments are addresses, the only part of one that a message may show, and
// fetching one through libcurl and the cache of last good copies.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "model/limits.h"

namespace wekset::ics {

/// An https://, http:// or webcal:// address (webcal is fetched as https),
/// the scheme in any case.
bool IsAddress(std::string_view argument);

/// What of an address may be shown: its scheme and host, as in
/// "https://calendar.example.com/…". Its path, query and user name and
/// password hold the secret of a private calendar, and are never shown.
std::string ShownAddress(std::string_view address);

/// What a run takes from its process for fetching: XDG_CACHE_HOME, HOME,
/// CURL_CA_BUNDLE (certificates to trust instead of the system's) and
/// WEKSET_FETCH_TIMEOUT (seconds, to lower the whole-transfer limit in tests).
struct AddressEnvironment {
  std::string cacheHome;
  std::string home;
  std::string caBundle;
  std::string fetchTimeout;
};

/// How the cache is used: asked first and kept up to date; the only source
/// (--offline); or neither asked nor fallen back on, only written (--refresh).
enum class CacheUse { kAsk, kOffline, kRefresh };

struct FetchSettings {
  std::string cacheFolder;  // empty: nothing is cached
  std::string caBundle;     // empty: the system's certificates
  long transferSeconds = kFetchTransferSeconds;
  CacheUse use = CacheUse::kAsk;
};

/// The settings from the environment; a WEKSET_FETCH_TIMEOUT that is not a
/// number of seconds from 1 to the limit leaves the limit, with a warning.
FetchSettings ReadFetchSettings(const AddressEnvironment& environment, CacheUse use,
                                std::vector<std::string>& warnings);

/// A calendar fetched: its bytes, or else the error that stops the run, and
/// the warnings to give in either case. No text names more of the address
/// than ShownAddress does; the caller puts that before each.
struct FetchedCalendar {
  std::string bytes;
  std::string error;  // empty: fetched, or taken from the cache
  std::vector<std::string> warnings;
  /// Bytes that the server sent anew, with their validators, to be kept once
  /// they prove to be a calendar; false for the cached copy.
  bool fresh = false;
  std::string entityTag;
  std::string lastModified;
};

/// The calendar at the address: fetched, or found unchanged by asking with
/// its cached validators, or the cached copy when it cannot be fetched.
FetchedCalendar FetchCalendar(const std::string& address, const FetchSettings& settings,
                              std::time_t now);

/// Keeps the bytes of a fresh fetch, read as a calendar, as the address's
/// last good copy, so that an error page never takes a calendar's place.
/// Returns a warning, or an empty text.
std::string KeepCopy(const std::string& address, const FetchSettings& settings,
                     const FetchedCalendar& fetched, std::string_view bytes);

/// "under a minute ago", "N minutes ago", and so on to days.
std::string AgeText(std::time_t then, std::time_t now);

}  // namespace wekset::ics
