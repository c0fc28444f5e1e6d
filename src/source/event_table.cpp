// The process-wide event table.
#include "source/event_table.h"

namespace wekset {

EventTableData EventTable;

void ResetEventTable() {
  for (int i = 0; i < kEventSlots; ++i) {
    EventTable.DayOffset[i] = 0;
    EventTable.DayText[i].reset();
  }
  EventTable.EventCount = 0;
}

}  // namespace wekset
