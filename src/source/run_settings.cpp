// The process-wide run settings.
#include "source/run_settings.h"

namespace wekset {

RunSettingsData RunSettings;

void ResetRunSettings() { RunSettings = RunSettingsData{}; }

}  // namespace wekset
