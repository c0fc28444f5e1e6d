// The time zones that iCalendar times name, and the zone the calendar is
// shown in.
#pragma once

#include <libical/ical.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace wekset::ics {

/// The names of the zone database: its zones and links, as tzdata.zi lists
/// them, or else as ICU knows them. Only these names reach libical, which
/// opens a zone's name as a path below /usr/share/zoneinfo.
class ZoneNames {
 public:
  /// The system's list, read from path; ICU's where that cannot be read.
  static ZoneNames Read(const char* path = "/usr/share/zoneinfo/tzdata.zi");

  bool Contains(std::string_view name) const { return names_.find(name) != names_.end(); }

 private:
  std::set<std::string, std::less<>> names_;
};

/// The zone of a name that the list holds ("Europe/Berlin"), or of a Windows
/// name ("W. Europe Standard Time") through CLDR's table in ICU. A name from
/// a file may put a prefix before a listed name, as old Thunderbird
/// ("/mozilla.org/20050126_1/Europe/Berlin") and libical write: withPrefix
/// drops one path component at a time. Null for any other name.
icaltimezone* KnownZone(const ZoneNames& names, std::string_view name, bool withPrefix);

/// What a TZID leads to.
struct FoundZone {
  icaltimezone* zone = nullptr;  // null: none
  bool broken = false;           // the calendar's own VTIMEZONE, left out for an impossible offset
};

/// Finds the zones that the times of one calendar name: a known zone first,
/// whatever the calendar's own VTIMEZONE says of it, as most calendar apps
/// do; else the calendar's VTIMEZONE of that TZID; else none.
class ZoneResolver {
 public:
  ZoneResolver(const ZoneNames& names, icalcomponent* calendar,
               const std::vector<std::string>& brokenZones);

  FoundZone Find(const char* tzid) const;

  /// The zone that the calendar's floating times are meant in: that of its
  /// X-WR-TIMEZONE, as Google and Apple write it; null for none.
  icaltimezone* Floating() const { return floating_; }

 private:
  const ZoneNames* names_;
  icalcomponent* calendar_;
  const std::vector<std::string>* broken_;
  icaltimezone* floating_ = nullptr;
  // Names found before: a calendar names few zones, its events many times.
  mutable std::map<std::string, FoundZone, std::less<>> found_;
};

}  // namespace wekset::ics
