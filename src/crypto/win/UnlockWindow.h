#pragma once
// The window that asks for the password of a protected document.
#include <functional>
#include <string>
#include <string_view>

#include "crypto/win/PasswordWindow.h"

namespace qnv::crypto {

class UnlockWindow final : public PasswordWindow {
 public:
  // Runs with the typed password; true when it unlocked the document.
  using TryPassword = std::function<bool(std::wstring_view password)>;

  explicit UnlockWindow(TryPassword tryPassword) : PasswordWindow(L"解密文件"), tryPassword_(std::move(tryPassword)) {}

  // Whether a password has unlocked the document.
  bool unlocked() const { return unlocked_; }

 private:
  // A right password closes the window; a wrong one says so and leaves the window open with
  // an empty password box for another try.
  void act(const std::wstring& password) override;

  TryPassword tryPassword_;
  bool unlocked_ = false;
};

// Caption "请输入密码解锁文件".
ui::WindowDesign unlockWindowDesign();

}  // namespace qnv::crypto
