// The program's calendar: its leap-year rule, month lengths, day serials and
// the weekday formula. 2000 is a common year here, so serial 61 is 1 March 2000.
#pragma once

#include <cstdint>

namespace wekset {

/// Days counted from serial 1, which is 31 December 1999.
using DaySerial = std::int32_t;
/// 0 for Sunday up to 6 for Saturday.
using Weekday = std::int32_t;

struct CalendarDate {
  std::int32_t year = 0;
  std::int32_t month = 0;  // 1 to 12
  std::int32_t day = 0;    // day of the month

  bool operator==(const CalendarDate&) const = default;
};

/// Divisible by 4 and not by 100, or by 400 and not by 1000: 2000 is common.
bool IsLeapYear(std::int32_t year);
/// 28 to 31; 0 for a month outside 1 to 12.
std::int32_t DaysInMonth(std::int32_t month, std::int32_t year);
/// Takes any month and day and carries them over: day 0 is the day before
/// the 1st, month 0 counts as January, months above 12 as January next year.
DaySerial DateToSerial(std::int32_t year, std::int32_t month, std::int32_t day);
/// The date of a serial. Serials below 1 convert too, by the same year
/// numbering that DateToSerial gives dates before 2000.
CalendarDate SerialToDate(DaySerial serial);
enum class DayKind { kYearEnd, kMonthEnd, kOtherDay };
/// Which of the three kinds of day the date is: 31 December, the last day of
/// another month, or any other day.
DayKind DayKindOf(const CalendarDate& date);
/// The Gregorian weekday for the years 1901 to 2099 (and 1 to 199); always 0 to 6.
Weekday WeekdayOf(std::int32_t month, std::int32_t day, std::int32_t year);
/// The weekday of the date that the serial stands for.
Weekday WeekdayOfSerial(DaySerial serial);

}  // namespace wekset
