#include "app/win/StartUp.h"

#include <windows.h>
#include <commctrl.h>

#include "app/CommandLine.h"
#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "app/win/Recovery.h"
#include "commands/win/Confinement.h"
#include "settings/win/SettingsLocation.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

// Runs once when the program ends, on the normal way out and after saveAndExit, while OLE
// and the editor window still exist.
void cleanUp() {
  commands::releaseCursor();
  AppState& state = appState();
  state.displayName.clear();
  state.keptProtection.clear();
  // Revokes the callback from the editor box if it still exists, then releases the
  // embedded objects' storage.
  state.richEditHelper->destroy();
  state.defaultFont = ui::CharFormat{};
}

}  // namespace

int startUp() {
  // Everything below lives inside OLE's lifetime; the order of the locals is the order of
  // the shutdown, in reverse.
  const ui::OleInit ole;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryW(L"riched20.dll");

  const settings::SettingsPaths settingsPaths = settings::locateProgramSettings();
  resetAppState(settingsPaths.path, settingsPaths.moveTo);
  appState().documentPath = documentPathFrom(ui::narrow(GetCommandLineW()));
  appState().recovery.folder = defaultRecoveryFolder();
  std::optional<RecoveredDocument> recovered = recoverUnsavedWork();

  int exitCode = 0;
  EditorWindow window;
  if (window.open()) {
    if (recovered) restoreUnsavedWork(window, std::move(*recovered));
    // Ends when the window has been destroyed after an allowed close, or when saveAndExit
    // has asked the program to end (the window is then still there, hidden, and its
    // destroy handler does not run: it is unbound before it goes).
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      // The modeless find or replace window takes its own keys (Tab, Enter, Esc).
      HWND findWindow = window.findReplace().dialog();
      if (findWindow && IsDialogMessageW(findWindow, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT) exitCode = static_cast<int>(msg.wParam);
  }
  cleanUp();
  return exitCode;
}

}  // namespace qnv::app
