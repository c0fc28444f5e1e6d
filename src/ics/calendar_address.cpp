// Fetching is libcurl's, and so is reading an address. Every reason given
// for a failure is this file's own text or libcurl's fixed one for its code,
// never libcurl's detailed error text, which may quote the address.
#include "ics/calendar_address.h"

#include <curl/curl.h>

#include <cctype>
#include <memory>
#include <optional>

#include "ics/calendar_cache.h"

namespace wekset::ics {

namespace {

using Handle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Address = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool IsWebcal(std::string_view address) { return StartsWithFolded(address, "webcal://"); }

// A part of an address that libcurl has read, or nothing.
std::optional<std::string> PartOf(CURLU* address, CURLUPart part) {
  char* text = nullptr;
  if (curl_url_get(address, part, &text, 0) != CURLUE_OK) return std::nullopt;
  std::string value = text;
  curl_free(text);
  return value;
}

Address ReadAddress(std::string_view text) {
  Address address(curl_url(), curl_url_cleanup);
  const std::string whole(text);
  if (address && curl_url_set(address.get(), CURLUPART_URL, whole.c_str(),
                              CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
    address.reset();
  }
  return address;
}

// The address as it is fetched and cached: webcal as https, in libcurl's
// normal form; empty when it cannot be read or names no host.
std::string FetchedForm(const std::string& text) {
  const Address address = ReadAddress(text);
  if (!address || !PartOf(address.get(), CURLUPART_HOST)) return "";
  if (IsWebcal(text) && curl_url_set(address.get(), CURLUPART_SCHEME, "https", 0) != CURLUE_OK) {
    return "";
  }
  return PartOf(address.get(), CURLUPART_URL).value_or("");
}

// A validator that the server gave, as it may be sent back: a header line's
// printable ASCII, and short.
std::string Validator(CURL* curl, const char* name) {
  curl_header* header = nullptr;
  if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK) return "";
  const std::string value = header->value;
  if (value.size() > kMaxValidatorLength) return "";
  for (const char c : value) {
    if (c < 0x20 || c > 0x7E) return "";
  }
  return value;
}

struct Body {
  std::string bytes;
  bool tooLarge = false;
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* user) {
  Body& body = *static_cast<Body*>(user);
  const std::size_t length = size * count;
  if (length > kMaxFetchBytes - body.bytes.size()) {
    body.tooLarge = true;
    return 0;
  }
  body.bytes.append(data, length);
  return length;
}

// What the server answered: a status with its body and validators, or the
// reason that no answer came.
struct Answer {
  long status = 0;
  CachedCopy copy;
  std::string reason;
};

std::string ReasonOf(CURLcode code, CURL* curl, const Body& body, const std::string& scheme,
                     long transferSeconds) {
  if (body.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    return std::string("it is larger than ") + kMaxFetchSize;
  }
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT: {
      curl_off_t connected = 0;
      curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
      if (connected == 0) {
        return "no connection within " +
               std::to_string(std::min(kFetchConnectSeconds, transferSeconds)) + " seconds";
      }
      return "no complete answer within " + std::to_string(transferSeconds) + " seconds";
    }
    case CURLE_COULDNT_RESOLVE_HOST:
      return "the host is not known";
    case CURLE_COULDNT_CONNECT:
      return "the server cannot be reached";
    case CURLE_PEER_FAILED_VERIFICATION:
      return "the server's certificate cannot be verified";
    case CURLE_TOO_MANY_REDIRECTS:
      return "it redirects more than " + std::to_string(kMaxRedirects) + " times";
    case CURLE_UNSUPPORTED_PROTOCOL:
      return scheme == "https" ? "a redirect away from https is refused"
                               : "a redirect to a scheme other than http or https is refused";
    default:
      return curl_easy_strerror(code);
  }
}

Answer Ask(const std::string& address, const std::optional<CachedCopy>& cached,
           const FetchSettings& settings) {
  Answer answer;
  const Handle curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) {
    answer.reason = "libcurl cannot be started";
    return answer;
  }
  // An https address stays https through its redirects; an http one may
  // move up to https.
  const std::string scheme = StartsWithFolded(address, "https://") ? "https" : "http";
  const char* schemes = scheme == "https" ? "https" : "http,https";
  HeaderList headers(nullptr, curl_slist_free_all);
  const auto addHeader = [&headers](const std::string& line) {
    curl_slist* longer = curl_slist_append(headers.get(), line.c_str());
    if (longer != nullptr) {
      (void)headers.release();
      headers.reset(longer);
    }
  };
  if (cached && !cached->entityTag.empty()) addHeader("If-None-Match: " + cached->entityTag);
  if (cached && !cached->lastModified.empty()) {
    addHeader("If-Modified-Since: " + cached->lastModified);
  }
  Body body;
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, address.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, schemes);
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, schemes);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!settings.caBundle.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, settings.caBundle.c_str());
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT,
                   std::min(kFetchConnectSeconds, settings.transferSeconds));
  curl_easy_setopt(c, CURLOPT_TIMEOUT, settings.transferSeconds);
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxFetchBytes));
  curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "wekset-ics/" WEKSET_VERSION);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
  const CURLcode code = curl_easy_perform(c);
  if (code != CURLE_OK) {
    answer.reason = ReasonOf(code, c, body, scheme, settings.transferSeconds);
    return answer;
  }
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
  answer.copy.bytes = std::move(body.bytes);
  answer.copy.entityTag = Validator(c, "ETag");
  answer.copy.lastModified = Validator(c, "Last-Modified");
  return answer;
}

}  // namespace

bool IsAddress(std::string_view argument) {
  return StartsWithFolded(argument, "https://") || StartsWithFolded(argument, "http://") ||
         IsWebcal(argument);
}

std::string ShownAddress(std::string_view address) {
  std::string scheme(address.substr(0, address.find("://")));
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const Address read = ReadAddress(address);
  const std::optional<std::string> host = read ? PartOf(read.get(), CURLUPART_HOST) : std::nullopt;
  return scheme + "://" + (host ? *host + "/" : "") + "\u2026";
}

FetchSettings ReadFetchSettings(const AddressEnvironment& environment, CacheUse use,
                                std::vector<std::string>& warnings) {
  FetchSettings settings;
  settings.cacheFolder = CacheFolder(environment.cacheHome, environment.home);
  settings.caBundle = environment.caBundle;
  settings.use = use;
  const std::string& seconds = environment.fetchTimeout;
  if (seconds.empty()) return settings;
  long value = 0;
  for (const char c : seconds) {
    value = c >= '0' && c <= '9' && value <= kFetchTransferSeconds ? value * 10 + (c - '0') : -1;
    if (value < 0) break;
  }
  if (value >= 1 && value <= kFetchTransferSeconds) {
    settings.transferSeconds = value;
  } else {
    warnings.push_back("WEKSET_FETCH_TIMEOUT takes seconds from 1 to " +
                       std::to_string(kFetchTransferSeconds) + ", not " + seconds +
                       "; the limit stays " + std::to_string(kFetchTransferSeconds) + " seconds");
  }
  return settings;
}

std::string AgeText(std::time_t then, std::time_t now) {
  const long long seconds = now > then ? static_cast<long long>(now - then) : 0;
  const auto count = [](long long n, const char* unit) {
    return std::to_string(n) + " " + unit + (n == 1 ? "" : "s") + " ago";
  };
  if (seconds < 60) return "under a minute ago";
  if (seconds < 2 * 3600) return count(seconds / 60, "minute");
  if (seconds < 2 * 86400) return count(seconds / 3600, "hour");
  return count(seconds / 86400, "day");
}

std::string KeepCopy(const std::string& address, const FetchSettings& settings,
                     const FetchedCalendar& fetched, std::string_view bytes) {
  if (!fetched.fresh) return "";
  const std::string error = CalendarCache{settings.cacheFolder}.Save(
      FetchedForm(address), bytes, fetched.entityTag, fetched.lastModified);
  return error.empty() ? "" : "the copy could not be cached: " + error;
}

FetchedCalendar FetchCalendar(const std::string& address, const FetchSettings& settings,
                              std::time_t now) {
  FetchedCalendar result;
  const std::string fetched = FetchedForm(address);
  if (fetched.empty()) {
    result.error = "not an address that can be fetched";
    return result;
  }
  const CalendarCache cache{settings.cacheFolder};
  std::optional<CachedCopy> cached;
  if (settings.use != CacheUse::kRefresh) cached = cache.Read(fetched);
  const auto fallBack = [&](const std::string& why) {
    if (!cached) {
      result.error = why + "; no copy is cached";
      return;
    }
    result.warnings.push_back(why + "; the copy cached " + AgeText(cached->confirmed, now) +
                              " is used");
    result.bytes = std::move(cached->bytes);
  };
  if (settings.use == CacheUse::kOffline) {
    fallBack("offline");
    return result;
  }
  Answer answer = Ask(fetched, cached, settings);
  if (answer.reason.empty() && answer.status == 304 && cached) {
    cache.Confirm(fetched);
    result.bytes = std::move(cached->bytes);
    return result;
  }
  if (answer.reason.empty() && answer.status >= 200 && answer.status < 300) {
    result.bytes = std::move(answer.copy.bytes);
    result.fresh = true;
    result.entityTag = answer.copy.entityTag;
    result.lastModified = answer.copy.lastModified;
    return result;
  }
  if (answer.reason.empty()) answer.reason = "the server answered " + std::to_string(answer.status);
  if (settings.use == CacheUse::kRefresh) {
    result.error = "cannot be fetched: " + answer.reason;
    return result;
  }
  fallBack("cannot be fetched: " + answer.reason);
  return result;
}

}  // namespace wekset::ics
