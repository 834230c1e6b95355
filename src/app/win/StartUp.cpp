#include "app/win/StartUp.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/CommandLine.h"
#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "commands/win/Commands.h"
#include "ui/Handles.h"
#include "ui/Text.h"

namespace qnv {
namespace {

// Runs once when the program ends, on the normal way out and after saveAndExit.
void cleanUp() {
  releaseCursor();
  AppState& state = appState();
  state.displayName.clear();
  // Revokes the callback from the editor box if it still exists, then releases the
  // embedded objects' storage.
  state.richEditHelper->destroy();
  state.defaultFont = CharFormat{};
}

}  // namespace

int startUp() {
  // OLE stays initialised until after cleanUp: statics are torn down after the exit
  // routines registered later than their construction.
  static ui::OleInit ole;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryW(L"riched20.dll");

  resetAppState();
  appState().documentPath = documentPathFrom(ui::narrow(GetCommandLineW()));
  std::atexit(cleanUp);

  EditorWindow window;
  if (!window.open()) return 0;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace qnv
