// The EventTable: the accepted event lines in file order, each a day's offset
// in the window and the text for that day's box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace wekset {

inline constexpr int kEventSlots = 3660;  // slot 0 is never used
inline constexpr int kMaxEvents = kEventSlots - 1;
inline constexpr std::size_t kDayTextSize = 512;
inline constexpr std::size_t kMaxDayTextLength = kDayTextSize - 1;

struct EventTableData {
  std::int32_t DayOffset[kEventSlots] = {};
  std::unique_ptr<char[]> DayText[kEventSlots];  // kDayTextSize bytes each
  std::int32_t EventCount = 0;                   // entries are 1 to EventCount
};

extern EventTableData EventTable;

/// Empties the table and releases its texts.
void ResetEventTable();

}  // namespace wekset
