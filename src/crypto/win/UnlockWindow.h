#pragma once
// The window that asks for the password of a protected document and unlocks it.
#include <string>
#include <string_view>

#include "crypto/win/PasswordWindow.h"

namespace qnv {

class EditorWindow;

class UnlockWindow final : public PasswordWindow {
 public:
  explicit UnlockWindow(EditorWindow& editor) : PasswordWindow(L"解密文件"), editor_(editor) {}

  // Whether a password has unlocked the document.
  bool unlocked() const { return unlocked_; }

 private:
  // A right password fills the editor box and closes the window; a wrong one says so and
  // leaves the window open with an empty password box for another try.
  void act(const std::wstring& password) override;

  EditorWindow& editor_;
  bool unlocked_ = false;
};

// Caption "请输入密码解锁文件".
ui::WindowDesign unlockWindowDesign();

// Opens the unlock window modally for the protected file at documentPath and returns when
// it has closed. The editor box then holds the unlocked document; when the window was
// closed without a right password it stays empty, and the document no longer has
// documentPath as its save target, so that the protected file cannot be overwritten.
void runUnlockWindow(EditorWindow& window);

// Reads the protected file at documentPath again and, when the password's check value
// matches the stored one, puts the document into the editor box (as RTF or plain text, as
// the box decides) and keeps the check value for later saves. Returns false and changes
// nothing when they differ: a wrong password, or a file that can no longer be read.
bool unlockDocument(EditorWindow& window, std::wstring_view password);

}  // namespace qnv
