#include "crypto/win/UnlockWindow.h"

#include <cstring>
#include <optional>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "app/win/FileWrite.h"
#include "crypto/ProtectedFormat.h"
#include "ui/Prompts.h"
#include "ui/Text.h"

namespace qnv {

ui::WindowDesign unlockWindowDesign() { return passwordWindowDesign(L"请输入密码解锁文件"); }

void UnlockWindow::act(const std::wstring& password) {
  if (unlockDocument(editor_, password)) {
    unlocked_ = true;
    close();
    return;
  }
  ui::showMessage(L"密码错误，请重新输入。");
  if (HWND box = passwordBox()) {
    SetWindowTextW(box, L"");
    SetFocus(box);
  }
}

void runUnlockWindow(EditorWindow& window) {
  UnlockWindow unlockWindow(window);
  unlockWindow.runModal(unlockWindowDesign());
  if (!unlockWindow.unlocked()) appState().documentPathDetached = true;
}

bool unlockDocument(EditorWindow& window, std::wstring_view password) {
  AppState& state = appState();
  EventPump pump = makeProtectedWorkPump();

  std::string passwordBytes = ui::toAnsi(password);
  const std::string checkValue = protectedWorkHooks().checkValue(passwordBytes);
  if (!passwordBytes.empty()) SecureZeroMemory(passwordBytes.data(), passwordBytes.size());

  // The file's text ends at its first zero byte.
  FileReadResult file = readWholeFile(ui::widen(state.documentPath), kMaxDocumentBytes);
  pump.poll();
  std::string& text = file.bytes;
  if (const void* nul = std::memchr(text.data(), 0, text.size())) {
    text.resize(static_cast<const char*>(nul) - text.data());
  }

  // A file that begins with the marker has it removed without another copy of the text.
  std::optional<std::string> document;
  if (isProtectedText(text)) {
    document = decryptText(std::string_view(text).substr(kProtectedMarker.size()), checkValue, &pump);
  } else {
    document = decryptText(removeProtectedMarker(text), checkValue, &pump);
  }
  if (!document) return false;
  std::string().swap(text);
  pump.poll();

  window.editorBox().setContext(*document);
  state.protectedCheckValue = checkValue;
  return true;
}

}  // namespace qnv
