#include "app/win/ProtectedDocument.h"

#include <windows.h>

#include <new>
#include <optional>

#include "app/PathNames.h"
#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/Wipe.h"
#include "crypto/win/CryptoApiDigest.h"
#include "crypto/win/EncryptWindow.h"
#include "crypto/win/SystemRandom.h"
#include "crypto/win/UnlockWindow.h"
#include "files/win/FileWrite.h"
#include "settings/SettingsValues.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using crypto::PasswordVerdict;

constexpr std::wstring_view kWrongPassword = L"密码错误，请重新输入。";
constexpr std::wstring_view kDamaged = L"文件已损坏或不是支持的加密格式。";
constexpr std::wstring_view kEmptyPassword = L"密码不能为空。";
constexpr std::wstring_view kOutsideCodePage = L"密码中有本系统的文字编码无法表示的字符，请换一个密码。";
constexpr std::wstring_view kNoCheckValue = L"无法计算密码校验值，文件未保存。";
constexpr std::wstring_view kNoRandom = L"无法取得随机数，文件未保存。";
constexpr std::wstring_view kNoKeyForSave = L"无法由密码生成密钥，文件未保存。";
constexpr std::wstring_view kNoKeyForUnlock = L"无法由密码生成密钥，文件未打开。";
constexpr std::wstring_view kNotEncrypted = L"无法加密文档，文件未保存。";
constexpr std::wstring_view kKeyLost = L"无法取回加密所需的密钥，文件未保存。请按F1重新加密保存。";

crypto::EventPump protectedWorkPump() {
  const ProtectedWork& work = appState().protectedWork;
  return crypto::EventPump(work.processEvents, work.pumpInterval);
}

// The format F1 writes, as the settings name it now.
ProtectionFormat formatInSettings() {
  const std::string value = appState().settingsFile.readSetting(settings::key::kProtectionFormat);
  return settings::parseStrongProtection(value) ? ProtectionFormat::Strong : ProtectionFormat::Legacy;
}

// The password's bytes in the ANSI code page, or nullopt (and the reason shown) when the
// format cannot take it. The caller wipes the bytes.
std::optional<std::string> usablePassword(std::wstring_view password, ProtectionFormat format) {
  std::optional<std::string> bytes = ui::toAnsiExactly(password);
  if (!bytes) {
    ui::showMessage(kOutsideCodePage);
    return std::nullopt;
  }
  if (format == ProtectionFormat::Strong && bytes->empty()) {
    ui::showMessage(kEmptyPassword);
    return std::nullopt;
  }
  return bytes;
}

template <typename Bytes>
bool drawRandom(Bytes& bytes) {
  const ProtectedWork& work = appState().protectedWork;
  return work.randomBytes && work.randomBytes(std::span<std::uint8_t>(bytes.data(), bytes.size()));
}

// What F1 protects with: the check value (legacy) or a key derived with a fresh salt
// (strong). nullopt when it cannot be made, after saying why.
std::optional<Protection> protectionFor(std::string_view passwordBytes, ProtectionFormat format) {
  const ProtectedWork& work = appState().protectedWork;
  Protection protection;
  protection.format = format;
  if (format == ProtectionFormat::Legacy) {
    protection.checkValue = work.checkValue(passwordBytes);
    if (protection.checkValue.empty()) {
      ui::showMessage(kNoCheckValue);
      return std::nullopt;
    }
    return protection;
  }
  crypto::Salt salt{};
  if (!drawRandom(salt)) {
    ui::showMessage(kNoRandom);
    return std::nullopt;
  }
  crypto::EventPump pump = protectedWorkPump();
  std::optional<crypto::StrongKey> key = crypto::deriveStrongKey(passwordBytes, salt, work.strongCosts, &pump);
  if (!key) {
    ui::showMessage(kNoKeyForSave);
    return std::nullopt;
  }
  protection.strongKey = std::move(*key);
  return protection;
}

// The protected file's bytes for a document; nullopt after saying why when they cannot be
// made.
std::optional<std::string> protectedContent(std::string_view document, const Protection& protection,
                                            crypto::EventPump& pump) {
  if (protection.format == ProtectionFormat::Legacy) {
    return crypto::protectedFileContent(document, protection.checkValue, &pump);
  }
  crypto::Nonce nonce{};
  if (!drawRandom(nonce)) {
    ui::showMessage(kNoRandom);
    return std::nullopt;
  }
  std::optional<std::string> content = crypto::strongFileContent(document, protection.strongKey, nonce, &pump);
  if (!content) ui::showMessage(kNotEncrypted);
  return content;
}

// Gives the keyboard back to the editor after a modal password window.
void refocusEditor(EditorWindow& window) {
  if (window.isAlive() && IsWindowVisible(window.hwnd())) {
    SetForegroundWindow(window.hwnd());
    SetFocus(window.editorBox().hwnd());
  }
}

PasswordVerdict unlockLegacy(EditorWindow& window, std::string& text, std::wstring_view password,
                             crypto::EventPump& pump) {
  // Files written by earlier copies took any typed character in the code page's nearest
  // form; they still open with the same password.
  std::string passwordBytes = ui::toAnsi(password);
  const crypto::WipedAtExit wipePassword(passwordBytes);
  Protection protection;
  protection.checkValue = appState().protectedWork.checkValue(passwordBytes);

  crypto::cutAtFirstNul(text);
  // A file that begins with the marker has it removed without another copy of the text.
  std::optional<std::string> document;
  if (crypto::isProtectedText(text)) {
    document = crypto::decryptText(std::string_view(text).substr(crypto::kProtectedMarker.size()),
                                   protection.checkValue, &pump);
  } else {
    document = crypto::decryptText(crypto::removeProtectedMarker(text), protection.checkValue, &pump);
  }
  if (!document) {
    ui::showMessage(kWrongPassword);
    return PasswordVerdict::AskAgain;
  }
  std::string().swap(text);
  pump.poll();

  loadDocumentText(window, *document, ui::widen(appState().documentPath));
  appState().keptProtection.keep(protection);
  return PasswordVerdict::Accepted;
}

PasswordVerdict unlockStrong(EditorWindow& window, std::string_view fileBytes, std::wstring_view password,
                             crypto::EventPump& pump) {
  if (!crypto::readStrongHeader(fileBytes)) {
    ui::showMessage(kDamaged);
    return PasswordVerdict::GiveUp;
  }
  std::optional<std::string> passwordBytes = usablePassword(password, ProtectionFormat::Strong);
  if (!passwordBytes) return PasswordVerdict::AskAgain;
  crypto::StrongUnlock unlocked = crypto::unlockStrongFile(fileBytes, *passwordBytes, &pump);
  crypto::wipe(*passwordBytes);
  const crypto::WipedAtExit wipeDocument(unlocked.document);

  switch (unlocked.status) {
    case crypto::StrongUnlock::Status::Unlocked:
      break;
    case crypto::StrongUnlock::Status::Mismatch:
      ui::showMessage(kWrongPassword);
      return PasswordVerdict::AskAgain;
    case crypto::StrongUnlock::Status::KeyFailed:
      ui::showMessage(kNoKeyForUnlock);
      return PasswordVerdict::GiveUp;
    case crypto::StrongUnlock::Status::Damaged:
      ui::showMessage(kDamaged);
      return PasswordVerdict::GiveUp;
  }
  pump.poll();
  loadDocumentText(window, unlocked.document, ui::widen(appState().documentPath));
  Protection protection;
  protection.format = ProtectionFormat::Strong;
  protection.strongKey = std::move(*unlocked.key);
  appState().keptProtection.keep(protection);
  return PasswordVerdict::Accepted;
}

// Opens the encrypt window modally, without an owner, with what its button does.
void runEncryptWindowWith(EditorWindow& window, crypto::EncryptWindow::Save save) {
  {
    crypto::EncryptWindow encryptWindow(std::move(save));
    encryptWindow.runModal(crypto::encryptWindowDesign());
  }
  // The editor was disabled while the window was up.
  refocusEditor(window);
}

// Protects the document with the password in `format` and writes it to `target`; what it
// was protected with, or nullopt once every failure has been shown.
std::optional<Protection> protectAndWrite(EditorWindow& window, std::string_view passwordBytes, ProtectionFormat format,
                                          const std::wstring& target) {
  std::optional<Protection> protection = protectionFor(passwordBytes, format);
  if (!protection || !writeProtectedDocument(window, target, *protection)) return std::nullopt;
  return protection;
}

// A recovered strong document: the protection is kept with a password asked for now.
bool writeWithNewPassword(EditorWindow& window, const std::wstring& target) {
  bool written = false;
  runEncryptWindowWith(window, [&](std::wstring_view password) {
    std::optional<std::string> passwordBytes = usablePassword(password, ProtectionFormat::Strong);
    if (!passwordBytes) return PasswordVerdict::AskAgain;
    const crypto::WipedAtExit wipePassword(*passwordBytes);
    const std::optional<Protection> protection =
        protectAndWrite(window, *passwordBytes, ProtectionFormat::Strong, target);
    if (!protection) return PasswordVerdict::GiveUp;
    appState().keptProtection.keep(*protection);
    written = true;
    return PasswordVerdict::Accepted;
  });
  return written;
}

}  // namespace

ProtectedWork::ProtectedWork()
    : checkValue([](std::string_view passwordBytes) {
        return crypto::passwordCheckValue(passwordBytes, crypto::cryptoApiMd5HexDigest);
      }),
      randomBytes(crypto::systemRandomBytes),
      processEvents(ui::processPendingEvents) {}

Protection::~Protection() { crypto::wipe(checkValue); }

KeptProtection& KeptProtection::operator=(KeptProtection&& other) noexcept {
  if (this != &other) {
    clear();
    format_ = other.format_;
    asksForPassword_ = other.asksForPassword_;
    checkValue_ = std::move(other.checkValue_);
    costs_ = other.costs_;
    salt_ = other.salt_;
    key_ = std::move(other.key_);
    other.clear();
  }
  return *this;
}

void KeptProtection::keep(const Protection& protection) {
  clear();
  format_ = protection.format;
  if (protection.format == ProtectionFormat::Legacy) {
    checkValue_ = protection.checkValue;
    return;
  }
  costs_ = protection.strongKey.parameters;
  salt_ = protection.strongKey.salt;
  key_.seal(protection.strongKey.key);
}

std::optional<Protection> KeptProtection::recall() const {
  if (!format_) return std::nullopt;
  Protection protection;
  protection.format = *format_;
  if (*format_ == ProtectionFormat::Legacy) {
    protection.checkValue = checkValue_;
    return protection;
  }
  std::optional<crypto::SecretKey> key = key_.unseal();
  if (!key) return std::nullopt;
  protection.strongKey.parameters = costs_;
  protection.strongKey.salt = salt_;
  protection.strongKey.key = std::move(*key);
  return protection;
}

void KeptProtection::keepAskingForPassword() {
  clear();
  format_ = ProtectionFormat::Strong;
  asksForPassword_ = true;
}

void KeptProtection::clear() {
  format_.reset();
  asksForPassword_ = false;
  crypto::wipe(checkValue_);
  key_.clear();
}

void runEncryptWindow(EditorWindow& window) {
  runEncryptWindowWith(window, [&window](std::wstring_view password) { return encryptAndSave(window, password); });
}

bool writeProtectedDocument(EditorWindow& window, const std::wstring& target, const Protection& protection) {
  // The windows are repainted while a long document is encrypted, but take no input: the
  // document must not change, nor another save start, before this one has finished.
  HWND focus = GetFocus();
  bool written = false;
  {
    ui::ProgramModality modality;
    crypto::EventPump pump = protectedWorkPump();
    std::optional<std::string> content;
    try {
      std::string document = window.editorBox().context();
      const crypto::WipedAtExit wipeDocument(document);
      pump.poll();
      content = protectedContent(document, protection, pump);
    } catch (const std::bad_alloc&) {
      reportSaveFailure(target, ERROR_NOT_ENOUGH_MEMORY);
    }
    if (content) {
      pump.poll();
      written = writeDocumentFile(target, *content);
    }
  }
  if (focus && IsWindow(focus) && IsWindowVisible(focus)) SetFocus(focus);
  return written;
}

bool writeWithKeptProtection(EditorWindow& window, const std::wstring& target) {
  if (appState().keptProtection.asksForPassword()) return writeWithNewPassword(window, target);
  const std::optional<Protection> protection = appState().keptProtection.recall();
  if (!protection) {
    ui::showMessage(kKeyLost);
    return false;
  }
  return writeProtectedDocument(window, target, *protection);
}

PasswordVerdict encryptAndSave(EditorWindow& window, std::wstring_view password) {
  AppState& state = appState();
  const ProtectionFormat format = formatInSettings();
  std::optional<std::string> passwordBytes = usablePassword(password, format);
  if (!passwordBytes) return PasswordVerdict::AskAgain;
  const crypto::WipedAtExit wipePassword(*passwordBytes);

  std::optional<std::wstring> target = ownSaveTarget();
  if (!target) {
    target = chooseInSaveDialog(window);
    if (!target) return PasswordVerdict::GiveUp;
    if (extensionOf(ui::narrow(*target)) != kDocumentExtension) {
      ui::showMessage(L"文件类型必须为.qnv");
      return PasswordVerdict::GiveUp;
    }
  }

  const std::optional<Protection> protection = protectAndWrite(window, *passwordBytes, format, *target);
  if (!protection) return PasswordVerdict::GiveUp;
  state.isModified = 0;
  // A document unlocked in this run now carries this password and format; later saves that
  // keep the protection use them.
  if (!state.keptProtection.empty()) state.keptProtection.keep(*protection);
  return PasswordVerdict::Accepted;
}

bool runUnlockWindow(EditorWindow& window) {
  AppState& state = appState();
  bool damaged = false;
  {
    const files::FileReadResult file =
        files::readWholeFile(ui::widen(state.documentPath), documentReadLimit(DocumentKind::kProtected));
    damaged = crypto::isStrongFile(file.bytes) && !crypto::readStrongHeader(file.bytes);
  }
  if (damaged) {
    ui::showMessage(kDamaged);
    state.documentPathDetached = true;
    return false;
  }
  crypto::UnlockWindow unlockWindow(
      [&window](std::wstring_view password) { return unlockDocument(window, password); });
  unlockWindow.runModal(crypto::unlockWindowDesign());
  if (!unlockWindow.unlocked()) state.documentPathDetached = true;
  return unlockWindow.unlocked();
}

PasswordVerdict unlockDocument(EditorWindow& window, std::wstring_view password) {
  crypto::EventPump pump = protectedWorkPump();
  files::FileReadResult file =
      files::readWholeFile(ui::widen(appState().documentPath), documentReadLimit(DocumentKind::kProtected));
  pump.poll();
  if (crypto::isStrongFile(file.bytes)) return unlockStrong(window, file.bytes, password, pump);
  return unlockLegacy(window, file.bytes, password, pump);
}

}  // namespace qnv::app
