// The weeks of the world's calendar: which day a week begins on, named as
// people write it, and the ISO 8601 week a day belongs to.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

/// "sunday" to "saturday" or their first three letters, in any case.
std::optional<Weekday> ParseWeekdayName(std::string_view name);

/// The English name of the weekday, in lower case: "sunday" for 0.
const char* WeekdayName(Weekday weekday);

struct IsoWeek {
  std::int32_t year = 0;  // the year the week belongs to, not always the date's
  std::int32_t week = 0;  // 1 to 53

  bool operator==(const IsoWeek&) const = default;
};

/// The ISO 8601 week of a date of the Gregorian calendar, in which 2000 is
/// a leap year: weeks begin on Monday, and week 1 is the one that holds the
/// year's first Thursday.
IsoWeek IsoWeekOf(const CalendarDate& date);

/// The weekday of a date of the Gregorian calendar, 0 for Sunday to 6, for
/// any year.
Weekday GregorianWeekdayOf(const CalendarDate& date);

/// The day that the week of rows beginning on first shares its ISO week
/// with: its Thursday. As an offset from the row's first day, 0 to 6.
std::int32_t ThursdayOffset(Weekday first);

}  // namespace wekset
