// The events of iCalendar files laid out on the days of a window: versions of
// an event resolved, recurrences expanded, moved and cancelled occurrences
// applied, times in the local zone, and events of several days on each.
#pragma once

#include <libical/ical.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ics/calendar_text.h"
#include "ics/time_zones.h"

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
  // Views of the events' own text, which lives as long as their CalendarEvents.
  std::string_view summary;
  std::string_view location;
  std::string_view file;  // where it came from, for warnings
};

/// The day events of a window.
struct DayEvents {
  std::vector<DayEvent> events;
};

/// The events of the iCalendar texts added to it, parsed once.
class CalendarEvents {
 public:
  CalendarEvents();
  ~CalendarEvents();
  CalendarEvents(const CalendarEvents&) = delete;
  CalendarEvents& operator=(const CalendarEvents&) = delete;

  /// Parses the text of a file, as ReadCalendarText made it, and keeps its
  /// events, their zones found by names. False, with the reason in error, when
  /// it holds no calendar.
  bool Add(const CalendarText& text, const std::string& file, const ZoneNames& names,
           std::string& error);

  /// Every event on the days of the window, with times in the local zone; at
  /// most keep day events in all, shared out among the events. Adds a
  /// warning, "FILE: ...", for each event left out, cut or shown otherwise
  /// than written.
  DayEvents LayOut(const DayWindow& window, icaltimezone* local, std::size_t keep,
                   std::vector<std::string>& warnings) const;

  struct Event;  // an event as it was read, and from where

 private:
  std::vector<std::unique_ptr<icalcomponent, void (*)(icalcomponent*)>> roots_;
  // Of each file: its name, the zones of its calendars, and those left out.
  std::vector<std::unique_ptr<std::string>> files_;
  std::vector<std::unique_ptr<std::vector<std::string>>> brokenZones_;
  std::vector<std::unique_ptr<ZoneResolver>> zones_;
  std::vector<Event> events_;
};

}  // namespace wekset::ics
