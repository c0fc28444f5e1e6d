// "wek.tex" on disk: the checks before a run reads its events, and the
// replacement of the earlier document, which survives every failure.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/make_calendar.h"
#include "io/output_file.h"

namespace wekset {

/// The document name and the source name are both relative to directory, a
/// descriptor or AT_FDCWD.
class DocumentFile : public DocumentOutput {
 public:
  DocumentFile(int directory, const char* name, const char* sourceName)
      : directory_(directory), name_(name), sourceName_(sourceName) {}
  ~DocumentFile() override;

  /// Refuses the source file itself, a directory, and a file or directory
  /// that cannot be written.
  DocumentCheck Check() override;

  /// A new file beside the document; from now on the interrupting signals
  /// are held off until the document is in place or given up. A device or a
  /// pipe is opened as it stands, the signals not held.
  std::FILE* Open() override;

  /// Puts the written document in place of the earlier one; false when any
  /// write, the sync, the close or the rename failed, and the earlier
  /// document is kept. An interruption that came meanwhile takes effect here.
  bool Commit() override;

 private:
  int directory_;
  const char* name_;
  const char* sourceName_;
  std::string target_;    // the file that a symbolic link name_ leads to, or name_
  bool inPlace_ = false;  // a device or a pipe, written as it stands
  mode_t mode_ = 0666;
  bool applyUmask_ = true;  // a new document: 0666 less the umask
  std::optional<HeldSignals> held_;
  std::unique_ptr<PendingFile> pending_;
  std::FILE* direct_ = nullptr;
};

}  // namespace wekset
