// The order of the pipeline: header line, window, body, document.
#include "app/make_calendar.h"

#include "source/calendar_window.h"
#include "source/event_lines.h"
#include "source/event_table.h"
#include "source/header_line.h"
#include "tex/calendar_document.h"

namespace wekset {

CalendarResult MakeCalendar(SourceStream& source, Console& console, DocumentOutput& output) {
  const std::optional<RunSettings> settings = ReadHeaderLine(source, console);
  if (source.failed) return CalendarResult::kReadFailed;
  if (!settings) return CalendarResult::kHeaderRejected;
  const CalendarWindow window = ComputeCalendarWindow(*settings);
  if (!output.Prepare(console)) return CalendarResult::kNotWritable;
  Print(console, "...so far so good.......................................\n");

  EventTable events;
  ReadEventLines(source, window, events, console);
  // A read error is no end of file: a document without the rest of the
  // events would pass for complete.
  if (source.failed) return CalendarResult::kReadFailed;
  std::FILE* document = output.Open();
  if (document == nullptr) return CalendarResult::kOpenFailed;
  WriteCalendarDocument(document, *settings, window, events);
  return CalendarResult::kWritten;
}

}  // namespace wekset
