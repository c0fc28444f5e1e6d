// Finding, checking and reading the header line into the RunSettings.
#pragma once

#include <optional>

#include "calendar/calendar_arithmetic.h"
#include "io/console.h"
#include "model/run_settings.h"
#include "reading/source_line.h"

namespace wekset {

enum class HeaderStatus {
  kAccepted,    // the settings hold the header line's values
  kRejected,    // the line has been echoed a second time with the reason
  kReadFailed,  // a read failed before the header line was whole; nothing was printed
};

struct HeaderLine {
  HeaderStatus status = HeaderStatus::kRejected;
  RunSettings settings;
};

/// Skips comment and empty lines, echoes the header line and checks it. The
/// weeks begin on weekStart where it is given; otherwise on the day that a
/// comment line before the header line declares, or else on fallback.
HeaderLine ReadHeaderLine(SourceStream& source, Console& console,
                          std::optional<Weekday> weekStart = std::nullopt, Weekday fallback = 0);

}  // namespace wekset
