#include "app/win/AppState.h"

namespace qnv::app {

AppState& appState() {
  static AppState state;
  return state;
}

void resetAppState(std::wstring settingsPath, std::wstring settingsMoveTo) {
  appState() = AppState{};
  appState().settingsFile = settings::SettingsFile(std::move(settingsPath), std::move(settingsMoveTo));
}

}  // namespace qnv::app
