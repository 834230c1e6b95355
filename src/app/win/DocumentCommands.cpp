#include "app/win/DocumentCommands.h"

#include <windows.h>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "app/win/RecentFiles.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

// What belongs to the document in this window, apart from its text.
struct DocumentIdentity {
  std::string documentPath;
  bool documentPathDetached;
  KeptProtection keptProtection;
  std::string displayName;
  int contextType;
  std::wstring caption;
};

// Takes the current document's identity out of the program's state; what it protects with
// goes along, so that the next document starts without it.
DocumentIdentity takeIdentity(EditorWindow& window) {
  AppState& state = appState();
  return {state.documentPath,      state.documentPathDetached, std::move(state.keptProtection),
          state.displayName,       window.editorBox().contextType(), window.caption()};
}

void restore(EditorWindow& window, DocumentIdentity identity) {
  AppState& state = appState();
  state.documentPath = std::move(identity.documentPath);
  state.documentPathDetached = identity.documentPathDetached;
  state.keptProtection = std::move(identity.keptProtection);
  state.displayName = std::move(identity.displayName);
  window.editorBox().setContextType(identity.contextType);
  window.setCaption(identity.caption);
}

// Unsaved changes, as closing deals with them: saved, given up, or the change of document
// cancelled.
bool leaveCurrentDocument(EditorWindow& window) {
  if (appState().isModified != 1) return true;
  switch (window.askAboutUnsavedChanges()) {
    case EditorWindow::UnsavedChoice::Save: return saveDocument(window);
    case EditorWindow::UnsavedChoice::Discard: return true;
    case EditorWindow::UnsavedChoice::Keep: return false;
  }
  return false;
}

// The folder of the document in this window, for the open dialog to start in.
std::wstring documentFolder() {
  const std::wstring path = ui::widen(appState().documentPath);
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

void openWithDialog(EditorWindow& window) {
  ui::FileDialogValues dialog;
  dialog.title = L"打开";
  dialog.fileTypes = window.saveDialog().fileTypes;
  dialog.fileMustExist = true;
  dialog.pathMustExist = true;
  dialog.initialFolder = documentFolder();
  if (!ui::prompts().openFileName(dialog)) return;
  openInThisWindow(window, dialog.fileName);
}

void openRecentFile(EditorWindow& window, const std::string& path) {
  if (GetFileAttributesW(ui::widen(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    forgetRecentFile(path);
    ui::showMessage(L"找不到文件，已从“最近打开”中移除。\r\n" + ui::widen(path));
    return;
  }
  openInThisWindow(window, ui::widen(path));
}

bool openInThisWindow(EditorWindow& window, const std::wstring& path) {
  if (!leaveCurrentDocument(window)) return false;
  AppState& state = appState();
  DocumentIdentity before = takeIdentity(window);
  state.documentPath = ui::narrow(path);
  state.documentPathDetached = false;
  state.displayName.clear();
  // As for a command-line document: read as RTF when it is RTF, and saved back as RTF.
  window.editorBox().setContextType(ui::EditorBox::kRichText);
  if (!openDocument(window, true)) {
    restore(window, std::move(before));
    return false;
  }
  state.isModified = 0;
  rememberRecentFile(path);
  return true;
}

bool startNewWindow(const std::wstring& program) {
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    ui::showMessage(L"无法打开新窗口。\r\n" + ui::systemMessage(GetLastError()));
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace qnv::app
