// Journeys through the program as a new user makes them: open, type, save, close.
#include <gtest/gtest.h>

#include "e2e/Driver.h"

namespace qnv::e2e {
namespace {

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";

std::string settingsText(const Session& s) { return test::readFileBytes(s.settingsFile()); }

TEST(AppShellJourney, FirstStartTypeAndLeaveWithoutSaving) {
  Session s;
  s.start();
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  EXPECT_EQ(windowText(editor), L"\u3000\u3000qvn-编辑器");
  RECT r;
  GetWindowRect(editor, &r);
  EXPECT_EQ(r.right - r.left, 600);
  EXPECT_EQ(r.bottom - r.top, 500);

  s.focus(editor);
  s.typeText(L"你好qnv");
  EXPECT_TRUE(waitFor([&] { return windowText(editor) == kTitle + L"5"; }));

  s.requestClose();
  HWND ask = s.waitForMessageBox(L"是否保存");
  ASSERT_TRUE(ask);
  EXPECT_EQ(messageBoxText(ask), L"内容已被编辑是否保存？");
  s.clickButton(ask, IDNO);
  HWND quit = s.waitForMessageBox(L"退出？");
  ASSERT_TRUE(quit);
  EXPECT_EQ(messageBoxText(quit), L"您是需要直接退出编辑不保存文件吗？");
  s.clickButton(quit, IDYES);
  EXPECT_EQ(s.waitForExit(), 0u);

  // GBK: [设置] 长=500 宽=600
  const std::string ini = settingsText(s);
  EXPECT_NE(ini.find("\xB3\xA4=500"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\xBF\xED=600"), std::string::npos) << ini;
}

TEST(AppShellJourney, OpenADocumentWithBlanksInItsPathEditAndSaveWithCtrlS) {
  Session s;
  const auto doc = s.folder() / L"我的 笔记.txt";
  test::writeFileBytes(doc, "\xD6\xD0\xCE\xC4");  // 中文
  s.start(L"\"" + doc.wstring() + L"\"");
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return windowText(editor) == L"我的 笔记.txt" + kTitle + L"2"; }));

  s.focus(editor);
  s.typeText(L"abc");
  ASSERT_TRUE(waitFor([&] { return windowText(editor) == L"我的 笔记.txt" + kTitle + L"5"; }));
  s.pressChord({VK_CONTROL, 'S'});
  ASSERT_TRUE(waitFor([&] { return test::readFileBytes(doc).rfind("{\\rtf", 0) == 0; }))
      << "saved back as RTF whatever the extension";
  const std::string saved = test::readFileBytes(doc);
  EXPECT_NE(saved.find("abc"), std::string::npos);
  EXPECT_NE(saved.find("\\'d6\\'d0\\'ce\\'c4"), std::string::npos) << saved;

  // Saved, so closing asks nothing and stores the size.
  s.requestClose();
  EXPECT_EQ(s.waitForExit(), 0u);
  EXPECT_NE(settingsText(s).find("\xB3\xA4=500"), std::string::npos);
}

TEST(AppShellJourney, CloseModifiedUnnamedDocumentSavesThroughTheDialog) {
  Session s;
  test::writeFileBytes(s.settingsFile(), "[\xC9\xE8\xD6\xC3]\r\n\xB3\xA4=420\r\n\xBF\xED=640\r\n");
  s.start();
  HWND editor = s.editorWindow();
  ASSERT_TRUE(editor);
  RECT r;
  GetWindowRect(editor, &r);
  EXPECT_EQ(r.right - r.left, 640);
  EXPECT_EQ(r.bottom - r.top, 420);

  s.focus(editor);
  s.typeText(L"笔记");
  ASSERT_TRUE(waitFor([&] { return windowText(editor) == kTitle + L"2"; }));
  s.requestClose();
  HWND ask = s.waitForMessageBox(L"是否保存");
  ASSERT_TRUE(ask);
  s.clickButton(ask, IDYES);
  HWND dialog = s.waitForCaption(L"保存为");
  ASSERT_TRUE(dialog);
  const auto target = s.folder() / L"新笔记.txt";
  s.chooseFileInSaveDialog(dialog, target.wstring());
  EXPECT_EQ(s.waitForExit(), 0u);
  EXPECT_EQ(test::readFileBytes(target), "\xB1\xCA\xBC\xC7") << "plain text in GBK, no terminator";
}

TEST(AppShellJourney, DamagedInputsNeverCrash) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"binary.bin", std::string("\x01\x02\xFF\xFE\x00\x10garbage", 13)},
      {"bad.rtf", "{\\rtf1\\ansi {\\fonttbl{\\f0 \\'zz}} {{{{{{ \\bin99999999 x"},
      {"lonely-lead.txt", "abc\xB1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Session s;
    test::writeFileBytes(s.settingsFile(), "[\xC9\xE8\xD6\xC3]\r\n\xB3\xA4=-5\r\n\xD7\xD6\xCC\xE5\xB4\xF3\xD0\xA1=\xFF\xFF\r\n");
    const auto doc = s.folder() / std::filesystem::path(c.name);
    test::writeFileBytes(doc, c.bytes);
    s.start(L"\"" + doc.wstring() + L"\" \"unbalanced");
    // The last argument names a file that does not exist: it opens empty under that name.
    HWND editor = s.editorWindow();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(waitFor([&] { return windowText(editor) == L"unbalanced" + kTitle + L"0"; }));
    s.requestClose();
    EXPECT_EQ(s.waitForExit(), 0u);
    EXPECT_EQ(test::readFileBytes(doc), c.bytes) << "nothing was written to the document";
  }
}

// The editor box's text as another program reads it, line breaks as single CRs.
std::wstring boxText(HWND editor) {
  std::wstring text = windowText(GetDlgItem(editor, 100));
  std::erase(text, L'\n');
  return text;
}

std::wstring fromAnsi(const std::string& bytes) {
  std::wstring text(bytes.size(), L'\0');
  text.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                       text.data(), static_cast<int>(text.size()))));
  std::erase(text, L'\n');
  return text;
}

TEST(AppShellJourney, ALongChineseTextFileOpensAndSavesBackUnchanged) {
  // 70 KB of GBK lines after one ASCII byte: every chunk the control reads ends inside a character.
  std::string text = "a";
  while (text.size() < 70000) text += ansi(L"中文笔记第一行，这里是一些汉字。") + "\r\n";
  const std::wstring expected = fromAnsi(text);
  std::filesystem::path saved;
  {
    Session s;
    saved = s.folder().parent_path() / (L"长文-" + std::to_wstring(GetCurrentProcessId()) + L".txt");
    test::writeFileBytes(saved, text);
    s.start(L"\"" + saved.wstring() + L"\"");
    HWND editor = s.editorWindow();
    ASSERT_TRUE(editor);
    ASSERT_TRUE(waitFor([&] { return windowText(editor).rfind(saved.filename().wstring() + kTitle, 0) == 0; }));
    EXPECT_TRUE(boxText(editor) == expected) << "the text as written, character for character";
    s.focus(editor);
    s.pressChord({VK_CONTROL, 'S'});
    ASSERT_TRUE(waitFor([&] { return test::readFileBytes(saved).rfind("{\\rtf", 0) == 0; }));
    s.requestClose();
    EXPECT_EQ(s.waitForExit(), 0u);
  }
  Session again;
  again.start(L"\"" + saved.wstring() + L"\"");
  HWND editor = again.editorWindow();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(waitFor([&] { return windowText(editor).rfind(saved.filename().wstring() + kTitle, 0) == 0; }));
  EXPECT_TRUE(boxText(editor) == expected) << "the same text after the save";
  again.requestClose();
  EXPECT_EQ(again.waitForExit(), 0u);
  std::filesystem::remove(saved);
}

TEST(AppShellJourney, HostileDocumentsOpenWithAMessageAndTheProgramKeepsRunning) {
  const std::string header = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}";
  struct Case {
    const wchar_t* name;
    std::string bytes;
  } cases[] = {
      {L"嵌套.rtf", "{\\rtf1 " + std::string(40, '{') + "x" + std::string(40, '}') + "}"},
      {L"控制字.rtf", header + "\\" + std::string(10000, 'a') + " x}"},
      {L"表格.rtf", header + "\\trowd\\cellx100\\cellx200\\intbl a\\cell b\\cell c\\cell d\\cell\\row}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ansi(c.name));
    Session s;
    const auto doc = s.folder() / c.name;
    test::writeFileBytes(doc, c.bytes);
    s.start(L"\"" + doc.wstring() + L"\"");
    HWND box = s.waitForMessageBox(L"信息：");
    ASSERT_TRUE(box);
    EXPECT_EQ(messageBoxText(box).rfind(L"此文件的 RTF 结构超出了编辑控件能安全读取的范围", 0), 0u);
    s.clickButton(box, IDOK);
    HWND editor = s.editorWindow();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(waitFor([&] { return windowText(editor) == c.name + kTitle + L"0"; }));
    s.focus(editor);
    s.typeText(L"仍然可用");
    EXPECT_TRUE(waitFor([&] { return windowText(editor) == c.name + kTitle + L"4"; })) << "the program keeps running";
    ASSERT_TRUE(s.leaveWithoutSaving());
    EXPECT_EQ(s.waitForExit(), 0u);
    EXPECT_EQ(test::readFileBytes(doc), c.bytes) << "the file untouched";
  }
}

}  // namespace
}  // namespace qnv::e2e
