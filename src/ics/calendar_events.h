// The events of iCalendar files laid out on the days of a window: versions of
// an event resolved, recurrences expanded, moved and cancelled occurrences
// applied, times in the local zone, and events of several days on each.
#pragma once

#include <libical/ical.h>

#include <memory>
#include <string>
#include <vector>

#include "ics/calendar_text.h"
#include "ics/day_layout.h"
#include "ics/time_zones.h"
#include "ics/versions.h"

namespace wekset::ics {

/// What laying the events out may cost: the steps of one rule's iterator,
/// and of all of them in a run, about a second's work for libical each half
/// million.
struct LayOutLimits {
  std::size_t keep = 0;  // the day events in all
  std::int64_t ruleSteps = 500'000;
  std::int64_t runSteps = 1'500'000;
};

/// The events of the iCalendar texts added to it, parsed once.
class CalendarEvents {
 public:
  CalendarEvents() = default;
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
  DayEvents LayOut(const DayWindow& window, icaltimezone* local, const LayOutLimits& limits,
                   std::vector<std::string>& warnings) const;

 private:
  std::vector<std::unique_ptr<icalcomponent, void (*)(icalcomponent*)>> roots_;
  // Of each file: its name, the zones of its calendars, and those left out.
  std::vector<std::unique_ptr<std::string>> files_;
  std::vector<std::unique_ptr<std::vector<std::string>>> brokenZones_;
  std::vector<std::unique_ptr<ZoneResolver>> zones_;
  std::vector<Event> events_;
};

}  // namespace wekset::ics
