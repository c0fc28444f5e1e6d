// The calendar window and the range of dates a window may cover.
#include "model/calendar_window.h"

#include "model/limits.h"

namespace wekset {

namespace {

// The week's first day on or before the start serial. The weekday is taken
// from the day the serial stands for, not from the date as written, so that a
// day field that runs past February 2000 is aligned by the same calendar as
// its serial.
DaySerial WeekStartOnOrBefore(DaySerial start, Weekday first) {
  if (start < 1) return start;  // before the calendar: out of range anyway
  return start - (WeekdayOfSerial(start) - first + 7) % 7;
}

}  // namespace

CalendarWindow ComputeCalendarWindow(const RunSettings& settings) {
  const DaySerial start = WeekStartOnOrBefore(
      DateToSerial(settings.StartYear, settings.StartMonth, settings.StartDay), settings.WeekStart);
  return {start, start + 7 * settings.WeekCount, SerialToDate(start)};
}

bool WindowFitsCalendar(const CalendarWindow& window) {
  const auto serialOf = [](const CalendarDate& date) {
    return DateToSerial(date.year, date.month, date.day);
  };
  const DaySerial earliest = serialOf(kFirstCalendarDay);
  const DaySerial latest = serialOf(kLastCalendarDay);
  const bool empty = window.WindowEnd <= window.WindowStart;
  return window.WindowStart >= earliest && window.WindowStart <= latest &&
         (empty || window.WindowEnd - 1 <= latest);
}

}  // namespace wekset
