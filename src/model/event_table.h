// The EventTable: the accepted event lines in file order, each with its day
// and the text for that day's box.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <vector>

#include "model/limits.h"

namespace wekset {

struct EventEntry {
  /// The day's serial less the window's first: 0 is the first printed day.
  /// Dates before or after the window are stored too, with an offset below 0
  /// or of the window's length or more, and are never printed.
  std::int32_t DayOffset = 0;
  char DayText[kDayTextSize] = {};  // NUL-terminated
};

/// Entry n of the design is entries[n - 1]. The entries' storage comes from
/// the given memory resource, so that a test can make it run out.
struct EventTable {
  explicit EventTable(std::pmr::memory_resource* memory = std::pmr::get_default_resource())
      : entries(memory) {}

  std::int32_t EventCount() const { return static_cast<std::int32_t>(entries.size()); }

  std::pmr::vector<EventEntry> entries;
};

}  // namespace wekset
