// Times as written and as instants, through libical's zones.
#include "ics/event_time.h"

#include <algorithm>

#include "ics/libical.h"
#include "ics/message_text.h"

namespace wekset::ics {

namespace {

// A date of the calendar, and a time of the day; a second of 60 is a leap
// second, as RFC 5545 allows.
bool IsRealTime(const icaltimetype& time) {
  if (time.year < 1 || time.year > 9999 || time.month < 1 || time.month > 12 || time.day < 1 ||
      time.day > icaltime_days_in_month(time.month, time.year)) {
    return false;
  }
  return time.is_date == 1 || (time.hour >= 0 && time.hour < 24 && time.minute >= 0 &&
                               time.minute < 60 && time.second >= 0 && time.second <= 60);
}

}  // namespace

// A wall time in a zone whose clocks change: RFC 5545 takes a time that the
// change skips with the offset from before it, and a time that occurs twice
// as the first of them. The offsets a day either way of it are those from
// before and after any change that touches it.
Instant InstantOf(const icaltimetype& time) {
  const Instant asWritten = icaltime_as_timet(time);
  if (time.is_date == 1 || time.zone == nullptr) return asWritten;
  icaltimezone* zone = Mutable(time.zone);
  const auto wallAt = [&](Instant instant) {
    return static_cast<Instant>(
        icaltime_as_timet(icaltime_from_timet_with_zone(static_cast<time_t>(instant), 0, zone)));
  };
  const Instant before = asWritten - (wallAt(asWritten - kDay) - (asWritten - kDay));
  const Instant after = asWritten - (wallAt(asWritten + kDay) - (asWritten + kDay));
  if (before == after) return before;  // no change of the clocks near it
  const bool beforeFits = wallAt(before) == asWritten, afterFits = wallAt(after) == asWritten;
  if (beforeFits && afterFits) return std::min(before, after);
  return afterFits ? after : before;
}

icaltimetype WallAdded(icaltimetype wall, Instant seconds) {
  icaltime_adjust(&wall, static_cast<int>(seconds / kDay), 0, 0, static_cast<int>(seconds % kDay));
  return wall;
}

EventTime Moved(const EventTime& time, Instant seconds) {
  const icaltimetype wall = WallAdded(time.wall, seconds);
  return {wall, InstantOf(wall)};
}

EventTime InZoneOf(EventTime time, const EventTime& start) {
  if (time.IsFloating() && !start.IsFloating() && !start.IsDate()) {
    time.wall.zone = start.wall.zone;
    time.instant = InstantOf(time.wall);
  }
  return time;
}

ReadTime TimeOf(icalproperty* property, icaltimetype value, const ZoneResolver& zones) {
  ReadTime read;
  EventTime time{value};
  if (!IsRealTime(value)) {
    time.wall = icaltime_normalize(value);
    const std::string kind = value.is_date == 1 ? "date" : "time";
    read.flaw = "its " + kind + " " + Quoted(icaltime_as_ical_string(value)) + " is no real " +
                kind + ", so it is taken as " + Quoted(icaltime_as_ical_string(time.wall));
  }
  if (value.is_date == 0 && !icaltime_is_utc(value)) {
    time.wall.zone = zones.Floating();
    if (const char* tzid = Parameter(property, "TZID")) {
      const FoundZone found = zones.Find(tzid);
      if (found.broken) {
        read.flaw += std::string(read.flaw.empty() ? "" : "; ") + "its time zone " + Quoted(tzid) +
                     " has an impossible UTC offset, so its time is shown as written";
      } else if (found.zone == nullptr) {
        read.flaw = "its time zone " + Quoted(tzid) + " is unknown";
        return read;
      }
      time.wall.zone = found.zone;
    }
  }
  time.instant = InstantOf(time.wall);
  read.time = time;
  return read;
}

Instant EventLength::At(const EventTime& start) const {
  if (days == 0) return seconds;
  return InstantOf(WallAdded(start.wall, days * kDay)) - start.instant + seconds;
}

std::chrono::sys_days DayOf(const icaltimetype& wall) {
  return std::chrono::sys_days{std::chrono::year{wall.year} /
                               std::chrono::month{unsigned(wall.month)} /
                               std::chrono::day{unsigned(wall.day)}};
}

icaltimetype WallClock(Instant instant, icaltimezone* zone) {
  return icaltime_from_timet_with_zone(static_cast<time_t>(instant), 0,
                                       zone != nullptr ? zone : icaltimezone_get_utc_timezone());
}

Instant InstantOfDay(std::chrono::sys_days day, icaltimezone* zone) {
  const Instant asWritten = static_cast<Instant>(day.time_since_epoch().count()) * kDay;
  if (zone == nullptr) return asWritten;
  icaltimetype midnight = icaltime_from_timet_with_zone(static_cast<time_t>(asWritten), 0, nullptr);
  midnight.zone = zone;
  return InstantOf(midnight);
}

bool SameDate(const icaltimetype& a, const icaltimetype& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace wekset::ics
