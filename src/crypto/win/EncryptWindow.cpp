#include "crypto/win/EncryptWindow.h"

#include <commctrl.h>

#include <new>
#include <utility>

#include "app/PathNames.h"
#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "ui/Prompts.h"
#include "ui/Text.h"

namespace qnv {
namespace {

void reportSaveFailure(const std::wstring& target, unsigned long error) {
  ui::showMessage(L"保存失败\r\n" + target + L"\r\n" + ui::systemMessage(error));
}

}  // namespace

ui::WindowDesign encryptWindowDesign() { return passwordWindowDesign(L"请输入加密密码"); }

void EncryptWindow::act(const std::wstring& password) {
  encryptAndSave(editor_, password);
  close();
}

void runEncryptWindow(EditorWindow& window) {
  {
    EncryptWindow encryptWindow(window);
    encryptWindow.runModal(encryptWindowDesign());
  }
  // The editor was disabled while the window was up; give it the keyboard back.
  if (window.isAlive() && IsWindowVisible(window.hwnd())) {
    SetForegroundWindow(window.hwnd());
    SetFocus(window.editorBox().hwnd());
  }
}

bool writeProtectedDocument(EditorWindow& window, const std::wstring& target, std::string_view checkValue) {
  // The windows are repainted while a long document is encoded, but take no input: the
  // document must not change, nor another save start, before this one has finished.
  HWND focus = GetFocus();
  bool written = false;
  {
    ui::ProgramModality modality;
    EventPump pump = makeProtectedWorkPump();
    std::string content;
    bool built = false;
    try {
      const std::string document = window.editorBox().context();
      pump.poll();
      content = protectedFileContent(document, checkValue, &pump);
      built = true;
    } catch (const std::bad_alloc&) {
      reportSaveFailure(target, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (built) {
      pump.poll();
      written = writeDocumentFile(target, content);
    }
  }
  if (focus && IsWindow(focus) && IsWindowVisible(focus)) SetFocus(focus);
  return written;
}

bool encryptAndSave(EditorWindow& window, std::wstring_view password) {
  AppState& state = appState();
  std::wstring target;
  if (!state.documentPath.empty() && !state.documentPathDetached) {
    target = ui::widen(state.documentPath);
  } else {
    ui::SaveDialogValues& dialog = window.saveDialog();
    if (!ui::prompts().saveFileName(dialog)) return false;
    if (extensionOf(ui::narrow(dialog.fileName)) != kDocumentExtension) {
      ui::showMessage(L"文件类型必须为.qnv");
      return false;
    }
    target = dialog.fileName;
  }

  std::string passwordBytes = ui::toAnsi(password);
  const std::string checkValue = protectedWorkHooks().checkValue(passwordBytes);
  wipe(passwordBytes);
  if (checkValue.empty()) {
    ui::showMessage(L"无法计算密码校验值，文件未保存。");
    return false;
  }

  if (!writeProtectedDocument(window, target, checkValue)) return false;
  state.isModified = 0;
  // A document unlocked in this run now carries this password; later saves that keep the
  // protection use it.
  if (!state.protectedCheckValue.empty()) state.protectedCheckValue = checkValue;
  return true;
}

}  // namespace qnv
