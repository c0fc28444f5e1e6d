// The occurrences of one event: its DTSTART, its rules, its RDATEs and
// EXDATEs, in its own time zones, within a range of time.
#pragma once

#include <libical/ical.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

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
/// zone that the property's TZID names: none when the zone is unknown; as
/// written, without a zone, when its VTIMEZONE was left out; an impossible
/// date or time (20261232, T256199) carried over into the next days, as
/// libical counts, with a flaw each.
ReadTime TimeOf(icalproperty* property, icaltimetype value, const ZoneResolver& zones);

/// The instant of a time written in a zone, or as written without one.
Instant InstantOf(const icaltimetype& time);

/// The wall time the given seconds later, counted in wall time.
icaltimetype WallAdded(icaltimetype wall, Instant seconds);

/// The time, where it is floating, in the zone of the event's start: a time
/// without a zone of its own, in an event of a zone, is in that zone.
EventTime InZoneOf(EventTime time, const EventTime& start);

/// An occurrence: when it starts and how long it lasts.
struct Occurrence {
  EventTime start;
  Instant length = 0;  // seconds; a date's whole days count as 86400 each
};

/// The occurrences of an event, keyed by their instants.
using Occurrences = std::map<Instant, Occurrence>;

/// What expanding an event may cost and may keep.
struct ExpansionLimits {
  Instant from = 0;  // the range of starts that are kept: from up to, not including, to
  Instant to = 0;
  Instant window = 0;    // where the window begins; before it, the starts of long events
  std::size_t keep = 0;  // the starts kept of each rule in the window, and before it, at most
  std::int64_t eventBudget = 0;    // the steps of one rule's iterator, at most
  std::int64_t* budget = nullptr;  // the steps of the rules' iterators left for the whole run
};

/// The occurrences of a master event that start within the limits' range,
/// each lasting length: DTSTART, always; those of its rules, of which a broken
/// one counts as none, a negative COUNT as no COUNT; its RDATEs, PERIODs with
/// their own lengths; less its EXDATEs. Adds a warning, without the event's
/// name, for each flaw.
Occurrences ExpandEvent(icalcomponent* event, const EventTime& start, Instant length,
                        const ZoneResolver& zones, const ExpansionLimits& limits,
                        std::vector<std::string>& warnings);

}  // namespace wekset::ics
