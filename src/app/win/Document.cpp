#include "app/win/Document.h"

#include "app/PathNames.h"
#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "files/win/FileWrite.h"
#include "app/win/ProtectedDocument.h"
#include "app/win/RecentFiles.h"
#include "crypto/ProtectedFormat.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

void reportUnreadable(const std::wstring& path, unsigned long error) {
  ui::showMessage(L"无法读取文件，已打开空白文档。保存时将询问新的文件名，原文件不会被覆盖。\r\n" + path + L"\r\n" +
                  ui::systemMessage(error));
}

// Opening another document in a running editor: the current one stays as it is.
void reportNotOpened(const std::wstring& path, unsigned long error) {
  ui::showMessage(L"无法打开文件，当前文档未改变。\r\n" + path + L"\r\n" + ui::systemMessage(error));
}

// For a document unlocked from a protected file in this run: asks whether the save keeps
// the protection. Always false for any other document.
bool keepsProtection() {
  if (appState().keptProtection.empty()) return false;
  return ui::showMessage(L"此文档原为加密文档，是否继续加密保存？", ui::kDefaultMessageCaption,
                         ui::MessageButtons::YesNo) == ui::MessageAnswer::Yes;
}

// Writes the document to the target, protected as the file it came from or as it is.
bool writeDocument(EditorWindow& window, const std::wstring& target, bool protect) {
  if (protect) return writeWithKeptProtection(window, target);
  return writeDocumentFile(target, window.editorBox().context());
}

}  // namespace

bool openDocument(EditorWindow& window, bool replacing) {
  AppState& state = appState();
  const std::wstring path = ui::widen(state.documentPath);
  files::FileReadResult file = files::readWholeFile(path, kMaxDocumentBytes);
  if (file.error != 0 && replacing) {
    reportNotOpened(path, file.error);
    return false;
  }
  if (file.error != 0 && file.exists) {
    // The file is there but could not be read (locked, no rights, too large): open empty,
    // and make sure a later save cannot overwrite what is still on disk.
    state.documentPathDetached = true;
    reportUnreadable(path, file.error);
  }
  std::string text = std::move(file.bytes);
  crypto::cutAtFirstNul(text);

  if (crypto::isProtectedText(text)) {
    const bool unlocked = runUnlockWindow(window);
    window.updateCaption("");
    return unlocked;
  }
  window.editorBox().setContext(text);
  state.displayName = fileNameOf(state.documentPath);
  window.updateCaption(std::to_string(window.editorBox().textLength()));
  return file.error == 0;
}

std::optional<std::wstring> ownSaveTarget() {
  const AppState& state = appState();
  if (state.documentPath.empty() || state.documentPathDetached) return std::nullopt;
  return ui::widen(state.documentPath);
}

std::optional<std::wstring> chooseInSaveDialog(EditorWindow& window) {
  ui::SaveDialogValues& dialog = window.saveDialog();
  if (!ui::prompts().saveFileName(dialog)) return std::nullopt;
  return dialog.fileName;
}

std::optional<std::wstring> chooseSaveTarget(EditorWindow& window) {
  if (std::optional<std::wstring> own = ownSaveTarget()) return own;
  std::optional<std::wstring> chosen = chooseInSaveDialog(window);
  if (!chosen) return std::nullopt;
  const bool richText = extensionOf(ui::narrow(*chosen)) == kDocumentExtension;
  window.editorBox().setContextType(richText ? ui::EditorBox::kRichText : ui::EditorBox::kPlainText);
  return chosen;
}

void reportSaveFailure(const std::wstring& target, unsigned long error) {
  ui::showMessage(L"保存失败\r\n" + target + L"\r\n" + ui::systemMessage(error));
}

bool writeDocumentFile(const std::wstring& target, std::string_view bytes) {
  if (const auto error = files::replaceFileContents(target, bytes)) {
    reportSaveFailure(target, *error);
    return false;
  }
  rememberRecentFile(target);
  return true;
}

bool saveDocument(EditorWindow& window) {
  const bool protect = keepsProtection();
  const std::optional<std::wstring> target = chooseSaveTarget(window);
  if (!target) return false;
  if (!writeDocument(window, *target, protect)) return false;
  appState().isModified = 0;
  return true;
}

bool saveAndExit(EditorWindow& window) {
  const bool protect = keepsProtection();
  const std::optional<std::wstring> target = chooseSaveTarget(window);
  if (!target) return false;
  ShowWindow(window.hwnd(), SW_HIDE);
  if (!writeDocument(window, *target, protect)) {
    ShowWindow(window.hwnd(), SW_SHOW);
    return false;
  }
  window.snapshots().discard();
  ui::prompts().exitProcess(0);
  return true;
}

}  // namespace qnv::app
