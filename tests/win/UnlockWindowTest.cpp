// The unlock window in-process: opened while the editor window is created for a protected
// command-line document of either format; a right password, a wrong one and another try,
// an abandoned unlock that leaves the protected file alone, a second activation while
// unlocking, damaged protected files; and saves of an unlocked document, which offer to keep
// the protection in the file's own format.
#include <gtest/gtest.h>

#include <richedit.h>

#include <memory>
#include <random>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/StrongFormat.h"
#include "crypto/win/EncryptWindow.h"
#include "crypto/win/UnlockWindow.h"
#include "app/win/ProtectedDocument.h"
#include "support/EditorFixture.h"
#include "support/ProtectedFiles.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using test::clickAction;
using test::typePassword;
using crypto::decryptText;
using crypto::isProtectedText;
using crypto::passwordCheckValue;
using crypto::PasswordWindow;
using crypto::protectedFileContent;
using crypto::removeProtectedMarker;
using crypto::textUpToFirstNul;
using crypto::UnlockWindow;
using crypto::unlockWindowDesign;
using ui::MessageAnswer;
using ui::MessageButtons;

const std::wstring kUnlockCaption = L"请输入密码解锁文件";
const std::wstring kEncryptCaption = L"请输入加密密码";
const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";
const std::wstring kWrongPassword = L"密码错误，请重新输入。";
const std::wstring kKeepProtection = L"此文档原为加密文档，是否继续加密保存？";
const std::wstring kDamaged = L"文件已损坏或不是支持的加密格式。";

// The fixture chinese-password.qnv: password 密码, document 你好，世界 CR LF 第二行 in GBK.
const std::wstring kFixturePassword = L"密码";
const std::string kFixtureText = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\r\n\xB5\xDA\xB6\xFE\xD0\xD0";

HWND passwordBoxOf(HWND window) { return GetDlgItem(window, PasswordWindow::kPasswordBoxId); }

// A strong-format fixture, written by another implementation (tests/data/strong).
std::filesystem::path strongFixture(const wchar_t* name) { return test::dataDir() / L"strong" / name; }

// The editor's document as a protected file holds it: the control's RTF stream ends with
// a zero byte, and a document ends at its first zero byte.
std::string documentOf(EditorWindow& editor) { return textUpToFirstNul(editor.editorBox().context()); }

class UnlockWindowTest : public test::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    protectedFile = dir / L"秘密.qnv";
    std::filesystem::copy_file(test::dataDir() / L"protected" / L"chinese-password.qnv", protectedFile);
    protectedBytes = test::readFileBytes(protectedFile);
  }
  void TearDown() override {
    unlockWindow.reset();
    EditorFixture::TearDown();
  }

  // Starts the editor with `document` on the command line; `atUnlock` acts in the unlock
  // window, which must show up.
  EditorWindow& openProtected(const std::filesystem::path& document, std::function<void(HWND)> atUnlock) {
    auto ran = test::whenWindowShows(kUnlockCaption, std::move(atUnlock));
    EditorWindow& w = open(document.wstring());
    EXPECT_TRUE(*ran) << "the unlock window showed";
    return w;
  }

  // An unlock window over the open editor, as the editor's creation makes it.
  void makeUnlockWindow() {
    unlockWindow =
        std::make_unique<UnlockWindow>([this](std::wstring_view password) { return unlockDocument(*window, password); });
    ASSERT_TRUE(unlockWindow->create(unlockWindowDesign()));
  }


  void type(const std::wstring& text) {
    SendMessageW(window->editorBox().hwnd(), EM_SETSEL, -1, -1);
    SendMessageW(window->editorBox().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    test::pumpMessages();
  }

  std::filesystem::path protectedFile;
  std::string protectedBytes;
  std::unique_ptr<UnlockWindow> unlockWindow;
};

TEST_F(UnlockWindowTest, TheRightPasswordFillsTheEditorWhileItIsCreated) {
  struct Case {
    const char* name;
    UINT message;  // 0: the button
  } cases[] = {{"button", 0}, {"Enter", WM_KEYDOWN}, {"Alt+Enter", WM_SYSKEYDOWN}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    EditorWindow& w = openProtected(protectedFile, [&](HWND unlock) {
      EXPECT_EQ(GetFocus(), passwordBoxOf(unlock)) << "the password can be typed at once";
      typePassword(unlock, kFixturePassword);
      if (c.message) {
        SendMessageW(passwordBoxOf(unlock), c.message, VK_RETURN, 0);
      } else {
        clickAction(unlock);
      }
    });
    EXPECT_EQ(plainText(), kFixtureText);
    EXPECT_EQ(w.caption(), kTitle) << "neither name nor length";
    EXPECT_EQ(appState().isModified, 0);
    EXPECT_EQ(appState().displayName, "");
    EXPECT_FALSE(appState().documentPathDetached);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(test::readFileBytes(protectedFile), protectedBytes);
    window.reset();
  }
}

TEST_F(UnlockWindowTest, AWrongPasswordAsksAgain) {
  bool stillOpen = false;
  bool boxEmptied = false;
  bool buttonEnabled = false;
  prompts.answers = {MessageAnswer::Ok, MessageAnswer::Ok};
  EditorWindow& w = openProtected(protectedFile, [&](HWND unlock) {
    typePassword(unlock, L"wrong");
    clickAction(unlock);
    test::pumpMessages();
    stillOpen = IsWindow(unlock) && IsWindowVisible(unlock);
    boxEmptied = GetWindowTextLengthW(passwordBoxOf(unlock)) == 0;
    buttonEnabled = IsWindowEnabled(GetDlgItem(unlock, PasswordWindow::kActionButtonId));
    typePassword(unlock, L"密"); // a prefix of the right one
    SendMessageW(passwordBoxOf(unlock), WM_KEYDOWN, VK_RETURN, 0);
    typePassword(unlock, kFixturePassword);
    clickAction(unlock);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(boxEmptied);
  EXPECT_TRUE(buttonEnabled);
  ASSERT_EQ(prompts.messages.size(), 2u);
  for (const auto& m : prompts.messages) {
    EXPECT_EQ(m.text, kWrongPassword);
    EXPECT_EQ(m.caption, L"信息：");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
  }
  EXPECT_EQ(plainText(), kFixtureText);
  EXPECT_EQ(w.caption(), kTitle);
  EXPECT_EQ(appState().isModified, 0);
}

TEST_F(UnlockWindowTest, AnAbandonedUnlockNeverOverwritesTheProtectedFile) {
  prompts.answers = {MessageAnswer::Ok};
  EditorWindow& w = openProtected(protectedFile, [](HWND unlock) {
    typePassword(unlock, L"wrong");
    clickAction(unlock);
    PostMessageW(unlock, WM_CLOSE, 0, 0);  // the close box
  });
  EXPECT_EQ(plainText(), "") << "an empty document";
  EXPECT_EQ(w.caption(), kTitle);
  EXPECT_EQ(appState().isModified, 0);
  EXPECT_TRUE(appState().documentPathDetached);
  type(L"新的内容");

  // Ctrl+S asks for a name; Cancel writes nothing.
  prompts.saveChoices = {std::nullopt};
  EXPECT_FALSE(saveDocument(w));
  EXPECT_EQ(prompts.saveDialogsShown.size(), 1u);

  // The close prompt's Yes asks for a name too; Cancel returns to the editor.
  prompts.answers = {MessageAnswer::Yes};
  prompts.saveChoices = {std::nullopt};
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(w.isAlive());
  EXPECT_FALSE(prompts.exitCode.has_value());
  EXPECT_EQ(prompts.saveDialogsShown.size(), 2u);

  // F1 asks for a name as well, and writes there.
  const auto copy = dir / L"副本.qnv";
  prompts.saveChoices = {copy.wstring()};
  auto ran = test::whenWindowShows(kEncryptCaption, [](HWND encrypt) {
    typePassword(encrypt, L"新密码");
    clickAction(encrypt);
  });
  SendMessageW(w.editorBox().hwnd(), WM_KEYDOWN, VK_F1, 0);
  ASSERT_TRUE(*ran);
  EXPECT_EQ(prompts.saveDialogsShown.size(), 3u);
  EXPECT_EQ(test::unlockProtectedFile(copy, L"新密码"), documentOf(w));

  // Ctrl+S then writes only where the user chose.
  const auto other = dir / L"other.qnv";
  prompts.saveChoices = {other.wstring()};
  ASSERT_TRUE(saveDocument(w));
  EXPECT_EQ(test::readFileBytes(other), w.editorBox().context());

  EXPECT_EQ(test::readFileBytes(protectedFile), protectedBytes) << "the protected file keeps its bytes";
  for (const auto& m : prompts.messages) EXPECT_NE(m.text, kKeepProtection) << "nothing was unlocked";
}

// Saves of a document that was unlocked in this run.
class ProtectedSave : public UnlockWindowTest {
 protected:
  // Starts afresh with a copy of `fixture` unlocked by `password`, with the settings naming
  // `format` for F1.
  EditorWindow& unlocked(const std::filesystem::path& fixture, const std::wstring& password, const char* format) {
    resetState();
    prompts.messages.clear();
    appState().settingsFile.writeSetting("加密方式", format);
    std::filesystem::copy_file(fixture, protectedFile, std::filesystem::copy_options::overwrite_existing);
    return openProtected(protectedFile, [&](HWND unlock) {
      typePassword(unlock, password);
      clickAction(unlock);
    });
  }
};

TEST_F(ProtectedSave, CtrlSAndTheClosePromptOfferToKeepTheProtection) {
  struct Case {
    const char* name;
    bool fromClosePrompt;
    MessageAnswer keep;
  } cases[] = {
      {"Ctrl+S, Yes", false, MessageAnswer::Yes},
      {"Ctrl+S, No", false, MessageAnswer::No},
      {"close prompt, Yes", true, MessageAnswer::Yes},
      {"close prompt, No", true, MessageAnswer::No},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    prompts.exitCode.reset();
    test::writeFileBytes(protectedFile, protectedBytes);
    EditorWindow& w = openProtected(protectedFile, [](HWND unlock) {
      typePassword(unlock, kFixturePassword);
      clickAction(unlock);
    });
    type(L"补充");
    // While a protected save lets the event loop run, the editor takes no input.
    int pumps = 0;
    bool editorTookInput = false;
    appState().protectedWork.pumpInterval = std::chrono::milliseconds(0);
    appState().protectedWork.processEvents = [&] {
      ++pumps;
      if (IsWindowVisible(w.hwnd()) && IsWindowEnabled(w.hwnd())) editorTookInput = true;
      ui::processPendingEvents();
    };
    if (c.fromClosePrompt) {
      prompts.answers = {MessageAnswer::Yes, c.keep};
      SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
      EXPECT_EQ(prompts.exitCode, std::optional<int>(0));
      ASSERT_EQ(prompts.messages.size(), 2u);
      EXPECT_EQ(prompts.messages[0].text, L"内容已被编辑是否保存？");
    } else {
      prompts.answers = {c.keep};
      ASSERT_TRUE(saveDocument(w));
      EXPECT_EQ(appState().isModified, 0);
      ASSERT_EQ(prompts.messages.size(), 1u);
    }
    const auto& question = prompts.messages.back();
    EXPECT_EQ(question.text, kKeepProtection);
    EXPECT_EQ(question.caption, L"信息：");
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(prompts.saveDialogsShown.empty()) << "written back to the unlocked file";

    EXPECT_EQ(pumps > 0, c.keep == MessageAnswer::Yes);
    EXPECT_FALSE(editorTookInput);
    EXPECT_TRUE(IsWindowEnabled(w.hwnd()));
    if (!c.fromClosePrompt) EXPECT_EQ(GetFocus(), w.editorBox().hwnd()) << "the keyboard is back in the editor";
    appState().protectedWork = ProtectedWork();

    const std::string context = w.editorBox().context();
    if (c.keep == MessageAnswer::Yes) {
      EXPECT_EQ(test::unlockProtectedFile(protectedFile, kFixturePassword), textUpToFirstNul(context))
          << "protected with the same password";
    } else {
      EXPECT_EQ(test::readFileBytes(protectedFile), context) << "ordinary RTF";
    }
    window.reset();
  }
}

TEST_F(ProtectedSave, SavesThatKeepTheProtectionKeepTheFormatOfTheFile) {
  struct Case {
    const char* name;
    std::filesystem::path fixture;
    std::wstring password;
    const char* setting;  // the format F1 would write
    bool strong;
  } cases[] = {
      {"strong file, settings 兼容", strongFixture(L"light-costs.qnv"), L"abc", "兼容", true},
      {"strong file, settings 强", strongFixture(L"chinese-password.qnv"), L"密码", "强", true},
      {"legacy file, settings 强", test::dataDir() / L"protected" / L"chinese-password.qnv", L"密码", "强", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditorWindow& w = unlocked(c.fixture, c.password, c.setting);
    std::string previous = test::readFileBytes(protectedFile);
    for (const wchar_t* addition : {L"补充", L"再补充"}) {
      type(addition);
      prompts.answers = {MessageAnswer::Yes};
      ASSERT_TRUE(saveDocument(w));
      const std::string file = test::readFileBytes(protectedFile);
      EXPECT_EQ(crypto::isStrongFile(file), c.strong);
      EXPECT_EQ(test::unlockProtectedFile(protectedFile, c.password), documentOf(w)) << "the same password";
      if (c.strong) {
        EXPECT_EQ(file.substr(0, 33), previous.substr(0, 33)) << "the same costs and salt";
        EXPECT_NE(file.substr(33, 12), previous.substr(33, 12)) << "a new nonce";
      }
      previous = file;
    }
    EXPECT_EQ(prompts.messages.size(), 2u) << "only the two questions";
    window.reset();
  }
}

TEST_F(UnlockWindowTest, StrongFilesOfAnotherImplementationOpenWithTheirPassword) {
  struct Case {
    const wchar_t* name;
    std::wstring password;
    std::string text;
  } cases[] = {
      {L"chinese-password.qnv", L"密码", kFixtureText},
      {L"rtf-document.qnv", L"秘密123", "\xD6\xD0\xCE\xC4 RTF"},
      {L"light-costs.qnv", L"abc", "hello, world"},
      {L"empty-document.qnv", L"abc", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ui::narrow(c.name));
    resetState();
    const auto path = dir / c.name;
    std::filesystem::copy_file(strongFixture(c.name), path, std::filesystem::copy_options::overwrite_existing);
    const std::string bytes = test::readFileBytes(path);
    EditorWindow& w = openProtected(path, [&](HWND unlock) {
      typePassword(unlock, c.password);
      clickAction(unlock);
    });
    EXPECT_EQ(plainText(), c.text);
    EXPECT_EQ(w.caption(), kTitle) << "neither name nor length";
    EXPECT_EQ(appState().isModified, 0);
    EXPECT_FALSE(appState().documentPathDetached);
    EXPECT_EQ(appState().keptProtection.format(), ProtectionFormat::Strong);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(test::readFileBytes(path), bytes);
    window.reset();
  }
}

TEST_F(UnlockWindowTest, AStrongFileAsksAgainAfterAPasswordItCannotTake) {
  std::filesystem::copy_file(strongFixture(L"chinese-password.qnv"), protectedFile,
                             std::filesystem::copy_options::overwrite_existing);
  int askedAgain = 0;
  prompts.answers = {MessageAnswer::Ok, MessageAnswer::Ok, MessageAnswer::Ok};
  openProtected(protectedFile, [&](HWND unlock) {
    for (const std::wstring& refused : {std::wstring(), std::wstring(L"密码\U0001F600"), std::wstring(L"密")}) {
      typePassword(unlock, refused);
      clickAction(unlock);
      test::pumpMessages();
      if (IsWindowVisible(unlock) && GetWindowTextLengthW(passwordBoxOf(unlock)) == 0) ++askedAgain;
    }
    typePassword(unlock, kFixturePassword);
    clickAction(unlock);
  });
  EXPECT_EQ(askedAgain, 3);
  ASSERT_EQ(prompts.messages.size(), 3u);
  EXPECT_EQ(prompts.messages[0].text, L"密码不能为空。");
  EXPECT_EQ(prompts.messages[1].text, L"密码中有本系统的文字编码无法表示的字符，请换一个密码。");
  EXPECT_EQ(prompts.messages[2].text, kWrongPassword);
  EXPECT_EQ(plainText(), kFixtureText);
}

TEST_F(UnlockWindowTest, DamagedStrongFilesAreRefusedAndNeverOverwritten) {
  const std::string good = test::readFileBytes(strongFixture(L"light-costs.qnv"));  // password abc
  const auto changed = [&good](std::size_t at, int value) {
    std::string file = good;
    file[at] = static_cast<char>(value);
    return file;
  };
  const auto flipped = [&](std::size_t at) { return changed(at, good[at] ^ 1); };
  const auto hostile = [&good](std::size_t at) {
    std::string file = good;
    file.replace(at, 4, "\xFF\xFF\xFF\xFF");
    return file;
  };
  struct Case {
    const char* name;
    std::string bytes;
    bool asksForPassword;  // the header is sound: only the tag can tell
  } cases[] = {
      {"marker only", ".qnv#", false},
      {"cut at the end of the header", good.substr(0, 45), false},
      {"one byte short of the smallest file", good.substr(0, 60), false},
      {"version 3", changed(5, '3'), false},
      {"another key derivation", changed(6, 2), false},
      {"another cipher", changed(32, 2), false},
      {"4294967295 passes", hostile(7), false},
      {"4 TiB of memory", hostile(11), false},
      {"255 lanes", changed(15, 255), false},
      {"salt changed", flipped(20), true},
      {"nonce changed", flipped(40), true},
      {"ciphertext changed", flipped(50), true},
      {"tag changed", flipped(good.size() - 1), true},
      {"cut inside the tag", good.substr(0, good.size() - 3), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    test::writeFileBytes(protectedFile, c.bytes);
    prompts.answers = {MessageAnswer::Ok};
    auto asked = test::whenWindowShows(kUnlockCaption, [](HWND unlock) {
      typePassword(unlock, L"abc");
      clickAction(unlock);
      test::pumpMessages();
      PostMessageW(unlock, WM_CLOSE, 0, 0);  // the close box
    });
    EditorWindow& w = open(protectedFile.wstring());
    EXPECT_EQ(*asked, c.asksForPassword);
    asked.reset();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, c.asksForPassword ? kWrongPassword : kDamaged);
    EXPECT_EQ(plainText(), "");
    EXPECT_EQ(w.caption(), kTitle);
    EXPECT_TRUE(appState().documentPathDetached);
    EXPECT_TRUE(appState().keptProtection.empty());

    // Ctrl+S asks for a name instead of writing over the file.
    prompts.saveChoices = {std::nullopt};
    EXPECT_FALSE(saveDocument(w));
    EXPECT_EQ(test::readFileBytes(protectedFile), c.bytes);
    window.reset();
  }
}

TEST_F(ProtectedSave, F1DoesNotAskAndLaterSavesKeepItsPasswordAndFormat) {
  struct Case {
    const char* name;
    std::filesystem::path fixture;
    std::wstring password;
    const char* setting;  // the format F1 writes
    bool strong;
  } cases[] = {
      {"legacy file, no setting", test::dataDir() / L"protected" / L"chinese-password.qnv", kFixturePassword, "",
       false},
      {"legacy file, 强", test::dataDir() / L"protected" / L"chinese-password.qnv", kFixturePassword, "强", true},
      {"strong file, 兼容", strongFixture(L"light-costs.qnv"), L"abc", "兼容", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditorWindow& w = unlocked(c.fixture, c.password, c.setting);
    type(L"改");
    auto ran = test::whenWindowShows(kEncryptCaption, [](HWND encrypt) {
      typePassword(encrypt, L"新密码");
      clickAction(encrypt);
    });
    SendMessageW(w.editorBox().hwnd(), WM_KEYDOWN, VK_F1, 0);
    ASSERT_TRUE(*ran);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(crypto::isStrongFile(test::readFileBytes(protectedFile)), c.strong) << "the settings' format";
    EXPECT_EQ(test::unlockProtectedFile(protectedFile, L"新密码"), documentOf(w));

    // The file now opens with the new password; keeping the protection keeps that one, and
    // the format F1 wrote.
    type(L"再改");
    prompts.answers = {MessageAnswer::Yes};
    ASSERT_TRUE(saveDocument(w));
    EXPECT_EQ(crypto::isStrongFile(test::readFileBytes(protectedFile)), c.strong);
    EXPECT_EQ(test::unlockProtectedFile(protectedFile, L"新密码"), documentOf(w));
    window.reset();
  }
}

TEST_F(UnlockWindowTest, ASecondActivationWhileUnlockingIsIgnored) {
  // A document large enough for several rounds of the codec.
  std::string document;
  while (document.size() < 300 * 1024) document += "line of the protected document\r\n";
  const auto path = dir / L"large.qnv";
  test::writeFileBytes(path, protectedFileContent(document, passwordCheckValue("abc"), nullptr));

  open();
  appState().documentPath = ui::narrow(path.wstring());

  test::SecondActivation seen;
  test::armSecondActivation(appState().protectedWork, [this] { return unlockWindow.get(); }, seen);
  makeUnlockWindow();
  typePassword(unlockWindow->hwnd(), L"abc");
  clickAction(unlockWindow->hwnd());
  EXPECT_TRUE(test::pumpUntil([&] { return !unlockWindow->isAlive(); }));

  EXPECT_GT(seen.pumps, 1);
  EXPECT_FALSE(seen.buttonEnabledWhileRunning);
  EXPECT_EQ(seen.hashes, 1) << "one unlock ran";
  EXPECT_TRUE(unlockWindow->unlocked());
  EXPECT_TRUE(prompts.messages.empty());
  window->editorBox().setContextType(ui::EditorBox::kPlainText);
  std::string text = window->editorBox().context();
  EXPECT_EQ(text.size(), document.size());
}

TEST_F(UnlockWindowTest, DamagedProtectedFilesGiveAnEmptyDocumentOrAnotherTry) {
  const std::string abc = passwordCheckValue("abc");
  std::string huge = ".qnv2F";  // decodes to a zero byte first: the document ends there
  huge.append(20u << 20, 'A');
  huge += abc;
  std::mt19937 random(7);
  std::string binary = ".qnv";
  for (int i = 0; i < 100000; ++i) binary += static_cast<char>(random() % 255 + 1);  // no zero byte
  std::string binaryWithCheck = binary + abc;
  std::string corruptedCheck = test::readFileBytes(test::dataDir() / L"protected" / L"empty-password.qnv");
  corruptedCheck.back() = corruptedCheck.back() == '0' ? '1' : '0';
  std::string corruptedBody = test::readFileBytes(test::dataDir() / L"protected" / L"empty-password.qnv");
  corruptedBody[4] = 'Z';  // one digit that is not hex: the pair takes the other digit's value

  struct Case {
    std::string name;
    std::string bytes;  // empty: the fixture of that name
    std::wstring password;
    bool unlocks;
    std::optional<std::string> text;  // the document's plain text after unlocking, when known
  } cases[] = {
      {"empty-document.qnv", "", L"abc", true, ""},
      {"empty-password.qnv", "", L"", true, "hello, world"},
      {"chinese-password.qnv", "", L"密码", true, kFixtureText},
      {"zero-byte.qnv", "", L"abc", true, "before"},
      {"odd-length.qnv", "", L"abc", true, "AB!"},
      {"lower-case-body.qnv", "", L"abc", true, "Lower case digits"},
      {"lower-case-check.qnv", "", L"abc", false, {}},
      {"truncated.qnv", "", L"abc", false, {}},
      {"rtf-document.qnv", "", L"秘密123", true, "\xD6\xD0\xCE\xC4 RTF"},
      {"wrong password", test::readFileBytes(test::dataDir() / L"protected" / L"empty-password.qnv"), L"x", false,
       {}},
      {"marker only", ".qnv", L"abc", false, {}},
      {"empty body", ".qnv" + abc, L"abc", true, ""},
      {"corrupted check value", corruptedCheck, L"", false, {}},
      {"corrupted body", corruptedBody, L"", true, {}},
      {"huge", huge, L"abc", true, ""},
      {"binary", binary, L"abc", false, {}},
      {"binary with a check value", binaryWithCheck, L"abc", true, {}},
      {"missing file", "", L"abc", false, {}},
  };
  open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.messages.clear();
    SetWindowTextW(window->editorBox().hwnd(), L"");
    const auto path = dir / ui::widen(c.name);
    if (c.name == "missing file") {
      DeleteFileW(path.c_str());
    } else if (c.bytes.empty()) {
      std::filesystem::copy_file(test::dataDir() / L"protected" / ui::widen(c.name), path,
                                 std::filesystem::copy_options::overwrite_existing);
    } else {
      test::writeFileBytes(path, c.bytes);
    }
    const std::string before = test::readFileBytes(path);
    appState().documentPath = ui::narrow(path.wstring());
    appState().keptProtection.clear();
    if (!c.unlocks) prompts.answers.push_back(MessageAnswer::Ok);

    makeUnlockWindow();
    typePassword(unlockWindow->hwnd(), c.password);
    clickAction(unlockWindow->hwnd());
    test::pumpMessages();
    EXPECT_EQ(unlockWindow->unlocked(), c.unlocks);
    if (c.unlocks) {
      EXPECT_TRUE(test::pumpUntil([&] { return !unlockWindow->isAlive(); }));
      EXPECT_TRUE(prompts.messages.empty());
      if (c.text) EXPECT_EQ(plainText(), *c.text);
    } else {
      EXPECT_TRUE(unlockWindow->isAlive()) << "another try";
      ASSERT_EQ(prompts.messages.size(), 1u);
      EXPECT_EQ(prompts.messages[0].text, kWrongPassword);
      EXPECT_EQ(plainText(), "");
      EXPECT_TRUE(appState().keptProtection.empty());
    }
    EXPECT_EQ(test::readFileBytes(path), before) << "the file is only read";
    unlockWindow.reset();
  }
}

}  // namespace
}  // namespace qnv::app
