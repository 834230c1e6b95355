#pragma once
// The small password window shared by the encrypt and unlock windows: it collects a password
// and reports it; what is done with it, and every message about it, is the caller's.
#include <windows.h>

#include <string>
#include <string_view>

#include "ui/win/Window.h"

namespace qnv::crypto {

// What the caller made of a typed password.
enum class PasswordVerdict {
  Accepted,  // the work is done: the window closes
  AskAgain,  // this password cannot be used (the caller has said why): the box is emptied for another
  GiveUp,    // the work cannot be done with any password (the caller has said why): the window closes
};

// A small window with a password box and one button, both as designed for the two password
// windows. Pressing the button, or Enter in the box with any modifier keys, runs act() with
// the typed password; the key then still reaches the box. While act() runs (it lets the
// event loop run) the button is disabled, and a second press or Enter is ignored. The typed
// password is wiped from memory when act() has returned.
class PasswordWindow : public ui::Window {
 public:
  static constexpr int kPasswordBoxId = 1;
  static constexpr int kActionButtonId = 2;
  // Designed rectangles in the client area, in 96-DPI units.
  static constexpr ui::Box kPasswordBoxDesign{0, 0, 168, 24};
  static constexpr ui::Box kActionButtonDesign{168, 0, 80, 24};

  ~PasswordWindow() override;

  HWND passwordBox() const { return passwordBox_; }
  HWND actionButton() const { return actionButton_; }
  bool busy() const { return busy_; }

 protected:
  explicit PasswordWindow(std::wstring buttonText) : buttonText_(std::move(buttonText)) {}

  // The action behind the button; its verdict closes the window or asks for another password.
  virtual PasswordVerdict act(const std::wstring& password) = 0;

  LRESULT handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  bool onCloseQuery() override;
  void onCommand(int id, int code, HWND control) override;

 private:
  static LRESULT CALLBACK passwordBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data);
  void activate();

  std::wstring buttonText_;
  HWND passwordBox_ = nullptr;
  HWND actionButton_ = nullptr;
  bool busy_ = false;
};

// The designed password window: 252 x 50 at 50, 50 (96-DPI units) with this caption.
ui::WindowDesign passwordWindowDesign(const std::wstring& caption);

}  // namespace qnv::crypto
