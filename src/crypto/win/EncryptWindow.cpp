#include "crypto/win/EncryptWindow.h"

namespace qnv::crypto {

ui::WindowDesign encryptWindowDesign() { return passwordWindowDesign(L"请输入加密密码"); }

void EncryptWindow::act(const std::wstring& password) {
  if (save_) save_(password);
  close();
}

}  // namespace qnv::crypto
