// The settings of a run, as the header line gives them, and the day its
// weeks begin on.
#pragma once

#include <cstdint>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

struct RunSettings {
  std::int32_t StartYear = 0;
  std::int32_t StartMonth = 0;
  std::int32_t StartDay = 0;
  std::int32_t WeekCount = 6;
  std::int32_t WeeksPerPage = 6;
  std::int32_t TitleMonth = 0;  // 0: no title banner
  Weekday WeekStart = 0;        // the first day of every week row: Sunday unless chosen

  bool operator==(const RunSettings&) const = default;
};

}  // namespace wekset
