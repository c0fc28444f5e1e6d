// The occurrences of events laid out on the days of a window, in the local
// zone, and the table of wekset's events shared out among them.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ics/versions.h"

namespace wekset::ics {

/// Days from first up to, not including, end.
struct DayWindow {
  std::chrono::sys_days first;
  std::chrono::sys_days end;
};

/// One event on one day of the window.
struct DayEvent {
  std::chrono::sys_days day;
  bool timed = false;             // written with its start time: the first day of a timed event
  int minutes = 0;                // its start, in minutes after midnight
  std::optional<int> endMinutes;  // a timed event that ends the next night
  std::optional<std::chrono::sys_days> until;  // the last day of a timed event of several
  int dayNumber = 1;                           // which of the event's days this is
  int dayCount = 1;                            // how many days the event covers
  // Views of the events' own text, which lives as long as their CalendarEvents.
  std::string_view summary;
  std::string_view location;
  std::string_view file;  // where it came from, for warnings
};

/// The day events of a window.
struct DayEvents {
  std::vector<DayEvent> events;
};

/// The days of the window that the occurrences cover, DTEND not included,
/// earliest first. Dates and floating times are laid out as written, zoned
/// times in the local zone. A timed event is on a later day only where it
/// lasts past that day's early morning; one that ends in the night after its
/// day shows its end, and one of several days the last of them.
std::vector<DayEvent> DaysOf(const std::vector<Shown>& shown, const DayWindow& window,
                             icaltimezone* local);

/// The day events of one event.
struct EventLines {
  const Event* event;
  std::vector<DayEvent> days;  // earliest first
};

/// Shares the table's keep lines out among the events, so that no event can
/// push out the rest: each event takes what it has, up to a fair share of
/// what is left, the left divided among the events that still want lines;
/// the smaller events first, and of events as large, the earlier first. Adds
/// a warning for each event cut, and one for those left out.
DayEvents ShareOut(std::vector<EventLines> lines, std::size_t keep,
                   std::vector<std::string>& warnings);

}  // namespace wekset::ics
