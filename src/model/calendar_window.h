// The window of printed days: whole weeks from the first day of the week
// (Sunday, unless the settings choose another) on or before the start date.
#pragma once

#include "calendar/calendar_arithmetic.h"
#include "model/run_settings.h"

namespace wekset {

struct CalendarWindow {
  DaySerial WindowStart = 0;  // the first printed day, on the settings' WeekStart
  DaySerial WindowEnd = 0;    // one past the last printed day
  CalendarDate AlignedStart;  // the date of WindowStart

  bool operator==(const CalendarWindow&) const = default;
};

/// The window of the settings' weeks, from their WeekStart on or before their
/// start date.
CalendarWindow ComputeCalendarWindow(const RunSettings& settings);

/// Whether the window lies within kFirstCalendarDay to kLastCalendarDay. A
/// window of no weeks only needs its start there.
bool WindowFitsCalendar(const CalendarWindow& window);

}  // namespace wekset
