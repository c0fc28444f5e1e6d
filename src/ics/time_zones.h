// The time zones that iCalendar times name, and the zone the calendar is
// shown in.
#pragma once

#include <libical/ical.h>

#include <map>
#include <string>

namespace wekset::ics {

/// The zone of a name: an IANA name ("Europe/Berlin", also after a prefix
/// such as "/mozilla.org/20050126_1/") from the system's zone database, or a
/// Windows name ("W. Europe Standard Time") through CLDR's table in ICU.
/// Null for any other name.
icaltimezone* KnownZone(const std::string& name);

/// Finds the zones that the times of one calendar name: a known zone first,
/// whatever the calendar's own VTIMEZONE says of it, as most calendar apps
/// do; else the calendar's VTIMEZONE of that TZID; else none.
class ZoneResolver {
 public:
  explicit ZoneResolver(icalcomponent* calendar) : calendar_(calendar) {}

  /// Null when the name is unknown.
  icaltimezone* Find(const char* tzid) const;

 private:
  icalcomponent* calendar_;
  // Names found before: a calendar names few zones, its events many times.
  mutable std::map<std::string, icaltimezone*, std::less<>> found_;
};

}  // namespace wekset::ics
