// The editor window's life in-process: settings applied at creation, the document opened
// from the command line, the caption, saving and the close prompt.
#include <gtest/gtest.h>

#include <richedit.h>

#include <memory>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using ui::CharFormat;
using ui::kBold;
using ui::kItalic;

using ui::MessageAnswer;

// A protected document opens the unlock window while the editor is created; closing it
// with its close box abandons the unlock and leaves the document empty.
std::shared_ptr<bool> abandonUnlock() {
  return test::whenWindowShows(L"请输入密码解锁文件", [](HWND unlock) { PostMessageW(unlock, WM_CLOSE, 0, 0); });
}

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";

// GBK bytes of "中文笔记" and "设置".
const std::string kGbkNote = "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7";
const std::string kGbkSettings = "\xC9\xE8\xD6\xC3";

class AppShell : public test::EditorFixture {
 protected:
  SIZE outerSize() const {
    RECT r = window->outerRect();
    return {r.right - r.left, r.bottom - r.top};
  }

  void type(const std::wstring& text) {
    SendMessageW(window->editorBox().hwnd(), EM_SETSEL, -1, -1);
    SendMessageW(window->editorBox().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    test::pumpMessages();
  }

  const settings::SettingsFile& settingsFile() const { return appState().settingsFile; }
};

TEST_F(AppShell, WithoutSettingsFileTheDesignedWindowOpens) {
  EditorWindow& w = open();
  EXPECT_EQ(w.caption(), L"\u3000\u3000qvn-编辑器");
  EXPECT_EQ(outerSize().cx, 600);
  EXPECT_EQ(outerSize().cy, 500);
  EXPECT_EQ(appState().isModified, 0);
  EXPECT_EQ(appState().highlightColour, 0u);
  CharFormat f = w.editorBox().selectionCharFormat();
  EXPECT_EQ(f.fontName, "微软雅黑");
  EXPECT_EQ(f.size, 11);
  EXPECT_EQ(f.colour, 0xFFFFFFu);
  RECT box, client;
  GetWindowRect(w.editorBox().hwnd(), &box);
  GetClientRect(w.hwnd(), &client);
  EXPECT_EQ(box.right - box.left, client.right) << "the box fills the client area, whatever the frame";
  EXPECT_EQ(box.bottom - box.top, client.bottom);
  EXPECT_EQ(GetFocus(), w.editorBox().hwnd()) << "the user can type at once";
}

TEST_F(AppShell, SettingsFileIsAppliedAndMissingKeysTakeTheirDefaults) {
  settingsFile().writeIntSetting("长", 420);
  settingsFile().writeIntSetting("宽", 90);  // below the smallest usable width
  settingsFile().writeFlagSetting("加粗", true);
  settingsFile().writeFlagSetting("倾斜", true);
  settingsFile().writeSetting("字体名称", "楷体");
  settingsFile().writeColourSetting("高亮色", 0x00FF00);
  EditorWindow& w = open();
  EXPECT_EQ(outerSize().cy, 420);
  EXPECT_EQ(outerSize().cx, 200);
  const CharFormat f = w.editorBox().selectionCharFormat();
  EXPECT_EQ(f.effects & (kBold | kItalic), kBold | kItalic);
  EXPECT_EQ(f.fontName, "楷体");
  EXPECT_EQ(f.size, 11) << "missing size";
  EXPECT_EQ(f.colour, 0xFFFFFFu) << "missing text colour";
  EXPECT_EQ(appState().highlightColour, 0x00FF00u);

  // The file stays in the ANSI code page.
  const std::string bytes = test::readFileBytes(dir / L"配置.ini");
  EXPECT_NE(bytes.find("[" + kGbkSettings + "]"), std::string::npos) << bytes;
}

TEST_F(AppShell, OpensCommandLineDocuments) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string expectedText;  // plain-text read-back, GBK
    bool named;
  } cases[] = {
      {"plain.txt", kGbkNote + "\r\nline two", kGbkNote + "\r\nline two", true},
      {"rich.qnv", "{\\rtf1\\ansi\\ansicpg936 \\b " + std::string("\\'d6\\'d0\\'ce\\'c4") + "\\b0\\par}",
       "\xD6\xD0\xCE\xC4", true},
      {"zero-byte.txt", std::string("before\0after", 12), "before", true},
      {"capital.txt", ".QNV0011", ".QNV0011", true},
      {"inner.txt", "x.qnv", "x.qnv", true},
      {"protected.qnv", ".qnv00AABBCCDDEEFF0011", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    const auto path = dir / ui::widen(c.name);
    test::writeFileBytes(path, c.bytes);
    const auto abandoned = c.named ? nullptr : abandonUnlock();
    EditorWindow& w = open(path.wstring());
    if (abandoned) EXPECT_TRUE(*abandoned);
    w.editorBox().setContextType(0);
    std::string text = w.editorBox().context();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    EXPECT_EQ(text, c.expectedText);
    EXPECT_EQ(appState().isModified, 0);
    const std::wstring name = c.named ? ui::widen(c.name) : L"";
    const std::wstring length = c.named ? std::to_wstring(w.editorBox().textLength()) : L"";
    EXPECT_EQ(w.caption(), name + kTitle + length);
    window.reset();
  }
}

TEST_F(AppShell, ProtectedFileIsNeverOverwrittenByAnOrdinarySave) {
  const auto path = dir / L"secret.qnv";
  test::writeFileBytes(path, ".qnv00AABB0123456789");
  const auto abandoned = abandonUnlock();
  EditorWindow& w = open(path.wstring());
  ASSERT_TRUE(*abandoned);
  EXPECT_EQ(w.caption(), kTitle);
  type(L"x");
  prompts.saveChoices.push_back(std::nullopt);
  EXPECT_FALSE(saveDocument(w));
  ASSERT_EQ(prompts.saveDialogsShown.size(), 1u);
  EXPECT_EQ(test::readFileBytes(path), ".qnv00AABB0123456789");
}

TEST_F(AppShell, MissingDocumentOpensEmptyWithItsNameAndCtrlSCreatesIt) {
  const auto path = dir / L"新 文档.txt";
  EditorWindow& w = open(path.wstring());
  EXPECT_EQ(w.caption(), L"新 文档.txt" + kTitle + L"0");
  type(L"你好");
  EXPECT_EQ(appState().isModified, 1);
  EXPECT_EQ(w.caption(), L"新 文档.txt" + kTitle + L"2");
  ASSERT_TRUE(saveDocument(w));
  EXPECT_EQ(appState().isModified, 0);
  const std::string saved = test::readFileBytes(path);
  EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << "a command-line document is always written as RTF";
  EXPECT_EQ(saved, w.editorBox().context()) << "exactly the bytes of the document, no terminator";
  EXPECT_TRUE(prompts.saveDialogsShown.empty());
}

TEST_F(AppShell, UnnamedDocumentSavesThroughTheDialogByExtension) {
  EditorWindow& w = open();
  type(L"中文笔记");

  // Cancel writes nothing and keeps the document modified.
  prompts.saveChoices.push_back(std::nullopt);
  EXPECT_FALSE(saveDocument(w));
  EXPECT_EQ(appState().isModified, 1);

  const auto txt = dir / L"笔记.txt";
  prompts.saveChoices.push_back(txt.wstring());
  ASSERT_TRUE(saveDocument(w));
  EXPECT_EQ(test::readFileBytes(txt), kGbkNote);
  EXPECT_EQ(appState().isModified, 0);
  EXPECT_EQ(w.caption(), kTitle + L"4") << "a chosen name does not enter the caption";

  const ui::SaveDialogValues& shown = prompts.saveDialogsShown.front();
  EXPECT_EQ(shown.title, L"保存为");
  EXPECT_EQ(shown.defaultExtension, L"qnv");
  ASSERT_EQ(shown.fileTypes.size(), 6u);
  EXPECT_EQ(shown.fileTypes[0].description, L"qnv文件（*.qnv）");
  EXPECT_EQ(shown.fileTypes[5].pattern, L"*.*");
  EXPECT_TRUE(shown.overwritePrompt);
  EXPECT_TRUE(shown.pathMustExist);
  EXPECT_FALSE(shown.fileMustExist);

  // The next save shows the name chosen before; a cancel there still writes nothing.
  type(L"!");
  prompts.saveChoices.push_back(std::nullopt);
  EXPECT_FALSE(saveDocument(w));
  EXPECT_EQ(prompts.saveDialogsShown.back().fileName, txt.wstring());
  EXPECT_EQ(test::readFileBytes(txt), kGbkNote);

  struct Case {
    const wchar_t* name;
    bool rtf;
  } cases[] = {{L"a.qnv", true}, {L"b.QNV", false}, {L"c", false}, {L"d.qnv.txt", false}};
  for (const Case& c : cases) {
    prompts.saveChoices.push_back((dir / c.name).wstring());
    ASSERT_TRUE(saveDocument(w));
    EXPECT_EQ(test::readFileBytes(dir / c.name).rfind("{\\rtf", 0) == 0, c.rtf) << ui::narrow(c.name);
  }
}

TEST_F(AppShell, FailedWriteIsReportedAndLosesNothing) {
  const auto path = dir / L"只读.txt";
  test::writeFileBytes(path, "old content");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EditorWindow& w = open(path.wstring());
  type(L"new");
  prompts.answers.push_back(MessageAnswer::Ok);
  EXPECT_FALSE(saveDocument(w));
  EXPECT_EQ(appState().isModified, 1);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text.rfind(L"保存失败", 0), 0u);
  EXPECT_NE(prompts.messages[0].text.find(path.wstring()), std::wstring::npos);
  EXPECT_EQ(prompts.messages[0].caption, L"信息：");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(test::readFileBytes(path), "old content");

  // A folder that does not exist.
  resetState();
  window.reset();
  EditorWindow& w2 = open((dir / L"没有这个目录" / L"x.qnv").wstring());
  type(L"y");
  prompts.answers.push_back(MessageAnswer::Ok);
  EXPECT_FALSE(saveDocument(w2));
  EXPECT_EQ(appState().isModified, 1);
  EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(AppShell, SaveReplacesTheWholeFileAndLeavesNoTemporaryFiles) {
  const auto path = dir / L"doc.txt";
  std::string old;
  for (int i = 0; i < 2000; ++i) old += "an old line of the document\r\n";
  test::writeFileBytes(path, old);
  EditorWindow& w = open(path.wstring());
  SendMessageW(w.editorBox().hwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"short"));
  ASSERT_TRUE(saveDocument(w));
  EXPECT_EQ(test::readFileBytes(path), w.editorBox().context());
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_TRUE(entry.path().filename() == L"doc.txt" || entry.path().filename() == L"配置.ini")
        << "left behind: " << entry.path().string();
  }
}

TEST_F(AppShell, ClosingAnUnmodifiedDocumentAsksNothingAndStoresTheSize) {
  EditorWindow& w = open();
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(w.isAlive());
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(settingsFile().readIntSetting("长"), 500);
  EXPECT_EQ(settingsFile().readIntSetting("宽"), 600);
}

TEST_F(AppShell, ClosePromptPaths) {
  struct Case {
    const char* name;
    std::vector<MessageAnswer> answers;
    std::vector<std::optional<std::wstring>> saveChoices;
    bool stillOpen;
    bool exited;
    size_t messages;
  } cases[] = {
      {"No then No stays open", {MessageAnswer::No, MessageAnswer::No}, {}, true, false, 2},
      {"No then Yes closes unsaved", {MessageAnswer::No, MessageAnswer::Yes}, {}, false, false, 2},
      {"Yes saves and exits", {MessageAnswer::Yes}, {L"out.qnv"}, true, true, 1},
      {"Yes then Cancel returns to the editor", {MessageAnswer::Yes}, {std::nullopt}, true, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    prompts.messages.clear();
    prompts.exitCode.reset();
    DeleteFileW(settingsFile().settingsPath().c_str());
    EditorWindow& w = open();
    type(L"改动");
    prompts.answers.assign(c.answers.begin(), c.answers.end());
    for (const auto& choice : c.saveChoices) {
      prompts.saveChoices.push_back(choice ? std::optional<std::wstring>((dir / *choice).wstring()) : std::nullopt);
    }
    SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(w.isAlive(), c.stillOpen);
    EXPECT_EQ(prompts.exitCode.has_value(), c.exited);
    ASSERT_EQ(prompts.messages.size(), c.messages);
    EXPECT_EQ(prompts.messages[0].text, L"内容已被编辑是否保存？");
    EXPECT_EQ(prompts.messages[0].caption, L"是否保存");
    if (c.messages > 1) {
      EXPECT_EQ(prompts.messages[1].text, L"您是需要直接退出编辑不保存文件吗？");
      EXPECT_EQ(prompts.messages[1].caption, L"退出？");
    }
    EXPECT_EQ(settingsFile().readIntSetting("长"), 500) << "the size is stored before asking";
    if (c.exited) {
      EXPECT_EQ(*prompts.exitCode, 0);
      EXPECT_EQ(test::readFileBytes(dir / L"out.qnv"), w.editorBox().context());
      EXPECT_FALSE(IsWindowVisible(w.hwnd())) << "hidden before writing";
    }
    if (c.stillOpen && !c.exited) EXPECT_EQ(appState().isModified, 1);
    window.reset();
  }
}

TEST_F(AppShell, SaveAndExitWithAFailingWriteShowsTheWindowAgain) {
  EditorWindow& w = open((dir / L"缺失目录" / L"a.qnv").wstring());
  type(L"内容");
  prompts.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(w.isAlive());
  EXPECT_TRUE(IsWindowVisible(w.hwnd()));
  EXPECT_FALSE(prompts.exitCode.has_value());
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[1].text.rfind(L"保存失败", 0), 0u);
  EXPECT_EQ(appState().isModified, 1);
}

}  // namespace
}  // namespace qnv::app

namespace qnv::app {
namespace {

TEST_F(AppShell, TheEditorBoxGetsTheEmbeddedObjectCallbackAtCreation) {
  EditorWindow& w = open();
  const richedit::RichEditHelper& helper = *appState().richEditHelper;
  EXPECT_EQ(helper.controlHandle(), w.editorBox().hwnd());
  EXPECT_NE(helper.rootStorage(), nullptr);
}

}  // namespace
}  // namespace qnv::app
