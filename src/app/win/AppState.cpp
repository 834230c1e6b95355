#include "app/win/AppState.h"

namespace qnv {

AppState& appState() {
  static AppState state;
  return state;
}

void resetAppState() { appState() = AppState{}; }

}  // namespace qnv
