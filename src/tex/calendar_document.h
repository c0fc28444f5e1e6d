// WriteCalendarDocument: the whole TeX document "wek.tex".
#pragma once

#include <cstdio>

namespace wekset {

/// Writes the preamble for the RunSettings, then the grid of the
/// CalendarWindow with the EventTable's texts. Always returns 0.
int WriteCalendarDocument(std::FILE* out);

}  // namespace wekset
