// WriteCalendarDocument: the whole TeX document "wek.tex".
#pragma once

#include <cstdio>

#include "model/calendar_window.h"
#include "model/document_style.h"
#include "model/event_table.h"
#include "model/run_settings.h"

namespace wekset {

/// Writes the preamble for the settings and the style, then the grid of the
/// window with the events' texts.
void WriteCalendarDocument(std::FILE* out, const RunSettings& settings,
                           const CalendarWindow& window, const EventTable& events,
                           const DocumentStyle& style = {});

}  // namespace wekset
