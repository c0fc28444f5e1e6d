// The settings of a run, as the header line gives them.
#pragma once

#include <cstdint>

namespace wekset {

struct RunSettings {
  std::int32_t StartYear = 0;
  std::int32_t StartMonth = 0;
  std::int32_t StartDay = 0;
  std::int32_t WeekCount = 6;
  std::int32_t WeeksPerPage = 6;
  std::int32_t TitleMonth = 0;  // 0: no title banner

  bool operator==(const RunSettings&) const = default;
};

}  // namespace wekset
