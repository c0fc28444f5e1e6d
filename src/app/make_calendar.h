// The pipeline of one run: from the source stream to the document stream. It
// works on files and on memory alike; the run around it owns the files.
#pragma once

#include <cstdio>

#include "source/console.h"
#include "source/source_line.h"

namespace wekset {

/// Where the pipeline's document goes: the run's "wek.tex", or a test's memory.
class DocumentOutput {
 public:
  virtual ~DocumentOutput() = default;
  /// Called once the header line is accepted, before the body is read:
  /// whether a document can be written. Says why not on the console.
  virtual bool Prepare(Console& console) = 0;
  /// Called once the whole source is read: the stream for the whole
  /// document, or null when there is none.
  virtual std::FILE* Open() = 0;
};

enum class CalendarResult {
  kWritten,         // the whole document went to the output's stream
  kHeaderRejected,  // nothing was written; the sample is due
  kNotWritable,     // the output cannot take a document, and has said why
  kReadFailed,      // the source could not be read to its end; nothing was written
  kOpenFailed,      // the output gave no stream for the document
};

/// Reads the header line and the body from the source, reporting on the
/// console, and writes the calendar document to the output.
CalendarResult MakeCalendar(SourceStream& source, Console& console, DocumentOutput& output);

}  // namespace wekset
