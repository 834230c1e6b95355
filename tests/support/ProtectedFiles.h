#pragma once
// Protected files and password windows in tests.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/win/ProtectedDocument.h"
#include "crypto/win/PasswordWindow.h"

namespace qnv::test {

// The document a protected file of either format holds for a password, or nullopt when it
// does not open.
std::optional<std::string> unlockProtectedFile(const std::filesystem::path& path, const std::wstring& password);

void typePassword(HWND passwordWindow, const std::wstring& password);
void clickAction(HWND passwordWindow);

// What an impatient user saw while a protected save or unlock ran.
struct SecondActivation {
  int hashes = 0;  // check values asked for: one per save or unlock that ran
  int pumps = 0;
  bool buttonEnabledWhileRunning = true;
};

// Makes the protected work count its check values and, the first time it lets the event
// loop run, click the window's button again, press Enter in its box and ask it to close.
void armSecondActivation(app::ProtectedWork& work, std::function<crypto::PasswordWindow*()> window,
                         SecondActivation& seen);

}  // namespace qnv::test
