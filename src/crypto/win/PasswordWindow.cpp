#include "crypto/win/PasswordWindow.h"

#include <commctrl.h>

#include <utility>

#include "crypto/Wipe.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace qnv::crypto {
namespace {

constexpr UINT_PTR kPasswordBoxSubclassId = 1;

std::wstring windowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

ui::WindowDesign passwordWindowDesign(const std::wstring& caption) {
  return ui::fixedWindowDesign(caption, 50, 50, 252, 50);
}

bool PasswordWindow::onCreate() {
  passwordBox_ = addControl(L"EDIT", L"", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, kPasswordBoxDesign,
                            kPasswordBoxId, WS_EX_CLIENTEDGE);
  actionButton_ = addControl(L"BUTTON", buttonText_, WS_TABSTOP | BS_PUSHBUTTON, kActionButtonDesign, kActionButtonId);
  if (!passwordBox_ || !actionButton_) return false;
  SendMessageW(passwordBox_, EM_SETPASSWORDCHAR, L'*', 0);
  SetWindowSubclass(passwordBox_, &PasswordWindow::passwordBoxProc, kPasswordBoxSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  return true;
}

PasswordWindow::~PasswordWindow() {
  // The box outlives this part of the object while the base class destroys the window.
  if (passwordBox_) RemoveWindowSubclass(passwordBox_, &PasswordWindow::passwordBoxProc, kPasswordBoxSubclassId);
}

LRESULT PasswordWindow::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SETFOCUS && passwordBox_) {
    SetFocus(passwordBox_);
    return 0;
  }
  return Window::handleMessage(msg, wParam, lParam);
}

// The action lets the event loop run; closing the window under it would pull the controls
// away from the running handler. It closes itself when it has finished.
bool PasswordWindow::onCloseQuery() { return !busy_; }

void PasswordWindow::onCommand(int id, int code, HWND) {
  if (id == kActionButtonId && code == BN_CLICKED) activate();
}

LRESULT CALLBACK PasswordWindow::passwordBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR data) {
  auto* self = reinterpret_cast<PasswordWindow*>(data);
  if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && wParam == VK_RETURN) {
    self->activate();
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &PasswordWindow::passwordBoxProc, kPasswordBoxSubclassId);
    self->passwordBox_ = nullptr;
  }
  // The box always gets the key afterwards.
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void PasswordWindow::activate() {
  if (busy_ || !passwordBox_) return;
  busy_ = true;
  EnableWindow(actionButton_, FALSE);
  std::wstring password;
  PasswordVerdict verdict = PasswordVerdict::AskAgain;
  try {
    password = windowText(passwordBox_);
    verdict = act(password);
  } catch (const std::bad_alloc&) {
    ui::showMessage(ui::systemMessage(ERROR_NOT_ENOUGH_MEMORY));
  } catch (...) {
    ui::showMessage(ui::systemMessage(ERROR_INTERNAL_ERROR));
  }
  wipe(password);
  busy_ = false;
  if (actionButton_ && IsWindow(actionButton_)) EnableWindow(actionButton_, TRUE);
  if (verdict != PasswordVerdict::AskAgain) {
    close();
  } else if (passwordBox_) {
    SetWindowTextW(passwordBox_, L"");
    SetFocus(passwordBox_);
  }
}

}  // namespace qnv::crypto
