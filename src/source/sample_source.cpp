// The sample source file.
#include "source/sample_source.h"

namespace wekset {

void WriteSampleSource() {}

}  // namespace wekset
