#include "crypto/win/UnlockWindow.h"

#include "ui/win/Prompts.h"

namespace qnv::crypto {

ui::WindowDesign unlockWindowDesign() { return passwordWindowDesign(L"请输入密码解锁文件"); }

void UnlockWindow::act(const std::wstring& password) {
  if (tryPassword_ && tryPassword_(password)) {
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

}  // namespace qnv::crypto
