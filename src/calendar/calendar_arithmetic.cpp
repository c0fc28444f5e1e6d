// The calendar arithmetic. Conversions work in 64 bits and in closed form, so
// that no input year, however far away, makes them slow or overflow.
#include "calendar/calendar_arithmetic.h"

#include <algorithm>

namespace wekset {

namespace {

constexpr std::int64_t kFirstYear = 2000;  // the year of serial 2

// Leap years from year 1 through the given year (0 or above) under IsLeapYear.
// Divisible by 400 and by 1000 means divisible by 2000.
std::int64_t LeapYearsThrough(std::int64_t year) {
  return year / 4 - year / 100 + year / 400 - year / 2000;
}

// Years before 2000 count 365 days each, leap or not, as DateToSerial has it.
std::int64_t SerialOf(std::int64_t year, std::int32_t month, std::int64_t day) {
  // Days of a common year before the 1st of each month; every month above 12
  // counts the whole year, every month below 1 none of it.
  static constexpr std::int64_t kDaysBefore[] = {0,   31,  59,  90,  120, 151, 181,
                                                 212, 243, 273, 304, 334, 365};
  std::int64_t serial = (year - kFirstYear) * 365 + 1;
  if (year > kFirstYear) {
    serial += LeapYearsThrough(year - 1) - LeapYearsThrough(kFirstYear - 1);
  }
  const std::int32_t monthsBefore = month < 1 ? 0 : std::min(month, 13) - 1;
  serial += kDaysBefore[monthsBefore];
  if (monthsBefore >= 2 && IsLeapYear(static_cast<std::int32_t>(year))) ++serial;
  return serial + day;
}

std::int64_t FloorMod(std::int64_t value, std::int64_t divisor) {
  const std::int64_t remainder = value % divisor;
  return remainder < 0 ? remainder + divisor : remainder;
}

}  // namespace

bool IsLeapYear(std::int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || (year % 400 == 0 && year % 1000 != 0);
}

std::int32_t DaysInMonth(std::int32_t month, std::int32_t year) {
  static constexpr std::int32_t kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kLength[month - 1];
}

DaySerial DateToSerial(std::int32_t year, std::int32_t month, std::int32_t day) {
  return static_cast<DaySerial>(SerialOf(year, month, day));
}

CalendarDate SerialToDate(DaySerial serial) {
  // Guess the year from the mean year length, then step to the year whose
  // 1 January is the last one on or before the serial.
  std::int64_t year = kFirstYear + (std::int64_t{serial} - 2) * 400 / 146097;
  while (SerialOf(year, 1, 1) > serial) --year;
  while (SerialOf(year + 1, 1, 1) <= serial) ++year;

  const auto y = static_cast<std::int32_t>(year);
  auto day = static_cast<std::int32_t>(serial - SerialOf(year, 1, 1) + 1);
  std::int32_t month = 1;
  while (day > DaysInMonth(month, y)) day -= DaysInMonth(month++, y);

  return CalendarDate{y, month, day};
}

DayKind DayKindOf(const CalendarDate& date) {
  if (date.month == 12 && date.day == 31) return DayKind::kYearEnd;
  return date.day == DaysInMonth(date.month, date.year) ? DayKind::kMonthEnd : DayKind::kOtherDay;
}

Weekday WeekdayOf(std::int32_t month, std::int32_t day, std::int32_t year) {
  static constexpr std::int64_t kMonthCode[] = {20, 0, 16, 24, 20, 0, 24, 4, 12, 8, 16, 12};
  // A month outside 1 to 12 has no code of its own; 0 keeps the result a weekday.
  const std::int64_t code = month >= 1 && month <= 12 ? kMonthCode[month - 1] : 0;
  const std::int64_t reduced = year > 1900 ? std::int64_t{year} - 1900 : year;
  // Floor modulo continues the 28-year cycle below 1921 and the days below 0.
  const std::int64_t c = code + FloorMod(reduced - 21, 28) + (month > 2 ? 1 : 0);
  const std::int64_t w = (c / 4 + c) % 7;
  return static_cast<Weekday>(FloorMod(std::int64_t{day} + w + 1, 7));
}

Weekday WeekdayOfSerial(DaySerial serial) {
  const CalendarDate date = SerialToDate(serial);
  return WeekdayOf(date.month, date.day, date.year);
}

}  // namespace wekset
