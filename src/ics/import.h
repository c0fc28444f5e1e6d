// The run of wekset-ics: options, the window, the files, and the output.
#pragma once

namespace wekset::ics {

/// Runs the importer once; returns the exit status: 0, 1 when a file cannot
/// be used or the output cannot be written, 2 for a mistake in the options.
int RunImport(int argc, char* argv[]);

}  // namespace wekset::ics
