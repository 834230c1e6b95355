#include "support/ProtectedFiles.h"

#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/StrongFormat.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace qnv::test {

std::optional<std::string> unlockProtectedFile(const std::filesystem::path& path, const std::wstring& password) {
  const std::string bytes = readFileBytes(path);
  if (crypto::isStrongFile(bytes)) {
    crypto::StrongUnlock unlocked = crypto::unlockStrongFile(bytes, ui::toAnsi(password), nullptr);
    if (unlocked.status != crypto::StrongUnlock::Status::Unlocked) return std::nullopt;
    return std::move(unlocked.document);
  }
  const std::string text = crypto::textUpToFirstNul(bytes);
  if (!crypto::isProtectedText(text)) return std::nullopt;
  return crypto::decryptText(crypto::removeProtectedMarker(text), crypto::passwordCheckValue(ui::toAnsi(password)),
                             nullptr);
}

void typePassword(HWND passwordWindow, const std::wstring& password) {
  SetWindowTextW(GetDlgItem(passwordWindow, crypto::PasswordWindow::kPasswordBoxId), password.c_str());
}

void clickAction(HWND passwordWindow) {
  SendMessageW(GetDlgItem(passwordWindow, crypto::PasswordWindow::kActionButtonId), BM_CLICK, 0, 0);
}

void armSecondActivation(app::ProtectedWork& work, std::function<crypto::PasswordWindow*()> window,
                         SecondActivation& seen) {
  work.pumpInterval = std::chrono::milliseconds(0);
  work.checkValue = [&seen](std::string_view bytes) {
    ++seen.hashes;
    return crypto::passwordCheckValue(bytes);
  };
  work.processEvents = [&seen, window] {
    if (seen.pumps++ == 0) {
      crypto::PasswordWindow* w = window();
      HWND button = w->actionButton();
      seen.buttonEnabledWhileRunning = IsWindowEnabled(button);
      PostMessageW(button, BM_CLICK, 0, 0);
      PostMessageW(w->hwnd(), WM_COMMAND, MAKEWPARAM(crypto::PasswordWindow::kActionButtonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      PostMessageW(w->passwordBox(), WM_KEYDOWN, VK_RETURN, 0);
      PostMessageW(w->hwnd(), WM_CLOSE, 0, 0);
    }
    ui::processPendingEvents();
  };
}

}  // namespace qnv::test
