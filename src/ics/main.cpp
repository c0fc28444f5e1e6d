// wekset-ics: writes a wekset calendar source from iCalendar files.
#include "ics/import.h"

int main(int argc, char* argv[]) { return wekset::ics::RunImportProgram(argc, argv); }
