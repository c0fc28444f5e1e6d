// MonthNames: the English month names that the title and the month banners show.
#pragma once

#include <cstddef>

namespace wekset {

inline constexpr std::size_t kMonthNameSize = 10;  // "September" and its NUL

/// Indexed by month, 1 to 12; slot 0 is empty.
inline constexpr char MonthNames[13][kMonthNameSize] = {
    "",     "January", "February",  "March",   "April",    "May",      "June",
    "July", "August",  "September", "October", "November", "December",
};

}  // namespace wekset
