// Zone names. libical loads the system's zone database by IANA name; ICU
// holds CLDR's table of the Windows names that Outlook writes, and a list of
// zone names of its own.
#include "ics/time_zones.h"

#include <unicode/ucal.h>
#include <unicode/uenum.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "ics/libical.h"

namespace wekset::ics {

namespace {

std::string IanaNameOfWindowsZone(std::string_view name) {
  if (name.empty() || name.size() > 128) return "";
  std::u16string windows;
  for (char c : name) {
    if (static_cast<unsigned char>(c) > 127) return "";  // Windows names are ASCII
    windows += static_cast<char16_t>(c);
  }
  UChar iana[128];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucal_getTimeZoneIDForWindowsID(
      windows.data(), static_cast<int32_t>(windows.size()), nullptr, iana, 128, &status);
  if (U_FAILURE(status) || length <= 0 || length > 128) return "";
  return std::string(iana, iana + length);
}

icaltimezone* ListedZone(const ZoneNames& names, std::string_view name) {
  if (name == "UTC" || name == "Etc/UTC" || name == "Z") return icaltimezone_get_utc_timezone();
  if (!names.Contains(name)) return nullptr;
  return icaltimezone_get_builtin_timezone(std::string(name).c_str());
}

}  // namespace

ZoneNames ZoneNames::Read(const char* path) {
  ZoneNames names;
  // Zones are "Z NAME ...", links "L TARGET NAME".
  if (std::FILE* file = std::fopen(path, "r")) {
    char line[512];
    while (std::fgets(line, sizeof line, file) != nullptr) {
      char kind = 0;
      char first[256], second[256];
      const int fields = std::sscanf(line, "%c %255s %255s", &kind, first, second);
      if (kind == 'Z' && fields >= 2) names.names_.emplace(first);
      if (kind == 'L' && fields == 3) names.names_.emplace(second);
    }
    std::fclose(file);
  }
  if (!names.names_.empty()) return names;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UEnumeration, void (*)(UEnumeration*)> all(ucal_openTimeZones(&status),
                                                             uenum_close);
  for (const char* name; U_SUCCESS(status) && (name = uenum_next(all.get(), nullptr, &status));) {
    names.names_.emplace(name);
  }
  return names;
}

icaltimezone* KnownZone(const ZoneNames& names, std::string_view name, bool withPrefix) {
  for (std::string_view rest = name; !rest.empty();) {
    if (icaltimezone* zone = ListedZone(names, rest)) return zone;
    const std::size_t slash = rest.find('/');
    if (!withPrefix || slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return ListedZone(names, IanaNameOfWindowsZone(name));
}

ZoneResolver::ZoneResolver(const ZoneNames& names, icalcomponent* calendar,
                           const std::vector<std::string>& brokenZones)
    : names_(&names), calendar_(calendar), broken_(&brokenZones) {
  for (icalproperty* property : Properties(calendar, ICAL_X_PROPERTY)) {
    const char* name = icalproperty_get_x_name(property);
    if (name != nullptr && std::string_view(name) == "X-WR-TIMEZONE") {
      floating_ = KnownZone(names, TextOr(icalproperty_get_x(property), ""), true);
    }
  }
}

FoundZone ZoneResolver::Find(const char* tzid) const {
  if (tzid == nullptr) return {};
  if (const auto known = found_.find(std::string_view(tzid)); known != found_.end()) {
    return known->second;
  }
  FoundZone found{KnownZone(*names_, tzid, true)};
  if (found.zone == nullptr) {
    found.broken = std::find(broken_->begin(), broken_->end(), tzid) != broken_->end();
    if (!found.broken) found.zone = icalcomponent_get_timezone(calendar_, tzid);
  }
  found_.emplace(tzid, found);
  return found;
}

}  // namespace wekset::ics
