#include "crypto/win/UnlockWindow.h"

namespace qnv::crypto {

ui::WindowDesign unlockWindowDesign() { return passwordWindowDesign(L"请输入密码解锁文件"); }

PasswordVerdict UnlockWindow::act(const std::wstring& password) {
  const PasswordVerdict verdict = tryPassword_ ? tryPassword_(password) : PasswordVerdict::GiveUp;
  unlocked_ = verdict == PasswordVerdict::Accepted;
  return verdict;
}

}  // namespace qnv::crypto
