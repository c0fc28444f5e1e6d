// How the document shows its weeks beyond the header line's settings: week
// numbers, the direction of its rows, and the names in the reader's language.
// The default style is the document as it has always been.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace wekset {

/// Names in UTF-8, safe to write into TeX as they stand.
struct CalendarNames {
  std::array<std::string, 13> months;   // 1 to 12, as a month stands alone; 0 empty
  std::array<std::string, 7> weekdays;  // abbreviated, 0 for Sunday to 6 for Saturday
  bool rightToLeft = false;             // written from right to left: each name is an \rtlname
};

struct DocumentStyle {
  bool weekNumbers = false;            // each row's ISO 8601 week at its start
  bool rightToLeft = false;            // the first day of a row is its rightmost box
  std::optional<CalendarNames> names;  // none: the English names
};

}  // namespace wekset
