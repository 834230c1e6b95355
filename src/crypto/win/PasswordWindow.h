#pragma once
// The small password window shared by the encrypt and unlock windows, and what their work
// takes from its surroundings (the check-value function and the event loop).
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"
#include "ui/Window.h"

namespace qnv {

// Overwrites a password held in memory before letting it go.
template <typename Text>
void wipe(Text& text) {
  if (!text.empty()) SecureZeroMemory(text.data(), text.size() * sizeof(text[0]));
  text.clear();
}

// What protected saves and unlocking take from their surroundings. The program uses the
// defaults; tests and benchmarks replace single members and call reset afterwards.
struct ProtectedWorkHooks {
  // The check value of a password's ANSI code page bytes; empty when the hash service fails.
  std::function<std::string(std::string_view passwordBytes)> checkValue;
  // Runs the event loop until nothing is pending; called while long documents are worked on.
  std::function<void()> processEvents;
  // The least time between two runs of processEvents.
  std::chrono::milliseconds pumpInterval{EventPump::kDefaultInterval};
};
ProtectedWorkHooks& protectedWorkHooks();
void resetProtectedWorkHooks();

// A pump over the hooks' event loop and interval, for one protected save or unlock.
EventPump makeProtectedWorkPump();

// A small window with a password box and one button, both as designed for the two password
// windows. Pressing the button, or Enter in the box with any modifier keys, runs act() with
// the typed password; the key then still reaches the box. While act() runs (it lets the
// event loop run) the button is disabled, and a second press or Enter is ignored.
class PasswordWindow : public ui::Window {
 public:
  static constexpr int kPasswordBoxId = 1;
  static constexpr int kActionButtonId = 2;

  ~PasswordWindow() override;

  HWND passwordBox() const { return passwordBox_; }
  HWND actionButton() const { return actionButton_; }
  bool busy() const { return busy_; }

 protected:
  explicit PasswordWindow(std::wstring buttonText) : buttonText_(std::move(buttonText)) {}

  // The action behind the button; the window stays open unless it closes itself.
  virtual void act(const std::wstring& password) = 0;

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

// The designed password window: 252 x 50 at 50, 50 with this caption.
ui::WindowDesign passwordWindowDesign(const std::wstring& caption);

}  // namespace qnv
