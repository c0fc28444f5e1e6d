// The process-wide month names.
#include "tex/month_names.h"

#include <cstring>

namespace wekset {

char MonthNames[13][kMonthNameSize];

void FillMonthNames() {
  static constexpr const char* kNames[] = {"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
  for (int month = 1; month <= 12; ++month) std::strcpy(MonthNames[month], kNames[month - 1]);
}

void ResetMonthNames() { std::memset(MonthNames, 0, sizeof MonthNames); }

}  // namespace wekset
