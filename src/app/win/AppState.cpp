#include "app/win/AppState.h"

namespace qnv::app {

AppState& appState() {
  static AppState state;
  return state;
}

void resetAppState(std::wstring settingsPath) {
  appState() = AppState{};
  appState().settingsFile = settings::SettingsFile(std::move(settingsPath));
}

}  // namespace qnv::app
