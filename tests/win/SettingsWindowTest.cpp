// The settings window in-process: its controls, what it shows with and without a settings
// file, what "更改", the three pickers and "强加密" store, and that the highlight colour
// reaches the running editor at once.
#include <gtest/gtest.h>

#include <richedit.h>

#include <functional>
#include <memory>
#include <string>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "app/win/CommandBindings.h"
#include "settings/win/SettingsWindow.h"
#include "support/ScriptedPrompts.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::settings {
namespace {

using app::appState;
using app::EditorWindow;
using ui::FontDescription;
using ui::kAutomaticColour;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 255;

// A settings file in the ANSI code page, from UTF-16 lines.
std::string ansiFile(const std::wstring& text) { return ui::toAnsi(text); }

FontDescription description(const char* face, int size, bool bold = false, bool italic = false,
                            bool underline = false, bool strikeOut = false) {
  FontDescription d;
  d.faceName = face;
  d.size = size;
  d.bold = bold;
  d.italic = italic;
  d.underline = underline;
  d.strikeOut = strikeOut;
  return d;
}

std::string describe(const FontDescription& d) {
  return d.faceName + " " + std::to_string(d.size) + (d.bold ? " bold" : "") + (d.italic ? " italic" : "") +
         (d.underline ? " underline" : "") + (d.strikeOut ? " strike-out" : "") +
         (d.angle ? " angle " + std::to_string(d.angle) : "");
}

// The place of a control in its parent's client area.
RECT placeOf(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring textOf(HWND hwnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(hwnd, buffer, 256);
  return buffer;
}

class SettingsWindowTest : public testing::Test {
 protected:
  void SetUp() override { app::resetAppState(iniPath().wstring()); }
  void TearDown() override {
    settings.reset();
    editor.reset();
    test::pumpMessages();
    prompts.expectScriptUsed();
  }

  const SettingsFile& file() const { return appState().settingsFile; }

  std::filesystem::path iniPath() const { return dir / L"配置.ini"; }
  std::string iniBytes() const { return test::readFileBytes(iniPath()); }

  SettingsWindow& openSettings() {
    settings = std::make_unique<SettingsWindow>(file(), app::settingsEditorLink());
    EXPECT_TRUE(settings->create(settingsWindowDesign()));
    ShowWindow(settings->hwnd(), SW_SHOW);
    test::pumpMessages();
    return *settings;
  }

  // Opens the picker's palette and clicks the cell.
  void chooseCell(ui::ColourPicker& picker, int item) {
    SendMessageW(picker.hwnd(), WM_LBUTTONUP, 0, 0);
    HWND palette = picker.paletteWindow();
    ASSERT_NE(palette, nullptr);
    const RECT r = picker.itemRect(item);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(palette, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(palette, WM_LBUTTONUP, 0, at);
    ASSERT_EQ(picker.paletteWindow(), nullptr);
  }

  void clickChangeFont() {
    SendMessageW(settings->changeFontButton(), BM_CLICK, 0, 0);
    test::pumpMessages();
  }

  // The face name of the font the preview is drawn with.
  std::wstring previewFace() {
    LOGFONTW lf{};
    GetObjectW(settings->previewLabel().fontHandle(), sizeof lf, &lf);
    return lf.lfFaceName;
  }

  test::TempDir dir;
  test::ScriptedPrompts prompts;
  std::unique_ptr<SettingsWindow> settings;
  std::unique_ptr<EditorWindow> editor;
};

TEST_F(SettingsWindowTest, ControlsAreWhereTheDesignPutsThem) {
  SettingsWindow& w = openSettings();
  EXPECT_EQ(w.caption(), L"设置");
  const RECT outer = w.outerRect();
  EXPECT_EQ(outer.left, 50);
  EXPECT_EQ(outer.top, 50);
  EXPECT_EQ(outer.right - outer.left, 620);
  EXPECT_EQ(outer.bottom - outer.top, 84 + 24) << "the designed height and a row for 强加密";
  EXPECT_EQ(GetWindow(w.hwnd(), GW_OWNER), nullptr);

  struct Control {
    const char* name;
    HWND hwnd;
    const wchar_t* className;
    const wchar_t* caption;  // nullptr: not looked at
    RECT place;
  } controls[] = {
      {"透明标签1", w.previewLabel().hwnd(), L"qnvTransparentLabel", L"默认字体", {8, 8, 88, 48}},
      {"颜色选择器_字体", w.textColourPicker().hwnd(), L"qnvColourPicker", nullptr, {96, 16, 144, 40}},
      {"按钮1", w.changeFontButton(), L"Button", L"更改", {152, 15, 200, 39}},
      {"透明标签2", w.backgroundLabel().hwnd(), L"qnvTransparentLabel", L"背景色", {208, 8, 288, 48}},
      {"颜色选择器_背景", w.backgroundPicker().hwnd(), L"qnvColourPicker", nullptr, {296, 16, 344, 40}},
      {"透明标签3", w.highlightLabel().hwnd(), L"qnvTransparentLabel", L"高亮颜色", {352, 8, 432, 48}},
      {"颜色选择器_高亮", w.highlightPicker().hwnd(), L"qnvColourPicker", nullptr, {440, 16, 488, 40}},
      {"按钮2", w.associateButton(), L"Button", L"关联文件", {507, 16, 595, 40}},
      {"强加密", w.strongProtectionBox(), L"Button", L"强加密", {507, 48, 595, 68}},
  };
  RECT client;
  GetClientRect(w.hwnd(), &client);
  int children = 0;
  for (HWND child = GetWindow(w.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++children;
  EXPECT_EQ(children, 9);
  for (const Control& c : controls) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.hwnd);
    EXPECT_EQ(GetParent(c.hwnd), w.hwnd());
    EXPECT_TRUE(IsWindowVisible(c.hwnd));
    wchar_t cls[64] = {};
    GetClassNameW(c.hwnd, cls, 64);
    EXPECT_STREQ(cls, c.className);
    if (c.caption) EXPECT_EQ(textOf(c.hwnd), c.caption);
    const RECT place = placeOf(c.hwnd);
    EXPECT_TRUE(EqualRect(&place, &c.place)) << place.left << "," << place.top << " " << place.right - place.left
                                             << "x" << place.bottom - place.top;
    EXPECT_LE(place.right, client.right) << "inside the client area";
    EXPECT_LE(place.bottom, client.bottom) << "inside the client area";
  }
  EXPECT_EQ(GetWindowLongPtrW(w.strongProtectionBox(), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_TRUE(GetWindowLongPtrW(w.previewLabel().hwnd(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(w.previewLabel().font().angle, 0);
}

TEST_F(SettingsWindowTest, WithoutASettingsFileTheBuiltInValuesShow) {
  appState().backgroundColour = 0x202020;  // what the editor box was given at its creation
  SettingsWindow& w = openSettings();
  EXPECT_EQ(w.previewLabel().font(), description("微软雅黑", 11)) << describe(w.previewLabel().font());
  EXPECT_EQ(w.previewLabel().textColour(), kWhite);
  EXPECT_EQ(w.textColourPicker().colour(), kWhite);
  EXPECT_EQ(w.highlightPicker().colour(), kRed);
  EXPECT_EQ(w.backgroundPicker().colour(), 0x202020u);
  EXPECT_EQ(previewFace(), L"微软雅黑");
  EXPECT_FALSE(file().settingsExist()) << "opening the window writes nothing";
}

TEST_F(SettingsWindowTest, FillsFromTheFileAndMissingKeysTakeTheirBuiltInValues) {
  appState().backgroundColour = 0x303030;
  const std::wstring longName(16, L'宋');  // 32 bytes in GBK
  const std::wstring name31 = L"abcdefghijklmnopqrstuvwxyz12345";
  struct Case {
    const char* name;
    std::wstring file;
    FontDescription font;
    std::wstring face;  // the face the preview is drawn with
    uint32_t text, highlight, background;
  } cases[] = {
      {"every key",
       L"[设置]\r\n加粗=真\r\n倾斜=真\r\n下划线=假\r\n删除线=真\r\n字体大小=14\r\n字体名称=楷体\r\n字体色=255\r\n"
       L"高亮色=65280\r\n背景色=8421504\r\n",
       description("楷体", 14, true, true, false, true), L"楷体", 255, 0x00FF00, 0x808080},
      {"an empty file", L"", description("微软雅黑", 11), L"微软雅黑", kWhite, kRed, 0x303030},
      {"only italic", L"[设置]\r\n倾斜=真\r\n", description("微软雅黑", 11, false, true), L"微软雅黑", kWhite, kRed,
       0x303030},
      {"size 0, an empty name and black colours",
       L"[设置]\r\n字体大小=0\r\n字体名称=\r\n字体色=0\r\n高亮色=0\r\n背景色=0\r\n", description("微软雅黑", 11),
       L"微软雅黑", 0, 0, 0},
      {"flags other than 真 are false, full-width digits count",
       L"[设置]\r\n加粗=1\r\n下划线=true\r\n删除线=真的\r\n字体大小=　１６\r\n", description("微软雅黑", 16),
       L"微软雅黑", kWhite, kRed, 0x303030},
      {"the automatic colour", L"[设置]\r\n字体色=-16777216\r\n", description("微软雅黑", 11), L"微软雅黑",
       kAutomaticColour, kRed, 0x303030},
      {"a face name of 32 bytes shows in 宋体", L"[设置]\r\n字体名称=" + longName + L"\r\n",
       description(ui::narrow(longName).c_str(), 11), L"宋体", kWhite, kRed, 0x303030},
      {"a face name of 31 bytes is kept", L"[设置]\r\n字体名称=" + name31 + L"\r\n",
       description(ui::narrow(name31).c_str(), 11), name31, kWhite, kRed, 0x303030},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::writeFileBytes(iniPath(), ansiFile(c.file));
    SettingsWindow& w = openSettings();
    EXPECT_EQ(w.previewLabel().font(), c.font) << describe(w.previewLabel().font());
    EXPECT_EQ(previewFace(), c.face);
    EXPECT_EQ(w.previewLabel().textColour(), c.text);
    EXPECT_EQ(w.textColourPicker().colour(), c.text);
    EXPECT_EQ(w.highlightPicker().colour(), c.highlight);
    EXPECT_EQ(w.backgroundPicker().colour(), c.background);
    EXPECT_EQ(iniBytes(), ansiFile(c.file)) << "opening the window writes nothing";
    settings.reset();
  }
}

TEST_F(SettingsWindowTest, ChangeDefaultFontStoresTheDialogsValuesInOrder) {
  SettingsWindow& w = openSettings();
  prompts.fontChoices.push_back([](ui::FontDialogValues& v) {
    v.fontName = L"楷体";
    v.size = 16;
    v.bold = true;
    v.italic = true;
    v.underline = false;
    v.strikeOut = true;
    v.colour = 0x123456;
    return true;
  });
  clickChangeFont();
  ASSERT_EQ(prompts.fontDialogsShown.size(), 1u);
  const ui::FontDialogValues& first = prompts.fontDialogsShown[0];
  EXPECT_EQ(first.fontName, L"") << "not preset from the stored font: empty at its first use";
  EXPECT_EQ(first.size, 0);
  EXPECT_FALSE(first.bold || first.italic || first.underline || first.strikeOut);

  // A new file holds the keys in the order written, in the ANSI code page.
  EXPECT_EQ(iniBytes(), ansiFile(L"[设置]\r\n加粗=真\r\n倾斜=真\r\n下划线=假\r\n删除线=真\r\n字体大小=16\r\n"
                                 L"字体名称=楷体\r\n"));
  EXPECT_EQ(w.previewLabel().font(), description("楷体", 16, true, true, false, true))
      << describe(w.previewLabel().font());
  EXPECT_EQ(w.previewLabel().textColour(), kWhite) << "the dialog's colour is not used";

  // The dialog keeps its values for the window's life.
  prompts.fontChoices.push_back([](ui::FontDialogValues& v) {
    v.fontName = L"Arial";
    v.size = 9;
    v.bold = false;
    v.italic = false;
    v.underline = true;
    v.strikeOut = false;
    return true;
  });
  clickChangeFont();
  ASSERT_EQ(prompts.fontDialogsShown.size(), 2u);
  EXPECT_EQ(prompts.fontDialogsShown[1].fontName, L"楷体");
  EXPECT_EQ(prompts.fontDialogsShown[1].size, 16);
  EXPECT_TRUE(prompts.fontDialogsShown[1].italic);
  EXPECT_EQ(iniBytes(), ansiFile(L"[设置]\r\n加粗=假\r\n倾斜=假\r\n下划线=真\r\n删除线=假\r\n字体大小=9\r\n"
                                 L"字体名称=Arial\r\n"));
  EXPECT_EQ(w.previewLabel().font(), description("Arial", 9, false, false, true, false));

  // What is stored is what the editor and the window read at their next opening.
  settings.reset();
  SettingsWindow& again = openSettings();
  EXPECT_EQ(again.previewLabel().font(), description("Arial", 9, false, false, true, false));
}

TEST_F(SettingsWindowTest, CancelledFontDialogStoresNothingAndKeepsThePreview) {
  struct Case {
    const char* name;
    std::wstring file;  // empty: no settings file
  } cases[] = {
      {"no settings file", L""},
      {"a settings file", L"[设置]\r\n加粗=真\r\n字体大小=20\r\n字体名称=楷体\r\n字体色=255\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(iniPath().c_str());
    if (!c.file.empty()) test::writeFileBytes(iniPath(), ansiFile(c.file));
    SettingsWindow& w = openSettings();
    const FontDescription before = w.previewLabel().font();
    prompts.fontChoices.push_back([](ui::FontDialogValues&) { return false; });
    clickChangeFont();
    EXPECT_EQ(prompts.fontChoices.size(), 0u) << "the dialog was opened";
    EXPECT_EQ(file().settingsExist(), !c.file.empty());
    if (!c.file.empty()) EXPECT_EQ(iniBytes(), ansiFile(c.file));
    EXPECT_EQ(w.previewLabel().font(), before) << describe(w.previewLabel().font());
    settings.reset();
  }
}

TEST_F(SettingsWindowTest, EachPickerStoresItsKeyWhenAColourIsChosen) {
  const auto presets = ui::ColourPicker::presetColours();
  appState().backgroundColour = 0x101010;
  SettingsWindow& w = openSettings();

  chooseCell(w.textColourPicker(), 13);
  EXPECT_EQ(file().readSetting("字体色"), std::to_string(presets[13]));
  EXPECT_EQ(w.previewLabel().textColour(), presets[13]) << "the preview follows at once";

  chooseCell(w.highlightPicker(), 27);
  EXPECT_EQ(file().readSetting("高亮色"), std::to_string(presets[27]));
  EXPECT_EQ(appState().highlightColour, presets[27]) << "the running editor's highlight follows at once";

  chooseCell(w.backgroundPicker(), 7);
  EXPECT_EQ(file().readSetting("背景色"), std::to_string(presets[7]));
  EXPECT_EQ(appState().backgroundColour, 0x101010u) << "the background waits for the next start";

  // The colour already shown, chosen again, is written again.
  DeleteFileW(iniPath().c_str());
  SendMessageW(w.highlightPicker().hwnd(), WM_LBUTTONUP, 0, 0);
  ASSERT_EQ(w.highlightPicker().selectedItem(), 27);
  SendMessageW(w.highlightPicker().paletteWindow(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(file().readSetting("高亮色"), std::to_string(presets[27]));

  // Esc stores nothing.
  SendMessageW(w.textColourPicker().hwnd(), WM_LBUTTONUP, 0, 0);
  SendMessageW(w.textColourPicker().paletteWindow(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(file().readSettingIfPresent("字体色"), std::nullopt);

  // White is stored as 16777215, in a file in the ANSI code page.
  chooseCell(w.textColourPicker(), 39);
  EXPECT_EQ(iniBytes(), ansiFile(L"[设置]\r\n高亮色=" + std::to_wstring(presets[27]) + L"\r\n字体色=16777215\r\n"));
}

TEST_F(SettingsWindowTest, StrongProtectionShowsTheFileAndIsStoredAtEveryClick) {
  struct Case {
    const char* name;
    std::wstring file;  // empty: no settings file
    bool checked;
  } cases[] = {
      {"no settings file", L"", false},
      {"key missing", L"[设置]\r\n高亮色=255\r\n", false},
      {"强", L"[设置]\r\n加密方式=强\r\n", true},
      {"兼容", L"[设置]\r\n加密方式=兼容\r\n", false},
      {"another value", L"[设置]\r\n加密方式=strong\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileW(iniPath().c_str());
    if (!c.file.empty()) test::writeFileBytes(iniPath(), ansiFile(c.file));
    SettingsWindow& w = openSettings();
    HWND box = w.strongProtectionBox();
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), c.checked ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ(file().settingsExist(), !c.file.empty()) << "opening the window writes nothing";

    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(file().readSetting("加密方式"), c.checked ? "兼容" : "强");
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(file().readSetting("加密方式"), c.checked ? "强" : "兼容");
    settings.reset();
  }
  EXPECT_EQ(iniBytes(), ansiFile(L"[设置]\r\n加密方式=兼容\r\n")) << "the value in the ANSI code page";
}

TEST_F(SettingsWindowTest, ANewHighlightColourIsUsedByTheVeryNextCtrlD) {
  editor = std::make_unique<EditorWindow>();
  ASSERT_TRUE(editor->open(SW_SHOW));
  HWND box = editor->editorBox().hwnd();
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"高亮文字"));
  const auto ctrlD = [&] {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(box, WM_KEYDOWN, 'D', 1);
    state[VK_CONTROL] = state[VK_LCONTROL] = 0;
    SetKeyboardState(state);
    SendMessageW(box, WM_KEYUP, 'D', 1 | (1u << 30) | (1u << 31));
  };
  const auto colourOf = [&](int from, int to) {
    SendMessageW(box, EM_SETSEL, from, to);
    return editor->editorBox().selectionCharFormat().colour;
  };

  const auto presets = ui::ColourPicker::presetColours();
  SettingsWindow& w = openSettings();
  chooseCell(w.highlightPicker(), 13);
  SendMessageW(box, EM_SETSEL, 0, 2);
  ctrlD();
  EXPECT_EQ(colourOf(0, 2), presets[13]);

  // Black as highlight colour: the command uses red.
  chooseCell(w.highlightPicker(), 0);
  EXPECT_EQ(file().readSetting("高亮色"), "0");
  SendMessageW(box, EM_SETSEL, 2, 4);
  ctrlD();
  EXPECT_EQ(colourOf(2, 4), kRed);
  EXPECT_EQ(colourOf(0, 2), presets[13]);
}

TEST_F(SettingsWindowTest, OpensModallyWithoutOwnerAndIsBuiltAnewEachTime) {
  editor = std::make_unique<EditorWindow>();
  ASSERT_TRUE(editor->open(SW_SHOW));
  for (int opening = 1; opening <= 2; ++opening) {
    SCOPED_TRACE("opening " + std::to_string(opening));
    bool seen = false;
    test::Soon inside([&] {
      SettingsWindow* s = SettingsWindow::current();
      if (!s || !IsWindowVisible(s->hwnd())) return false;
      seen = true;
      EXPECT_EQ(s->caption(), L"设置");
      EXPECT_EQ(GetWindow(s->hwnd(), GW_OWNER), nullptr);
      EXPECT_FALSE(IsWindowEnabled(editor->hwnd())) << "modal for the program";
      EXPECT_EQ(s->fontDialog().fontName, L"") << "the font dialog starts empty at every opening";
      prompts.fontChoices.push_back([](ui::FontDialogValues& v) {
        v.fontName = L"楷体";
        v.size = 12;
        return true;
      });
      SendMessageW(s->changeFontButton(), BM_CLICK, 0, 0);
      EXPECT_EQ(s->fontDialog().fontName, L"楷体");
      s->close();
      return true;
    });
    app::runCommand(*editor, commands::CommandId::OpenSettings);
    EXPECT_TRUE(seen);
    EXPECT_EQ(SettingsWindow::current(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(editor->hwnd()));
  }
  EXPECT_EQ(file().readSetting("字体名称"), "楷体");
}

}  // namespace
}  // namespace qnv::settings
