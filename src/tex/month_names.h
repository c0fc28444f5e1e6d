// The names the document shows: MonthNames, the English month names of the
// title and the month banners, the English weekday abbreviations, and the
// names of the reader's language where the style has them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "calendar/calendar_arithmetic.h"
#include "model/document_style.h"

namespace wekset {

inline constexpr std::size_t kMonthNameSize = 10;  // "September" and its NUL

/// Indexed by month, 1 to 12; slot 0 is empty.
inline constexpr char MonthNames[13][kMonthNameSize] = {
    "",     "January", "February",  "March",   "April",    "May",      "June",
    "July", "August",  "September", "October", "November", "December",
};

/// Three letters for each weekday, from Sunday.
inline constexpr const char* kWeekdayAbbreviations = "SunMonTueWedThuFriSat";

/// The month's name in the style's language, English without one.
inline const char* MonthName(const DocumentStyle& style, std::int32_t month) {
  return style.names ? style.names->months[month].c_str() : MonthNames[month];
}

/// The weekday's abbreviation in the style's language, English without one.
inline std::string WeekdayAbbreviation(const DocumentStyle& style, Weekday weekday) {
  if (style.names) return style.names->weekdays[weekday];
  return std::string(kWeekdayAbbreviations + 3 * weekday, 3);
}

}  // namespace wekset
