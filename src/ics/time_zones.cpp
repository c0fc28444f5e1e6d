// Zone names. libical knows the system's zone database by IANA name; ICU
// holds CLDR's table of the Windows names that Outlook writes.
#include "ics/time_zones.h"

#include <unicode/ucal.h>

namespace wekset::ics {

namespace {

std::string IanaNameOfWindowsZone(const std::string& name) {
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

}  // namespace

icaltimezone* KnownZone(const std::string& name) {
  // A prefix before an IANA name, as old Thunderbird and libical itself
  // write, is dropped a path component at a time.
  for (std::size_t from = 0; from < name.size();) {
    if (icaltimezone* zone = icaltimezone_get_builtin_timezone(name.c_str() + from)) return zone;
    const std::size_t slash = name.find('/', from);
    if (slash == std::string::npos) break;
    from = slash + 1;
  }
  if (name == "UTC" || name == "Etc/UTC" || name == "Z") return icaltimezone_get_utc_timezone();
  const std::string iana = IanaNameOfWindowsZone(name);
  return iana.empty() ? nullptr : icaltimezone_get_builtin_timezone(iana.c_str());
}

icaltimezone* ZoneResolver::Find(const char* tzid) const {
  if (tzid == nullptr) return nullptr;
  if (const auto known = found_.find(std::string_view(tzid)); known != found_.end()) {
    return known->second;
  }
  icaltimezone* zone = KnownZone(tzid);
  if (zone == nullptr) zone = icalcomponent_get_timezone(calendar_, tzid);
  found_.emplace(tzid, zone);
  return zone;
}

}  // namespace wekset::ics
