// The order of the pipeline: header line, window, body, document.
#include "app/make_calendar.h"

#include "model/calendar_window.h"
#include "model/event_table.h"
#include "reading/event_lines.h"
#include "reading/header_line.h"
#include "tex/calendar_document.h"

namespace wekset {

CalendarResult MakeCalendar(SourceStream& source, Console& console, DocumentOutput& output,
                            const CalendarOptions& options) {
  const HeaderLine header =
      ReadHeaderLine(source, console, options.weekStart, options.fallbackWeekStart);
  switch (header.status) {
    case HeaderStatus::kReadFailed:
      return CalendarResult::kReadFailed;
    case HeaderStatus::kRejected:
      return CalendarResult::kHeaderRejected;
    case HeaderStatus::kAccepted:
      break;
  }
  const CalendarWindow window = ComputeCalendarWindow(header.settings);
  switch (output.Check()) {
    case DocumentCheck::kIsSource:
      return CalendarResult::kIsSource;
    case DocumentCheck::kNotWritable:
      return CalendarResult::kNotWritable;
    case DocumentCheck::kReady:
      break;
  }
  Print(console, "...so far so good.......................................\n");

  EventTable events;
  // A read error is no end of file: a document without the rest of the
  // events would pass for complete.
  if (!ReadEventLines(source, window, events, console)) return CalendarResult::kReadFailed;
  std::FILE* document = output.Open();
  if (document == nullptr) return CalendarResult::kWriteFailed;
  WriteCalendarDocument(document, header.settings, window, events, options.style);
  return output.Commit() ? CalendarResult::kWritten : CalendarResult::kWriteFailed;
}

}  // namespace wekset
