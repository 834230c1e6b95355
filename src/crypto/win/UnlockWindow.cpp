#include "crypto/win/UnlockWindow.h"

#include "app/win/AppState.h"

namespace qnv {

void runUnlockWindow(EditorWindow&) {
  // Until the password can be asked for, the document stays empty and has no save target
  // of its own, so the protected file cannot be overwritten by a save.
  appState().documentPathDetached = true;
}

}  // namespace qnv
