#pragma once
// The window that asks for the password of a protected document.
#include <functional>
#include <string>
#include <string_view>

#include "crypto/win/PasswordWindow.h"

namespace qnv::crypto {

class UnlockWindow final : public PasswordWindow {
 public:
  // Runs with the typed password: Accepted when it unlocked the document; AskAgain (a wrong
  // password, said by the caller) leaves the window open with an empty box for another try.
  using TryPassword = std::function<PasswordVerdict(std::wstring_view password)>;

  explicit UnlockWindow(TryPassword tryPassword) : PasswordWindow(L"解密文件"), tryPassword_(std::move(tryPassword)) {}

  // Whether a password has unlocked the document.
  bool unlocked() const { return unlocked_; }

 private:
  PasswordVerdict act(const std::wstring& password) override;

  TryPassword tryPassword_;
  bool unlocked_ = false;
};

// Caption "请输入密码解锁文件".
ui::WindowDesign unlockWindowDesign();

}  // namespace qnv::crypto
