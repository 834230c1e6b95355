#pragma once
// The window that asks for a password and saves the document protected (F1), and the
// protected save itself.
#include <windows.h>

#include <string>
#include <string_view>

#include "crypto/win/PasswordWindow.h"

namespace qnv {

class EditorWindow;

class EncryptWindow final : public PasswordWindow {
 public:
  explicit EncryptWindow(EditorWindow& editor) : PasswordWindow(L"加密保存"), editor_(editor) {}

 private:
  void act(const std::wstring& password) override;
  EditorWindow& editor_;
};

// Caption "请输入加密密码".
ui::WindowDesign encryptWindowDesign();

// Opens the encrypt window modally without an owner and returns when it has closed.
void runEncryptWindow(EditorWindow& window);

// The encrypt window's action. The target is documentPath, whatever its extension, while
// the document has a save target of its own; otherwise the name chosen in the save dialog,
// which must end in ".qnv" exactly (Cancel writes nothing and says nothing). Writes the
// document in the protected format with the password's check value and clears isModified.
// Returns whether the file was written; every failure has been shown to the user.
bool encryptAndSave(EditorWindow& window, std::wstring_view password);

// Writes the editor box's document to `target` in the protected format with `checkValue`
// (not empty), replacing the file in one step. A failure is shown as "保存失败" with the
// path and the reason, and false returned.
bool writeProtectedDocument(EditorWindow& window, const std::wstring& target, std::string_view checkValue);

}  // namespace qnv
