#pragma once
// The window that asks for the password a document is saved with (F1).
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "crypto/win/PasswordWindow.h"

namespace qnv::crypto {

class EncryptWindow final : public PasswordWindow {
 public:
  // Runs with the typed password when the button or Enter acts; its verdict closes the
  // window or asks for another password.
  using Save = std::function<PasswordVerdict(std::wstring_view password)>;

  explicit EncryptWindow(Save save) : PasswordWindow(L"加密保存"), save_(std::move(save)) {}

 private:
  PasswordVerdict act(const std::wstring& password) override;
  Save save_;
};

// Caption "请输入加密密码".
ui::WindowDesign encryptWindowDesign();

}  // namespace qnv::crypto
