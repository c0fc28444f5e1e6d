// The occurrences of one event: its DTSTART, its rules, its RDATEs and
// EXDATEs, in its own time zones, within a range of time.
#pragma once

#include <libical/ical.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ics/event_time.h"
#include "ics/time_zones.h"

namespace wekset::ics {

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
  Instant window = 0;          // where the window begins; before it, the starts of long events
  std::size_t keep = 0;        // the starts kept of each rule in the window, and before it, at most
  std::int64_t ruleSteps = 0;  // the steps of one rule's iterator, at most
  std::int64_t steps = 0;      // the steps of the rules' iterators left for the whole run
};

/// What expanding an event gave: its occurrences, the steps its rules took,
/// and a warning, without the event's name, for each flaw and each rule cut
/// short.
struct Expansion {
  Occurrences occurrences;
  std::int64_t steps = 0;
  std::vector<std::string> flaws;
};

/// The occurrences of a master event that start within the limits' range,
/// each lasting length from its start: DTSTART, always; those of its rules,
/// of which a broken one counts as none, a negative COUNT as no COUNT, a
/// misspelt part as none; its RDATEs, PERIODs with their own lengths; less
/// its EXDATEs.
Expansion ExpandEvent(icalcomponent* event, const EventTime& start, const EventLength& length,
                      const ZoneResolver& zones, const ExpansionLimits& limits);

/// Whether an EXDATE of the event excludes the occurrence at time: the moment,
/// or the day as written where either is all-day.
bool IsExcluded(icalcomponent* event, const EventTime& time, const EventTime& start,
                const ZoneResolver& zones);

}  // namespace wekset::ics
