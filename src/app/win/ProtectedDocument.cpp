#include "app/win/ProtectedDocument.h"

#include <windows.h>

#include <new>
#include <optional>

#include "app/PathNames.h"
#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/win/CryptoApiDigest.h"
#include "crypto/win/EncryptWindow.h"
#include "crypto/win/UnlockWindow.h"
#include "files/win/FileWrite.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

crypto::EventPump protectedWorkPump() {
  const ProtectedWork& work = appState().protectedWork;
  return crypto::EventPump(work.processEvents, work.pumpInterval);
}

// The check value of a typed password; its bytes are wiped before they are let go.
std::string checkValueOf(std::wstring_view password) {
  std::string passwordBytes = ui::toAnsi(password);
  std::string checkValue = appState().protectedWork.checkValue(passwordBytes);
  crypto::wipe(passwordBytes);
  return checkValue;
}

// Gives the keyboard back to the editor after a modal password window.
void refocusEditor(EditorWindow& window) {
  if (window.isAlive() && IsWindowVisible(window.hwnd())) {
    SetForegroundWindow(window.hwnd());
    SetFocus(window.editorBox().hwnd());
  }
}

}  // namespace

ProtectedWork::ProtectedWork()
    : checkValue([](std::string_view passwordBytes) {
        return crypto::passwordCheckValue(passwordBytes, crypto::cryptoApiMd5HexDigest);
      }),
      processEvents(ui::processPendingEvents) {}

void runEncryptWindow(EditorWindow& window) {
  {
    crypto::EncryptWindow encryptWindow([&window](std::wstring_view password) { encryptAndSave(window, password); });
    encryptWindow.runModal(crypto::encryptWindowDesign());
  }
  // The editor was disabled while the window was up.
  refocusEditor(window);
}

bool writeProtectedDocument(EditorWindow& window, const std::wstring& target, std::string_view checkValue) {
  // The windows are repainted while a long document is encoded, but take no input: the
  // document must not change, nor another save start, before this one has finished.
  HWND focus = GetFocus();
  bool written = false;
  {
    ui::ProgramModality modality;
    crypto::EventPump pump = protectedWorkPump();
    std::optional<std::string> content;
    try {
      const std::string document = window.editorBox().context();
      pump.poll();
      content = crypto::protectedFileContent(document, checkValue, &pump);
    } catch (const std::bad_alloc&) {
      reportSaveFailure(target, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (content) {
      pump.poll();
      written = writeDocumentFile(target, *content);
    }
  }
  if (focus && IsWindow(focus) && IsWindowVisible(focus)) SetFocus(focus);
  return written;
}

bool encryptAndSave(EditorWindow& window, std::wstring_view password) {
  AppState& state = appState();
  std::optional<std::wstring> target = ownSaveTarget();
  if (!target) {
    target = chooseInSaveDialog(window);
    if (!target) return false;
    if (extensionOf(ui::narrow(*target)) != kDocumentExtension) {
      ui::showMessage(L"文件类型必须为.qnv");
      return false;
    }
  }

  const std::string checkValue = checkValueOf(password);
  if (checkValue.empty()) {
    ui::showMessage(L"无法计算密码校验值，文件未保存。");
    return false;
  }

  if (!writeProtectedDocument(window, *target, checkValue)) return false;
  state.isModified = 0;
  // A document unlocked in this run now carries this password; later saves that keep the
  // protection use it.
  if (!state.protectedCheckValue.empty()) state.protectedCheckValue = checkValue;
  return true;
}

void runUnlockWindow(EditorWindow& window) {
  crypto::UnlockWindow unlockWindow(
      [&window](std::wstring_view password) { return unlockDocument(window, password); });
  unlockWindow.runModal(crypto::unlockWindowDesign());
  if (!unlockWindow.unlocked()) appState().documentPathDetached = true;
}

bool unlockDocument(EditorWindow& window, std::wstring_view password) {
  AppState& state = appState();
  crypto::EventPump pump = protectedWorkPump();
  const std::string checkValue = checkValueOf(password);

  const std::wstring path = ui::widen(state.documentPath);
  files::FileReadResult file = files::readWholeFile(path, documentReadLimit(DocumentKind::kProtected));
  pump.poll();
  std::string& text = file.bytes;
  crypto::cutAtFirstNul(text);

  // A file that begins with the marker has it removed without another copy of the text.
  std::optional<std::string> document;
  if (crypto::isProtectedText(text)) {
    document = crypto::decryptText(std::string_view(text).substr(crypto::kProtectedMarker.size()), checkValue, &pump);
  } else {
    document = crypto::decryptText(crypto::removeProtectedMarker(text), checkValue, &pump);
  }
  if (!document) return false;
  std::string().swap(text);
  pump.poll();

  loadDocumentText(window, *document, path);
  state.protectedCheckValue = checkValue;
  return true;
}

}  // namespace qnv::app
