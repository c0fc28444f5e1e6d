// The times of an event as written and as instants: dates, times in a zone
// whose clocks change, floating times, and how long an event lasts.
#pragma once

#include <libical/ical.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "ics/time_zones.h"

namespace wekset::ics {

/// Seconds since 1970, counted in UTC for a zoned time and as written for a
/// floating time or a date (whose moment is its midnight).
using Instant = std::int64_t;

inline constexpr Instant kDay = 24 * 60 * 60;

/// A time of an event as written: a date, a time in a zone, or a floating
/// time, and its instant.
struct EventTime {
  icaltimetype wall;
  Instant instant = 0;

  bool IsDate() const { return wall.is_date == 1; }
  bool IsFloating() const { return wall.is_date == 0 && wall.zone == nullptr; }
};

/// What became of a time as written: the time, or none when it cannot be
/// placed, and why not, or how it is shown otherwise than written.
struct ReadTime {
  std::optional<EventTime> time;
  std::string flaw;
};

/// The time of a DTSTART, DTEND, RDATE, EXDATE or RECURRENCE-ID value, in the
/// zone that the property's TZID names, or for a floating time the
/// calendar's own (X-WR-TIMEZONE): none when the zone is unknown; as written,
/// without a zone, when its VTIMEZONE was left out; an impossible date or
/// time (20261232, T256199) carried over into the next days, as libical
/// counts, with a flaw each.
ReadTime TimeOf(icalproperty* property, icaltimetype value, const ZoneResolver& zones);

/// The instant of a time written in a zone, or as written without one.
Instant InstantOf(const icaltimetype& time);

/// The wall time the given seconds later, counted in wall time.
icaltimetype WallAdded(icaltimetype wall, Instant seconds);

/// The time moved by the given seconds, in its own wall time.
EventTime Moved(const EventTime& time, Instant seconds);

/// The time, where it is floating, in the zone of the event's start: a time
/// without a zone of its own, in an event of a zone, is in that zone.
EventTime InZoneOf(EventTime time, const EventTime& start);

/// How long an event lasts: the exact seconds of a DTEND, or of a DURATION's
/// hours, minutes and seconds, and a DURATION's nominal days and weeks, which
/// last from a wall time to the same wall time, whatever the clocks do
/// between.
struct EventLength {
  Instant seconds = 0;
  int days = 0;

  /// The seconds that an occurrence from start lasts.
  Instant At(const EventTime& start) const;
};

/// The date of a wall time.
std::chrono::sys_days DayOf(const icaltimetype& wall);

/// The wall time of an instant in a zone, or in UTC for none.
icaltimetype WallClock(Instant instant, icaltimezone* zone);

/// The instant of a day's midnight in a zone, or as written without one.
Instant InstantOfDay(std::chrono::sys_days day, icaltimezone* zone);

bool SameDate(const icaltimetype& a, const icaltimetype& b);

}  // namespace wekset::ics
