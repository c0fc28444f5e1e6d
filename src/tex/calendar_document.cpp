// The TeX document.
#include "tex/calendar_document.h"

namespace wekset {

int WriteCalendarDocument(std::FILE*) { return 0; }

}  // namespace wekset
