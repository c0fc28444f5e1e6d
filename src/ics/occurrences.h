// The events of iCalendar files laid out on the days of a window, through
// libical: recurrences expanded, moved and cancelled occurrences applied,
// times in the local zone, and events of several days on each of them.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace wekset::ics {

/// Days from first up to, not including, end.
struct DayWindow {
  std::chrono::sys_days first;
  std::chrono::sys_days end;
};

/// One event on one day of the window.
struct DayEvent {
  std::chrono::sys_days day;
  bool timed = false;  // written with its start time: the first day of a timed event
  int minutes = 0;     // its start, in minutes after midnight
  int dayNumber = 1;   // which of the event's days this is
  int dayCount = 1;    // how many days the event covers
  std::string summary;
  std::string location;
  std::string file;  // where it came from, for warnings
};

/// Reads every file ("-" is standard input) and adds the events on the days
/// of the window. Returns false, with "FILE: reason" in error, when a file
/// cannot be read or is not iCalendar. A broken event is left out with a
/// warning.
bool ReadOccurrences(const std::vector<std::string>& files, const DayWindow& window,
                     std::vector<DayEvent>& events, std::vector<std::string>& warnings,
                     std::string& error);

}  // namespace wekset::ics
