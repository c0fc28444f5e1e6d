// The run of wekset-ics: options, the window, the files, and the output.
#pragma once

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "ics/calendar_address.h"

namespace wekset::ics {

/// What a run takes from its process: the day it is, the name of the local
/// time zone (from TZ or the system; empty for UTC), the time now for the
/// ages of cached calendars, and what fetching them takes.
struct ImportEnvironment {
  std::chrono::year_month_day today;
  std::string zoneName;
  std::time_t now = 0;
  AddressEnvironment address;
};

/// Runs the importer once with the arguments after the program name: the
/// source goes to out, warnings and errors to errors. Returns the exit status:
/// 0, 1 when a file cannot be used or the output cannot be written, 2 for a
/// mistake in the options.
int RunImport(const std::vector<std::string>& arguments, const ImportEnvironment& environment,
              std::FILE* out, std::FILE* errors);

/// The whole process: its environment, standard streams and SIGPIPE.
int RunImportProgram(int argc, char* argv[]);

}  // namespace wekset::ics
