// TMainForm's settings record and the INI file: read when the window is built,
// written when it closes and when the settings dialog closes.
#include "viewer/main.h"

#include "settings/settings.h"

namespace viewer {

void TMainForm::LoadSettings() { settings::LoadSettings(FPlatform, FSettings); }

void TMainForm::SaveSettings() { settings::SaveSettings(FPlatform, FSettings); }

}  // namespace viewer
