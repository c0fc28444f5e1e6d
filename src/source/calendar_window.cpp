// The calendar window and the range of dates a window may cover.
#include "source/calendar_window.h"

#include <cstdint>

namespace wekset {

CalendarWindowData CalendarWindow;

void ResetCalendarWindow() { CalendarWindow = CalendarWindowData{}; }

namespace {

// The Sunday on or before the start serial. The weekday is taken from the day
// the serial stands for, not from the date as written, so that a day field
// that runs past February 2000 is aligned by the same calendar as its serial.
DaySerial SundayOnOrBefore(DaySerial start) {
  if (start < 1) return start;  // before the calendar: out of range anyway
  SerialToDate(start);
  return start - WeekdayOf(ConvertedDate.month, ConvertedDate.day, ConvertedDate.year);
}

DaySerial StartSerial(const RunSettingsData& settings) {
  return DateToSerial(settings.StartYear, settings.StartMonth, settings.StartDay);
}

}  // namespace

bool WindowFitsCalendar(const RunSettingsData& settings) {
  const std::int64_t first = SundayOnOrBefore(StartSerial(settings));
  const std::int64_t last = first + 7 * std::int64_t{settings.WeekCount} - 1;
  const DaySerial earliest = DateToSerial(2000, 3, 5);
  const DaySerial latest = DateToSerial(2099, 12, 31);
  return first >= earliest && first <= latest && (settings.WeekCount <= 0 || last <= latest);
}

void ComputeCalendarWindow() {
  const DaySerial start = StartSerial(RunSettings);
  const DaySerial first = SundayOnOrBefore(start);
  if (first != start) {
    SerialToDate(first);
    RunSettings.StartYear = ConvertedDate.year;
    RunSettings.StartMonth = ConvertedDate.month;
    RunSettings.StartDay = ConvertedDate.day;
  }
  CalendarWindow.WindowStart = first;
  CalendarWindow.WindowEnd = first + 7 * RunSettings.WeekCount;
}

}  // namespace wekset
