#pragma once
// The protected document: the one place that turns a password into what a protected file
// needs, writes either protected format and reads it back, and says everything there is to
// say about a password. The password windows only collect it.
//
// Two formats: the legacy one (crypto/ProtectedFormat.h: the document scrambled with a
// fixed mask, only the password's check value stored) and the strong one
// (crypto/StrongFormat.h: Argon2id and AES-256-GCM). F1 writes the one the settings name;
// a save that keeps the protection writes the format of the file the document came from.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "crypto/EventPump.h"
#include "crypto/StrongFormat.h"
#include "crypto/win/PasswordWindow.h"
#include "crypto/win/SealedKey.h"

namespace qnv::app {

class EditorWindow;

enum class ProtectionFormat { Legacy, Strong };

// What protected saves and unlocking take from their surroundings; the program uses the
// defaults, tests replace single members.
struct ProtectedWork {
  // The check value of a password's ANSI code page bytes; empty when the hash service fails.
  std::function<std::string(std::string_view passwordBytes)> checkValue;
  // Fills the bytes from the system's cryptographic generator; false when it fails.
  std::function<bool(std::span<std::uint8_t> bytes)> randomBytes;
  // The key derivation's costs in files F1 writes in the strong format.
  crypto::Argon2Parameters strongCosts;
  // Runs the event loop until nothing is pending; called while long documents are worked on.
  std::function<void()> processEvents;
  // The least time between two runs of processEvents.
  std::chrono::milliseconds pumpInterval{crypto::EventPump::kDefaultInterval};

  ProtectedWork();
};

// How a protected save protects the document: with the legacy format's check value, or with
// the strong format's key and the salt and costs it was derived with. What it holds is
// wiped when it goes.
struct Protection {
  ProtectionFormat format = ProtectionFormat::Legacy;
  std::string checkValue;       // legacy
  crypto::StrongKey strongKey;  // strong

  Protection() = default;
  Protection(Protection&&) = default;
  Protection& operator=(Protection&&) = default;
  ~Protection();
};

// What saves that keep the protection need, for a document unlocked from a protected file
// in this run (or protected by F1 since): the check value, or the strong key sealed by the
// system with its salt and costs. Never the password. Held in memory only; wiped when
// replaced, cleared, or at the end of the program.
class KeptProtection {
 public:
  KeptProtection() = default;
  KeptProtection(KeptProtection&& other) noexcept { *this = std::move(other); }
  KeptProtection& operator=(KeptProtection&& other) noexcept;
  ~KeptProtection() { clear(); }

  bool empty() const { return !format_; }
  std::optional<ProtectionFormat> format() const { return format_; }

  // Keeps what `protection` needs in place of what was kept. The document counts as
  // protected from then on even when the system refuses to seal the key; recall() then
  // fails, so that no save can drop the protection silently.
  void keep(const Protection& protection);
  // What was kept, ready for a save; nullopt when nothing is kept or the key cannot be had.
  std::optional<Protection> recall() const;
  void clear();

  // A strong document brought back after a crash: its key was never written anywhere, so
  // the save that keeps the protection asks for a password again.
  void keepAskingForPassword();
  bool asksForPassword() const { return asksForPassword_; }

 private:
  std::optional<ProtectionFormat> format_;
  bool asksForPassword_ = false;
  std::string checkValue_;
  crypto::Argon2Parameters costs_;
  crypto::Salt salt_{};
  crypto::SealedKey key_;
};

// F1: opens the encrypt window modally without an owner and returns when it has closed.
void runEncryptWindow(EditorWindow& window);

// The encrypt window's action, in the format the settings name now. A password the format
// cannot take (empty, for the strong format; a character outside the ANSI code page, for
// both) is refused with a message: AskAgain. The target is documentPath, whatever its
// extension, while the document has a save target of its own; otherwise the name chosen in
// the save dialog, which must end in ".qnv" exactly (Cancel writes nothing and says
// nothing). Writes the document protected with a fresh salt and nonce (strong) or the
// password's check value (legacy) and clears isModified: Accepted. Every failure has been
// shown to the user: GiveUp.
crypto::PasswordVerdict encryptAndSave(EditorWindow& window, std::wstring_view password);

// Writes the editor box's document to `target` in `protection`'s format (with a fresh nonce,
// strong), replacing the file in one step. A failure is shown ("保存失败" with the path and
// the reason, or why the document could not be encrypted) and false returned.
bool writeProtectedDocument(EditorWindow& window, const std::wstring& target, const Protection& protection);

// The save that keeps the protection (Yes to "此文档原为加密文档，是否继续加密保存？"): writes
// with what was kept, or, for a recovered strong document, asks for a password in the
// encrypt window and writes the strong format with it (closing the window writes nothing and
// says nothing). False, with a message, when what was kept cannot be had or the write fails.
bool writeWithKeptProtection(EditorWindow& window, const std::wstring& target);

// Opens the unlock window modally for the protected file at documentPath and returns when
// it has closed. The editor box then holds the unlocked document; when the window was
// closed without a right password it stays empty, and the document no longer has
// documentPath as its save target, so that the protected file cannot be overwritten. A
// strong file whose header this program cannot read is refused before any password is
// asked for, the same way. Returns whether the document was unlocked.
bool runUnlockWindow(EditorWindow& window);

// Reads the protected file at documentPath again and tries the password in the file's own
// format. Accepted: the document is in the editor box (as RTF or plain text, as the box
// decides) and what later saves need is kept. AskAgain: a wrong password (or, strong, a
// changed byte), or one the format cannot take; the box is unchanged and a message said so.
// GiveUp: a strong file that is damaged or asks for a key that cannot be made, said so.
crypto::PasswordVerdict unlockDocument(EditorWindow& window, std::wstring_view password);

}  // namespace qnv::app
