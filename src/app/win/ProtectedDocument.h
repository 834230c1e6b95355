#pragma once
// The protected document: the one place that turns a password into what a protected file
// needs, writes the protected format and reads it back. The password windows only collect
// the password.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"

namespace qnv::app {

class EditorWindow;

// What protected saves and unlocking take from their surroundings; the program uses the
// defaults, tests replace single members.
struct ProtectedWork {
  // The check value of a password's ANSI code page bytes; empty when the hash service fails.
  std::function<std::string(std::string_view passwordBytes)> checkValue;
  // Runs the event loop until nothing is pending; called while long documents are worked on.
  std::function<void()> processEvents;
  // The least time between two runs of processEvents.
  std::chrono::milliseconds pumpInterval{crypto::EventPump::kDefaultInterval};

  ProtectedWork();
};

// F1: opens the encrypt window modally without an owner and returns when it has closed.
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

// Opens the unlock window modally for the protected file at documentPath and returns when
// it has closed. The editor box then holds the unlocked document; when the window was
// closed without a right password it stays empty, and the document no longer has
// documentPath as its save target, so that the protected file cannot be overwritten.
// Returns whether the document was unlocked.
bool runUnlockWindow(EditorWindow& window);

// Reads the protected file at documentPath again and, when the password's check value
// matches the stored one, puts the document into the editor box (as RTF or plain text, as
// the box decides) and keeps the check value for later saves. Returns false and changes
// nothing when they differ: a wrong password, or a file that can no longer be read.
bool unlockDocument(EditorWindow& window, std::wstring_view password);

}  // namespace qnv::app
