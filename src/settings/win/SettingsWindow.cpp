#include "settings/win/SettingsWindow.h"

namespace qnv {

void openSettingsWindow() {}

}  // namespace qnv
