// The EventTable: the accepted event lines in file order, each a day's offset
// in the window and the text for that day's box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <vector>

namespace wekset {

inline constexpr std::int32_t kMaxEvents = 3659;
inline constexpr std::size_t kDayTextSize = 512;
inline constexpr std::size_t kMaxDayTextLength = kDayTextSize - 1;
/// What stands in a DayText before each further line: a continuation line,
/// or another entry of the same day when the grid joins them.
inline constexpr std::string_view kLineMark = "\\vskip1pt ";

struct EventEntry {
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
