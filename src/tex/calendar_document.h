// WriteCalendarDocument: the whole TeX document "wek.tex".
#pragma once

#include <cstdio>

#include "model/calendar_window.h"
#include "model/event_table.h"
#include "model/run_settings.h"

namespace wekset {

/// Writes the preamble for the settings, then the grid of the window with the
/// events' texts.
void WriteCalendarDocument(std::FILE* out, const RunSettings& settings,
                           const CalendarWindow& window, const EventTable& events);

}  // namespace wekset
