// WriteCalendarDocument: the whole TeX document "wek.tex".
#pragma once

#include <cstdio>

#include "source/calendar_window.h"
#include "source/event_table.h"
#include "source/run_settings.h"

namespace wekset {

/// Writes the preamble for the settings, then the grid of the window with the
/// events' texts.
void WriteCalendarDocument(std::FILE* out, const RunSettings& settings,
                           const CalendarWindow& window, const EventTable& events);

}  // namespace wekset
