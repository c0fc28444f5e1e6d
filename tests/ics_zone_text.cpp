// Writes, for each zone name given, the VTIMEZONE that libical makes from the
// system's zone database, so that ical.js, which has no zone database of its
// own, can be given the zones that a calendar names without defining them.
// The names must be those that the zone database lists: libical opens a name
// as a path below the zone folder.
#include <libical/ical.h>

#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    icaltimezone* zone = icaltimezone_get_builtin_timezone(argv[i]);
    icalcomponent* component = zone != nullptr ? icaltimezone_get_component(zone) : nullptr;
    if (component == nullptr) continue;
    // The text is libical's, in its ring buffer.
    std::fputs(icalcomponent_as_ical_string(component), stdout);
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
