// The pipeline of one run: from the source stream to the document stream. It
// works on files and on memory alike; the run around it owns the files.
#pragma once

#include <cstdio>
#include <optional>

#include "calendar/calendar_arithmetic.h"
#include "io/console.h"
#include "model/document_style.h"
#include "reading/source_line.h"

namespace wekset {

enum class DocumentCheck {
  kReady,
  kIsSource,     // the document would replace the source being read
  kNotWritable,  // a directory, or a file or directory that may not be written
};

/// Where the pipeline's document goes: the run's "wek.tex", or a test's memory.
class DocumentOutput {
 public:
  virtual ~DocumentOutput() = default;
  /// Called once the header line is accepted, before the body is read:
  /// whether a document can be written.
  virtual DocumentCheck Check() = 0;
  /// Called once the whole source is read: the stream for the whole
  /// document, or null when there is none.
  virtual std::FILE* Open() = 0;
  /// Called once the document is written to that stream: puts it in place.
  /// False when any of it could not be written, and the earlier document is
  /// kept.
  virtual bool Commit() = 0;
};

enum class CalendarResult {
  kWritten,         // the whole document is in place
  kHeaderRejected,  // nothing was written; the sample is due
  kIsSource,        // nothing was written: the output is the source file
  kNotWritable,     // nothing was written: the output cannot take a document
  kReadFailed,      // the source could not be read to its end; nothing was written
  kWriteFailed,     // the document could not be written whole; the earlier one is kept
};

/// What the command line asks of the document beyond the source.
struct CalendarOptions {
  std::optional<Weekday> weekStart;  // none: as the source declares, else fallbackWeekStart
  Weekday fallbackWeekStart = 0;     // the locale's first day of the week, or Sunday
  DocumentStyle style;
};

/// Reads the header line and the body from the source, reporting each line it
/// cannot use on the console, and writes the calendar document to the output.
CalendarResult MakeCalendar(SourceStream& source, Console& console, DocumentOutput& output,
                            const CalendarOptions& options = {});

}  // namespace wekset
