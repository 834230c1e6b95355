// Journeys through protecting a document with F1 and unlocking it at the next start, in the
// legacy format and in the strong one chosen in the settings window.
#include <gtest/gtest.h>

#include "crypto/Digest.h"
#include "crypto/HexCodec.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/StrongFormat.h"
#include "e2e/Driver.h"
#include "support/ProtectedFiles.h"
#include "ui/win/Text.h"

namespace qnv::e2e {
namespace {

using crypto::decryptText;
using crypto::isProtectedText;
using crypto::passwordCheckValue;
using crypto::removeProtectedMarker;
using crypto::textUpToFirstNul;

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";
const std::wstring kEncryptCaption = L"请输入加密密码";
const std::wstring kUnlockCaption = L"请输入密码解锁文件";
constexpr int kPasswordBoxId = 1;

// The text of the editor's rich-edit box.
std::wstring editorText(HWND editor) { return windowText(GetDlgItem(editor, 100)); }

// Types the password into a password window and presses Enter there. (Another process
// cannot read a password box, so the keys are checked by what they do.)
void enterPassword(const Session& s, HWND window, const std::wstring& password) {
  s.focus(window);
  s.typeText(password);
  s.pressChord({VK_RETURN});
}

// Enters a wrong password in the unlock window, which says so; OK closes the message.
void enterWrongPassword(const Session& s, HWND unlock, const std::wstring& password) {
  enterPassword(s, unlock, password);
  HWND box = s.waitForMessageBox(L"信息：");
  ASSERT_TRUE(box);
  EXPECT_EQ(messageBoxText(box), L"密码错误，请重新输入。");
  s.clickButton(box, IDOK);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
}

TEST(ProtectedJourney, ProtectWithF1ThenUnlockAtTheNextStart) {
  Session first;
  const auto doc = first.folder() / L"日记 本.txt";
  test::writeFileBytes(doc, "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7\r\nline two");  // 中文笔记
  first.start(L"\"" + doc.wstring() + L"\"");
  HWND editor = first.editorWindow();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(waitFor([&] { return windowText(editor).rfind(L"日记 本.txt" + kTitle, 0) == 0; }));

  first.focus(editor);
  first.pressChord({VK_F1});
  HWND encrypt = first.waitForCaption(kEncryptCaption);
  ASSERT_TRUE(encrypt);
  enterPassword(first, encrypt, L"密码1");
  ASSERT_TRUE(waitFor([&] { return test::readFileBytes(doc).rfind(".qnv", 0) == 0; })) << "written protected";
  EXPECT_TRUE(waitFor([&] { return !IsWindow(encrypt); })) << "the window closes";
  const auto document = test::unlockProtectedFile(doc, L"密码1");
  ASSERT_TRUE(document);
  EXPECT_NE(document->find("\\'d6\\'d0\\'ce\\'c4\\'b1\\'ca\\'bc\\'c7"), std::string::npos) << *document;

  // Saved, so closing asks nothing.
  first.requestClose();
  EXPECT_EQ(first.waitForExit(), 0u);
  const std::string protectedBytes = test::readFileBytes(doc);

  Session second;
  second.start(L"\"" + doc.wstring() + L"\"");
  HWND unlock = second.waitForCaption(kUnlockCaption);
  ASSERT_TRUE(unlock);
  enterPassword(second, unlock, L"密码1");
  editor = second.editorWindow();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return editorText(editor).find(L"中文笔记") == 0; })) << ui::narrow(editorText(editor));
  EXPECT_NE(editorText(editor).find(L"line two"), std::wstring::npos);
  EXPECT_EQ(windowText(editor), kTitle) << "neither name nor length";

  // Not modified: closing asks nothing and the file keeps its bytes.
  second.requestClose();
  EXPECT_EQ(second.waitForExit(), 0u);
  EXPECT_EQ(test::readFileBytes(doc), protectedBytes);
}

TEST(ProtectedJourney, AWrongPasswordThenTheRightOne) {
  Session s;
  const auto doc = s.folder() / L"秘密.qnv";
  std::filesystem::copy_file(test::dataDir() / L"protected" / L"chinese-password.qnv", doc);
  s.start(L"\"" + doc.wstring() + L"\"");
  HWND unlock = s.waitForCaption(kUnlockCaption);
  ASSERT_TRUE(unlock);
  enterWrongPassword(s, unlock, L"错的");
  EXPECT_TRUE(IsWindowVisible(unlock)) << "another try";
  EXPECT_TRUE(GetDlgItem(unlock, kPasswordBoxId));

  enterPassword(s, unlock, L"密码");
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return editorText(editor).find(L"你好，世界") == 0; })) << ui::narrow(editorText(editor));
  EXPECT_NE(editorText(editor).find(L"第二行"), std::wstring::npos);
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
}

TEST(ProtectedJourney, ClosingTheUnlockWindowLeavesAnEmptyDocumentAndTheFileAlone) {
  Session s;
  const auto doc = s.folder() / L"秘密.qnv";
  std::filesystem::copy_file(test::dataDir() / L"protected" / L"chinese-password.qnv", doc);
  const std::string protectedBytes = test::readFileBytes(doc);
  s.start(L"\"" + doc.wstring() + L"\"");
  HWND unlock = s.waitForCaption(kUnlockCaption);
  ASSERT_TRUE(unlock);
  PostMessageW(unlock, WM_CLOSE, 0, 0);  // the close box

  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return windowText(editor) == kTitle; }));
  EXPECT_EQ(editorText(editor), L"");

  // Ctrl+S asks for a name instead of writing over the protected file.
  s.focus(editor);
  s.typeText(L"新");
  ASSERT_TRUE(waitFor([&] { return windowText(editor) == kTitle + L"1"; }));
  s.pressChord({VK_CONTROL, 'S'});
  HWND dialog = s.waitForCaption(L"保存为");
  ASSERT_TRUE(dialog);
  s.clickButton(dialog, IDCANCEL);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(test::readFileBytes(doc), protectedBytes);

  ASSERT_TRUE(s.leaveWithoutSaving());
  EXPECT_EQ(s.waitForExit(), 0u);
  EXPECT_EQ(test::readFileBytes(doc), protectedBytes);
}

TEST(ProtectedJourney, StrongEncryptionChosenInTheSettingsThenRestartEditAndCtrlS) {
  Session first;
  const auto doc = first.folder() / L"机密.qnv";
  const std::string secret = "top secret plan";
  test::writeFileBytes(doc, secret + "\r\n" + ansi(L"第二行中文"));
  first.start(L"\"" + doc.wstring() + L"\"");
  HWND editor = first.editorWindow();
  ASSERT_TRUE(editor);
  first.focus(editor);

  // 强加密, clicked in the settings window, is written at once.
  HWND settings = openSettingsFromMenu(first, editor);
  ASSERT_TRUE(settings);
  HWND strong = FindWindowExW(settings, nullptr, L"Button", L"强加密");
  ASSERT_TRUE(strong);
  click(centreOf(strong));
  EXPECT_TRUE(waitFor([&] { return test::readFileBytes(first.settingsFile()).find(ansi(L"加密方式=强")) != std::string::npos; }))
      << test::readFileBytes(first.settingsFile());
  PostMessageW(settings, WM_CLOSE, 0, 0);
  ASSERT_TRUE(waitFor([&] { return !IsWindow(settings); }));

  // F1 writes the strong format, with the costs it always writes.
  first.focus(editor);
  first.pressChord({VK_F1});
  HWND encrypt = first.waitForCaption(kEncryptCaption);
  ASSERT_TRUE(encrypt);
  enterPassword(first, encrypt, L"强密码");
  ASSERT_TRUE(waitFor([&] { return crypto::isStrongFile(test::readFileBytes(doc)); })) << "written protected";
  const std::string protectedBytes = test::readFileBytes(doc);
  const std::optional<crypto::StrongHeader> header = crypto::readStrongHeader(protectedBytes);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->parameters.passes, 3u);
  EXPECT_EQ(header->parameters.memoryKiB, 65536u);
  EXPECT_EQ(header->parameters.lanes, 4u);
  EXPECT_EQ(protectedBytes.find(secret), std::string::npos) << "none of the text";
  EXPECT_EQ(protectedBytes.find(crypto::hexEncode(crypto::scrambleBytes(secret))), std::string::npos)
      << "nor its legacy scrambling";
  first.requestClose();
  EXPECT_EQ(first.waitForExit(), 0u);

  // The next start: a wrong password, then the right one.
  Session second;
  std::filesystem::copy_file(first.settingsFile(), second.settingsFile());
  second.start(L"\"" + doc.wstring() + L"\"");
  HWND unlock = second.waitForCaption(kUnlockCaption);
  ASSERT_TRUE(unlock);
  enterWrongPassword(second, unlock, L"弱密码");
  enterPassword(second, unlock, L"强密码");
  editor = second.editorWindow();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(waitFor([&] { return editorText(editor).find(L"top secret plan") == 0; })) << ui::narrow(editorText(editor));
  EXPECT_NE(editorText(editor).find(L"第二行中文"), std::wstring::npos);

  // Edited, then Ctrl+S keeps the protection: the same format, salt and costs, a new nonce.
  second.focus(editor);
  second.pressChord({VK_CONTROL, VK_END});
  second.typeText(L" and more");
  ASSERT_TRUE(waitFor([&] { return editorText(editor).find(L" and more") != std::wstring::npos; }));
  second.pressChord({VK_CONTROL, 'S'});
  HWND keep = second.waitForMessageBox(L"信息：");
  ASSERT_TRUE(keep);
  EXPECT_EQ(messageBoxText(keep), L"此文档原为加密文档，是否继续加密保存？");
  second.clickButton(keep, IDYES);
  std::string saved;
  ASSERT_TRUE(waitFor([&] {
    saved = test::readFileBytes(doc);
    return saved != protectedBytes && crypto::isStrongFile(saved);
  }));
  EXPECT_EQ(saved.substr(0, 33), protectedBytes.substr(0, 33)) << "format, costs and salt";
  EXPECT_NE(saved.substr(33, 12), protectedBytes.substr(33, 12)) << "a new nonce";
  const auto document = test::unlockProtectedFile(doc, L"强密码");
  ASSERT_TRUE(document);
  EXPECT_NE(document->find(" and more"), std::string::npos) << *document;
  EXPECT_EQ(saved.find("top secret plan"), std::string::npos);

  second.requestClose();
  EXPECT_EQ(second.waitForExit(), 0u);
}

}  // namespace
}  // namespace qnv::e2e
