// The encrypt window (F1) in-process: its design, the target rules, Enter in the password
// box, a second activation while saving, a failing hash service or write, the format the
// settings choose and the passwords it refuses, and documents that come back unchanged
// through the unlock routine.
#include <gtest/gtest.h>

#include <richedit.h>

#include <functional>
#include <map>
#include <memory>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "crypto/Digest.h"
#include "crypto/HexCodec.h"
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
using crypto::EncryptWindow;
using crypto::encryptWindowDesign;
using crypto::isProtectedText;
using crypto::passwordCheckValue;
using crypto::PasswordWindow;
using crypto::removeProtectedMarker;
using crypto::textUpToFirstNul;
using crypto::UnlockWindow;
using crypto::unlockWindowDesign;
using ui::CharFormat;
using ui::kBold;
using ui::MessageAnswer;
using ui::MessageButtons;

const std::wstring kEncryptCaption = L"请输入加密密码";
const std::wstring kUnlockCaption = L"请输入密码解锁文件";

// GBK bytes of "中文笔记".
const std::string kGbkNote = "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7";

const std::wstring kOutsideCodePage = L"密码中有本系统的文字编码无法表示的字符，请换一个密码。";

// The editor's document as a protected file holds it: the control's RTF stream ends with
// a zero byte, and a document ends at its first zero byte.
std::string documentOf(EditorWindow& editor) { return textUpToFirstNul(editor.editorBox().context()); }

// Names the format F1 writes in the settings file, as the settings window does.
void chooseFormat(const char* value) { appState().settingsFile.writeSetting("加密方式", value); }

class EncryptWindowTest : public test::EditorFixture {
 protected:
  void TearDown() override {
    encryptWindow.reset();
    EditorFixture::TearDown();
  }

  void type(const std::wstring& text) {
    SendMessageW(window->editorBox().hwnd(), EM_SETSEL, -1, -1);
    SendMessageW(window->editorBox().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    test::pumpMessages();
  }

  // Opens the encrypt window without its modal loop, types the password and presses the
  // button.
  void pressEncrypt(const std::wstring& password) {
    if (!encryptWindow || !encryptWindow->isAlive()) {
      encryptWindow =
          std::make_unique<EncryptWindow>([this](std::wstring_view typed) { return encryptAndSave(*window, typed); });
      ASSERT_TRUE(encryptWindow->create(encryptWindowDesign()));
      ShowWindow(encryptWindow->hwnd(), SW_SHOWNOACTIVATE);
    }
    typePassword(encryptWindow->hwnd(), password);
    clickAction(encryptWindow->hwnd());
    test::pumpMessages();
  }

  // The same, and returns once the window has closed.
  void encryptThroughWindow(const std::wstring& password) {
    pressEncrypt(password);
    EXPECT_TRUE(test::pumpUntil([&] { return !encryptWindow->isAlive(); })) << "the window closes after acting";
  }

  std::unique_ptr<EncryptWindow> encryptWindow;
};

TEST_F(EncryptWindowTest, BothPasswordWindowsAreAsDesigned) {
  EditorWindow& w = open();
  struct Case {
    const char* name;
    std::unique_ptr<PasswordWindow> window;
    ui::WindowDesign design;
    std::wstring caption;
    std::wstring button;
  };
  Case cases[2];
  cases[0] = {"encrypt", std::make_unique<EncryptWindow>(EncryptWindow::Save{}), encryptWindowDesign(), kEncryptCaption, L"加密保存"};
  cases[1] = {"unlock", std::make_unique<UnlockWindow>(UnlockWindow::TryPassword{}), unlockWindowDesign(), kUnlockCaption, L"解密文件"};
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.window->create(c.design));
    HWND hwnd = c.window->hwnd();
    EXPECT_EQ(c.window->caption(), c.caption);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
    const RECT outer = c.window->outerRect();
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, 252);
    EXPECT_EQ(outer.bottom - outer.top, 50);

    const auto clientRect = [hwnd](HWND control) {
      RECT r;
      GetWindowRect(control, &r);
      MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
      return r;
    };
    const RECT box = clientRect(c.window->passwordBox());
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right - box.left, 168);
    EXPECT_EQ(box.bottom - box.top, 24);
    const RECT button = clientRect(c.window->actionButton());
    EXPECT_EQ(button.left, 168);
    EXPECT_EQ(button.top, 0);
    EXPECT_EQ(button.right - button.left, 80);
    EXPECT_EQ(button.bottom - button.top, 24);

    EXPECT_EQ(SendMessageW(c.window->passwordBox(), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(GetWindowTextLengthW(c.window->passwordBox()), 0);
    wchar_t text[32] = {};
    GetWindowTextW(c.window->actionButton(), text, 32);
    EXPECT_EQ(std::wstring(text), c.button);
  }
}

TEST_F(EncryptWindowTest, F1ProtectsACommandLineDocumentThatThenUnlocksToTheSameContext) {
  const auto path = dir / L"笔记.txt";
  test::writeFileBytes(path, kGbkNote + "\r\nsecond line");
  EditorWindow& w = open(path.wstring());
  type(L"!");
  const std::wstring captionBefore = w.caption();

  auto ran = test::whenWindowShows(kEncryptCaption, [](HWND encrypt) {
    EXPECT_EQ(GetFocus(), GetDlgItem(encrypt, PasswordWindow::kPasswordBoxId)) << "the password can be typed at once";
    EXPECT_FALSE(IsWindowEnabled(EditorWindow::current()->hwnd())) << "modal for the whole program";
    typePassword(encrypt, L"密码");
    clickAction(encrypt);
  });
  SendMessageW(w.editorBox().hwnd(), WM_KEYDOWN, VK_F1, 0);
  ASSERT_TRUE(*ran) << "F1 opened the encrypt window";
  EXPECT_EQ(test::threadWindowWithCaption(kEncryptCaption), nullptr) << "the window has closed";
  EXPECT_TRUE(IsWindowEnabled(w.hwnd()));

  const std::string context = w.editorBox().context();
  const std::string file = test::readFileBytes(path);
  EXPECT_EQ(file.size(), 2 * context.size() + 13);
  EXPECT_EQ(file.find_first_not_of(".qnv0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(test::unlockProtectedFile(path, L"密码"), textUpToFirstNul(context));
  EXPECT_EQ(appState().isModified, 0);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(prompts.saveDialogsShown.empty()) << "a command-line document needs no dialog";
  EXPECT_EQ(w.caption(), captionBefore);
}

TEST_F(EncryptWindowTest, TargetRules) {
  struct Case {
    const char* name;
    std::wstring commandLine;  // empty: an unnamed document
    std::vector<std::optional<std::wstring>> choices;  // the save dialog's answers, in order
    std::wstring written;                              // the file that must be protected; empty: none
    std::wstring message;                              // the one message shown; empty: none
  } cases[] = {
      {"command-line .txt is written protected", L"doc.txt", {}, L"doc.txt", L""},
      {"command-line without extension", L"doc", {}, L"doc", L""},
      {"dialog .qnv", L"", {L"a.qnv"}, L"a.qnv", L""},
      {"dialog .txt refused", L"", {L"b.txt"}, L"", L"文件类型必须为.qnv"},
      {"dialog .QNV refused", L"", {L"c.QNV"}, L"", L"文件类型必须为.qnv"},
      {"dialog without extension refused", L"", {L"d"}, L"", L"文件类型必须为.qnv"},
      {"dialog Cancel is silent", L"", {std::nullopt}, L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    prompts.saveDialogsShown.clear();
    test::TempDir folder;
    open(c.commandLine.empty() ? std::wstring() : (folder / c.commandLine).wstring());
    type(L"内容");
    for (const auto& choice : c.choices) {
      prompts.saveChoices.push_back(choice ? std::optional<std::wstring>((folder / *choice).wstring()) : std::nullopt);
    }
    if (!c.message.empty()) prompts.answers.push_back(MessageAnswer::Ok);
    encryptThroughWindow(L"pw");

    EXPECT_EQ(prompts.saveDialogsShown.size(), c.choices.size());
    if (c.message.empty()) {
      EXPECT_TRUE(prompts.messages.empty());
    } else {
      ASSERT_EQ(prompts.messages.size(), 1u);
      EXPECT_EQ(prompts.messages[0].text, c.message);
      EXPECT_EQ(prompts.messages[0].caption, L"信息：");
      EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::Ok);
    }
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      ++files;
      EXPECT_EQ(entry.path().filename().wstring(), c.written) << "nothing else is written";
    }
    EXPECT_EQ(files, c.written.empty() ? 0u : 1u);
    if (!c.written.empty()) {
      EXPECT_EQ(test::unlockProtectedFile(folder / c.written, L"pw"), documentOf(*window));
      EXPECT_EQ(appState().isModified, 0);
    } else {
      EXPECT_EQ(appState().isModified, 1) << "nothing saved, still modified";
    }
    window.reset();
  }
}

TEST_F(EncryptWindowTest, CancelAfterAChosenNameWritesNothingAndTheNameIsShownAgain) {
  EditorWindow& w = open();
  type(L"内容");
  const auto first = dir / L"first.qnv";
  prompts.saveChoices = {first.wstring(), std::nullopt};
  encryptThroughWindow(L"pw");
  ASSERT_TRUE(test::unlockProtectedFile(first, L"pw"));
  const std::string written = test::readFileBytes(first);

  type(L"更多");
  encryptThroughWindow(L"other");
  ASSERT_EQ(prompts.saveDialogsShown.size(), 2u);
  EXPECT_EQ(prompts.saveDialogsShown[1].fileName, first.wstring());
  EXPECT_EQ(test::readFileBytes(first), written) << "Cancel cancels";
  EXPECT_EQ(appState().isModified, 1);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(w.editorBox().contextType(), ui::EditorBox::kRichText) << "the encrypted save keeps the box's format";
}

TEST_F(EncryptWindowTest, EnterInThePasswordBoxActsAsTheButton) {
  struct Case {
    const char* name;
    UINT message;
  } cases[] = {{"Enter", WM_KEYDOWN}, {"Alt+Enter", WM_SYSKEYDOWN}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    const auto path = dir / (ui::widen(c.name) + L".qnv");
    open(path.wstring());
    type(L"x");
    auto ran = test::whenWindowShows(kEncryptCaption, [&](HWND encrypt) {
      typePassword(encrypt, L"键");
      SendMessageW(GetDlgItem(encrypt, PasswordWindow::kPasswordBoxId), c.message, VK_RETURN, 0);
    });
    runEncryptWindow(*window);
    ASSERT_TRUE(*ran);
    EXPECT_EQ(test::unlockProtectedFile(path, L"键"), documentOf(*window));
    EXPECT_EQ(appState().isModified, 0);
    window.reset();
  }
}

TEST_F(EncryptWindowTest, ASecondActivationWhileSavingIsIgnored) {
  EditorWindow& w = open();
  std::wstring text;
  for (int i = 0; i < 2000; ++i) text += L"一行文字 line of text\r\n";
  type(text);
  // A second save would meet a save dialog the script does not answer.
  prompts.saveChoices = {(dir / L"first.qnv").wstring()};

  test::SecondActivation seen;
  test::armSecondActivation(appState().protectedWork, [this] { return encryptWindow.get(); }, seen);
  encryptThroughWindow(L"pw");

  EXPECT_GT(seen.pumps, 0);
  EXPECT_FALSE(seen.buttonEnabledWhileRunning);
  EXPECT_EQ(seen.hashes, 1) << "one save ran";
  EXPECT_EQ(prompts.saveDialogsShown.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir / L"second.qnv"));
  EXPECT_EQ(test::unlockProtectedFile(dir / L"first.qnv", L"pw"), documentOf(w));
}

TEST_F(EncryptWindowTest, AFailingHashServiceWritesNothing) {
  const auto path = dir / L"doc.qnv";
  test::writeFileBytes(path, "old content");
  open(path.wstring());
  type(L"新");
  appState().protectedWork.checkValue = [](std::string_view) { return std::string(); };
  prompts.answers.push_back(MessageAnswer::Ok);
  encryptThroughWindow(L"pw");
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, L"无法计算密码校验值，文件未保存。");
  EXPECT_EQ(prompts.messages[0].caption, L"信息：");
  EXPECT_EQ(test::readFileBytes(path), "old content");
  EXPECT_EQ(appState().isModified, 1);
}

TEST_F(EncryptWindowTest, AFailedWriteIsReportedAndLosesNothing) {
  struct Case {
    const char* name;
    std::filesystem::path target;
    bool readOnly;
  } cases[] = {
      {"read-only file", dir / L"只读.qnv", true},
      {"missing folder", dir / L"没有这个目录" / L"x.qnv", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    if (c.readOnly) {
      test::writeFileBytes(c.target, "old content");
      SetFileAttributesW(c.target.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    open(c.target.wstring());
    type(L"新内容");
    prompts.answers.push_back(MessageAnswer::Ok);
    encryptThroughWindow(L"pw");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text.rfind(L"保存失败", 0), 0u);
    EXPECT_NE(prompts.messages[0].text.find(c.target.wstring()), std::wstring::npos);
    EXPECT_EQ(appState().isModified, 1);
    if (c.readOnly) {
      SetFileAttributesW(c.target.c_str(), FILE_ATTRIBUTE_NORMAL);
      EXPECT_EQ(test::readFileBytes(c.target), "old content");
    }
    window.reset();
  }
}

TEST_F(EncryptWindowTest, DocumentsComeBackByteForByteThroughTheUnlockRoutine) {
  struct Case {
    const char* name;
    std::wstring text;
    bool bold;
    bool plainText;  // the box was switched to plain text by an earlier save as .txt
    std::wstring password;
    bool strong;
  } cases[] = {
      {"rich text with Chinese", L"中文笔记\r\n第二段 with ASCII", true, false, L"秘密123", false},
      {"plain text with Chinese", L"纯文本，第一行\r\n第二行", false, true, L"密码", false},
      {"empty password", L"你好", false, false, L"", false},
      {"empty plain document", L"", false, true, L"abc", false},
      {"strong, rich text with Chinese", L"中文笔记\r\n第二段 with ASCII", true, false, L"秘密123", true},
      {"strong, plain text with Chinese", L"纯文本，第一行\r\n第二行", false, true, L"密码", true},
      {"strong, empty plain document", L"", false, true, L"abc", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    DeleteFileW(settingsFile().c_str());
    if (c.strong) chooseFormat("强");
    prompts.saveChoices.clear();
    test::TempDir folder;
    EditorWindow& w = open();
    type(c.text);
    if (c.bold) {
      SendMessageW(w.editorBox().hwnd(), EM_SETSEL, 0, 2);
      CharFormat f = w.editorBox().selectionCharFormat();
      f.effects |= kBold;
      w.editorBox().setSelectionCharFormat(f);
    }
    if (c.plainText) {
      prompts.saveChoices.push_back((folder / L"plain.txt").wstring());
      ASSERT_TRUE(saveDocument(w));
      ASSERT_EQ(w.editorBox().contextType(), ui::EditorBox::kPlainText);
    }
    const auto target = folder / L"protected.qnv";
    prompts.saveChoices.push_back(target.wstring());
    encryptThroughWindow(c.password);
    const std::string original = w.editorBox().context();
    ASSERT_EQ(test::readFileBytes(target).size(), c.strong ? original.size() + 61 : 2 * original.size() + 13);
    window.reset();

    // A fresh editor unlocks the file into its box.
    resetState();
    EditorWindow& fresh = open();
    appState().documentPath = ui::narrow(target.wstring());
    ASSERT_EQ(unlockDocument(fresh, c.password), crypto::PasswordVerdict::Accepted);
    if (c.plainText) fresh.editorBox().setContextType(ui::EditorBox::kPlainText);
    EXPECT_EQ(fresh.editorBox().context(), original);
    if (c.bold) {
      SendMessageW(fresh.editorBox().hwnd(), EM_SETSEL, 0, 2);
      EXPECT_EQ(fresh.editorBox().selectionCharFormat().effects & kBold, kBold) << "formatting comes back";
    }
    window.reset();
  }
}

TEST_F(EncryptWindowTest, TheSettingChoosesTheFormatF1Writes) {
  struct Case {
    const char* name;
    const char* setting;  // nullptr: no such key
    bool strong;
  } cases[] = {
      {"no key", nullptr, false},
      {"兼容", "兼容", false},
      {"another value", "strong", false},
      {"强", "强", true},
  };
  const std::string secret = "secret text";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    DeleteFileW(settingsFile().c_str());
    if (c.setting) chooseFormat(c.setting);
    const auto path = dir / (ui::widen(c.name) + L".qnv");
    EditorWindow& w = open(path.wstring());
    type(L"机密内容 " + ui::widen(secret));
    encryptThroughWindow(L"密码");

    const std::string context = w.editorBox().context();
    const std::string file = test::readFileBytes(path);
    EXPECT_EQ(crypto::isStrongFile(file), c.strong);
    EXPECT_EQ(test::unlockProtectedFile(path, L"密码"), documentOf(w));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(appState().isModified, 0);
    if (!c.strong) {
      EXPECT_EQ(file.size(), 2 * context.size() + 13);
      window.reset();
      continue;
    }
    // The header as the format's table has it: version 2, Argon2id with t 3, m 65536 KiB and
    // p 4, AES-256-GCM.
    EXPECT_EQ(file.size(), context.size() + 61);
    EXPECT_EQ(file.substr(0, 7), std::string(".qnv#2\x01", 7));
    EXPECT_EQ(file.substr(7, 9), std::string("\x03\0\0\0\0\0\x01\0\x04", 9));
    EXPECT_EQ(file[32], '\x01');
    EXPECT_EQ(file.find(secret), std::string::npos) << "none of the text";
    EXPECT_EQ(file.find(crypto::hexEncode(crypto::scrambleBytes(secret))), std::string::npos)
        << "nor its legacy scrambling";

    // Every F1 draws a fresh salt and nonce.
    encryptThroughWindow(L"密码");
    const std::string again = test::readFileBytes(path);
    EXPECT_NE(again.substr(16, 16), file.substr(16, 16)) << "salt";
    EXPECT_NE(again.substr(33, 12), file.substr(33, 12)) << "nonce";
    EXPECT_EQ(test::unlockProtectedFile(path, L"密码"), documentOf(w));
    window.reset();
  }
}

TEST_F(EncryptWindowTest, PasswordsTheFormatCannotTakeAreRefusedAndAskedAgain) {
  struct Case {
    const char* name;
    const char* setting;
    std::wstring refused;
    std::wstring message;
  } cases[] = {
      {"strong, empty", "强", L"", L"密码不能为空。"},
      {"strong, an emoji", "强", L"密码\U0001F600", kOutsideCodePage},
      {"legacy, Thai", "兼容", L"\u0E01\u0E02", kOutsideCodePage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    chooseFormat(c.setting);
    const auto path = dir / (ui::widen(c.name) + L".qnv");
    open(path.wstring());
    type(L"内容");

    prompts.answers.push_back(MessageAnswer::Ok);
    pressEncrypt(c.refused);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, c.message);
    EXPECT_EQ(prompts.messages[0].caption, L"信息：");
    EXPECT_TRUE(encryptWindow->isAlive()) << "another try";
    EXPECT_EQ(GetWindowTextLengthW(encryptWindow->passwordBox()), 0) << "the box is emptied";
    EXPECT_TRUE(IsWindowEnabled(encryptWindow->actionButton()));
    EXPECT_FALSE(std::filesystem::exists(path)) << "nothing written";
    EXPECT_EQ(appState().isModified, 1);

    encryptThroughWindow(L"好密码");
    EXPECT_EQ(test::unlockProtectedFile(path, L"好密码"), documentOf(*window));
    EXPECT_EQ(prompts.messages.size(), 1u);
    window.reset();
  }
}

TEST_F(EncryptWindowTest, AStrongSaveThatCannotMakeItsKeyOrNonceWritesNothing) {
  struct Case {
    const char* name;
    std::function<void(ProtectedWork&)> breakIt;
    std::wstring message;
  } cases[] = {
      {"no random bytes", [](ProtectedWork& work) { work.randomBytes = [](std::span<std::uint8_t>) { return false; }; },
       L"无法取得随机数，文件未保存。"},
      {"costs the library refuses", [](ProtectedWork& work) { work.strongCosts = {0, 8, 1}; },
       L"无法由密码生成密钥，文件未保存。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    chooseFormat("强");
    const auto path = dir / L"doc.qnv";
    test::writeFileBytes(path, "old content");
    open(path.wstring());
    type(L"新");
    c.breakIt(appState().protectedWork);
    prompts.answers.push_back(MessageAnswer::Ok);
    encryptThroughWindow(L"pw");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, c.message);
    EXPECT_EQ(test::readFileBytes(path), "old content");
    EXPECT_EQ(appState().isModified, 1);
    window.reset();
  }
}

}  // namespace
}  // namespace qnv::app
