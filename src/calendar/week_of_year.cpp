// Week numbers are counted in the Gregorian calendar itself, not in the
// program's serials, which leave out 29 February 2000: the weeks of 2000
// must come out as the world has them.
#include "calendar/week_of_year.h"

#include <array>
#include <cctype>

namespace wekset {

namespace {

constexpr std::array<const char*, 7> kWeekdayNames = {"sunday",   "monday", "tuesday", "wednesday",
                                                      "thursday", "friday", "saturday"};

// Days from 1 March of year 0 of the proleptic Gregorian calendar, so that
// each leap day falls at the end of its counting year.
std::int64_t GregorianDayNumber(std::int64_t year, std::int64_t month, std::int64_t day) {
  if (month <= 2) --year;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

// 1 = Monday to 7 = Sunday; day number 0, 1 March of year 0, was a Wednesday.
std::int64_t IsoWeekdayOf(std::int64_t dayNumber) {
  const std::int64_t fromMonday = ((dayNumber + 2) % 7 + 7) % 7;
  return fromMonday + 1;
}

}  // namespace

std::optional<Weekday> ParseWeekdayName(std::string_view name) {
  if (name.size() < 3) return std::nullopt;
  for (Weekday weekday = 0; weekday < 7; ++weekday) {
    const std::string_view full = kWeekdayNames[weekday];
    if (name.size() != 3 && name.size() != full.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(name[i])) == full[i];
    }
    if (same) return weekday;
  }
  return std::nullopt;
}

const char* WeekdayName(Weekday weekday) { return kWeekdayNames[((weekday % 7) + 7) % 7]; }

IsoWeek IsoWeekOf(const CalendarDate& date) {
  const std::int64_t day = GregorianDayNumber(date.year, date.month, date.day);
  // The week's Thursday decides its year; week 1 begins on the Monday of
  // the week that holds 4 January.
  const std::int64_t thursday = day - IsoWeekdayOf(day) + 4;
  std::int64_t year = date.year + 1;
  std::int64_t firstMonday = 0;
  for (;; --year) {
    const std::int64_t january4 = GregorianDayNumber(year, 1, 4);
    firstMonday = january4 - IsoWeekdayOf(january4) + 1;
    if (firstMonday <= thursday) break;
  }
  return {static_cast<std::int32_t>(year),
          static_cast<std::int32_t>((thursday - firstMonday) / 7 + 1)};
}

Weekday GregorianWeekdayOf(const CalendarDate& date) {
  return static_cast<Weekday>(IsoWeekdayOf(GregorianDayNumber(date.year, date.month, date.day)) %
                              7);
}

std::int32_t ThursdayOffset(Weekday first) { return ((4 - first) % 7 + 7) % 7; }

}  // namespace wekset
