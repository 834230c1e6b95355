#include "crypto/win/EncryptWindow.h"

namespace qnv::crypto {

ui::WindowDesign encryptWindowDesign() { return passwordWindowDesign(L"请输入加密密码"); }

PasswordVerdict EncryptWindow::act(const std::wstring& password) {
  return save_ ? save_(password) : PasswordVerdict::GiveUp;
}

}  // namespace qnv::crypto
