// Keys and the right button in the editor box: the shortcut table through the editor
// window's key handling, the pointer confinement while Alt is held (and its release when
// the editor is left), and the context menu.
#include <gtest/gtest.h>

#include <richedit.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "settings/win/SettingsWindow.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using settings::SettingsWindow;
using ui::CharFormat;
using ui::kAlignCentre;
using ui::kAlignLeft;
using ui::kAlignRight;
using ui::kBold;
using ui::kStrikeOut;
using ui::kUnderline;

constexpr uint32_t kGreen = 0x00FF00;

RECT clipRect() {
  RECT r{};
  GetClipCursor(&r);
  return r;
}

RECT wholeScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

std::string describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

void expectRect(const RECT& actual, const RECT& expected, const std::string& what) {
  EXPECT_TRUE(EqualRect(&actual, &expected)) << what << ": " << describe(actual) << ", expected "
                                             << describe(expected);
}

class ContextMenuAndKeys : public test::EditorFixture {
 public:
  void SetUp() override {
    ClipCursor(nullptr);
    EditorFixture::SetUp();
    open({}, true);
    activateEditor();
  }
  void TearDown() override {
    setModifiers(false, false, false);
    if (window) window->fontColourPicker().closePalette();
    EditorFixture::TearDown();
    ClipCursor(nullptr);
  }

  HWND box() { return window->editorBox().hwnd(); }

  // The key state the box's key handling reads when a key message arrives.
  static void setModifiers(bool ctrl, bool shift, bool alt) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    const auto set = [&](int vk, bool downNow) { state[vk] = downNow ? 0x80 : 0; };
    set(VK_CONTROL, ctrl);
    set(VK_LCONTROL, ctrl);
    set(VK_SHIFT, shift);
    set(VK_LSHIFT, shift);
    set(VK_MENU, alt);
    set(VK_LMENU, alt);
    SetKeyboardState(state);
  }

  // A key pressed and released in the editor box with the given modifiers held, as the
  // system delivers it (Alt combinations as system keys).
  void press(UINT vk, bool ctrl, bool shift, bool alt) {
    setModifiers(ctrl, shift, alt);
    const LPARAM context = alt ? (1 << 29) : 0;
    SendMessageW(box(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | context);
    SendMessageW(box(), alt ? WM_SYSKEYUP : WM_KEYUP, vk, 1 | context | (1u << 30) | (1u << 31));
    setModifiers(false, false, false);
  }
  // Activation and focus reach the window asynchronously under X; a late deactivation
  // would release the confinement in the middle of a test, so wait for them to settle.
  void activateEditor() {
    SetForegroundWindow(window->hwnd());
    SetFocus(box());
    ASSERT_TRUE(test::pumpUntil([&] { return GetForegroundWindow() == window->hwnd() && GetFocus() == box(); }));
    test::pumpMessages();
  }

  // Holds Alt down in the box, repeating the key-down as the keyboard's auto-repeat does,
  // until the system has taken the clip: under Wine the pointer grab behind it can fail
  // while the window is still being mapped, and the clip then stays the whole screen.
  bool holdAlt() {
    return test::pumpUntil([&] {
      altDown();
      const RECT now = clipRect(), expected = band();
      return EqualRect(&now, &expected) != FALSE;
    });
  }

  void altDown() {
    setModifiers(false, false, true);
    SendMessageW(box(), WM_SYSKEYDOWN, VK_MENU, 1 | (1 << 29));
  }
  void altUp() {
    setModifiers(false, false, false);
    SendMessageW(box(), WM_KEYUP, VK_MENU, 1 | (1u << 30) | (1u << 31));
  }
  RECT band() {
    const int left = window->outerRect().left + 9;
    return {left, 0, GetSystemMetrics(SM_CXSCREEN) - left, GetSystemMetrics(SM_CYSCREEN)};
  }

  void load(const std::string& rtfBody) {
    window->editorBox().setContext("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil Arial;}}\\f0\\fs24 " + rtfBody +
                                   "}");
  }
  void select(int from, int to) { SendMessageW(box(), EM_SETSEL, from, to); }
  CharFormat formatAt(int index) {
    select(index, index + 1);
    return window->editorBox().selectionCharFormat();
  }

  // What the commands can change, seen from outside.
  struct Observed {
    uint32_t effects;
    uint32_t colour;
    int alignment;
    size_t fontDialogs;
    size_t saveDialogs;
    bool paletteOpen;
    bool operator==(const Observed&) const = default;
  };
  Observed observe() {
    const CharFormat f = formatAt(1);
    select(1, 1);
    const int alignment = window->editorBox().paraFormat().alignment;
    select(0, 4);
    return {f.effects, f.colour, alignment, prompts.fontDialogsShown.size(), prompts.saveDialogsShown.size(),
            window->fontColourPicker().paletteWindow() != nullptr};
  }

};

TEST_F(ContextMenuAndKeys, ShortcutTableThroughTheEditorBoxKeyHandling) {
  appState().highlightColour = kGreen;
  enum Effect { None, Bold, Underline, Strike, Highlight, Left, Centre, Right, FontDialog, Palette, Save };
  struct Case {
    const char* name;
    UINT vk;
    bool ctrl, shift, alt;
    Effect effect;
  } cases[] = {
      {"Ctrl+D", 'D', true, false, false, Highlight},
      {"Ctrl+F", 'F', true, false, false, Bold},
      {"Ctrl+G", 'G', true, false, false, Underline},
      {"Ctrl+H", 'H', true, false, false, Strike},
      {"Ctrl+Q", 'Q', true, false, false, Palette},
      {"Ctrl+W", 'W', true, false, false, FontDialog},
      {"Ctrl+2", '2', true, false, false, Centre},
      {"Ctrl+3", '3', true, false, false, Right},
      {"Ctrl+1", '1', true, false, false, Left},
      {"Ctrl+keypad 2", VK_NUMPAD2, true, false, false, Centre},
      {"Ctrl+keypad 3", VK_NUMPAD3, true, false, false, Right},
      {"Ctrl+keypad 1", VK_NUMPAD1, true, false, false, Left},
      {"Ctrl+S", 'S', true, false, false, Save},
      {"Ctrl+Shift+S", 'S', true, true, false, None},
      {"Ctrl+Alt+D (also AltGr+D)", 'D', true, false, true, None},
      {"Ctrl+Shift+F", 'F', true, true, false, None},
      {"Alt+F", 'F', false, false, true, None},
      {"Shift+G", 'G', false, true, false, None},
      {"D alone", 'D', false, false, false, None},
      {"Ctrl+E", 'E', true, false, false, None},
      {"Ctrl+keypad minus", VK_SUBTRACT, true, false, false, None},
      {"keypad 2 alone", VK_NUMPAD2, false, false, false, None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load("abcd\\par");
    select(0, 4);
    Observed expected = observe();
    switch (c.effect) {
      case None: break;
      case Bold: expected.effects ^= kBold; break;
      case Underline: expected.effects ^= kUnderline; break;
      case Strike: expected.effects |= kStrikeOut; break;
      case Highlight: expected.colour = kGreen; break;
      case Left: expected.alignment = kAlignLeft; break;
      case Centre: expected.alignment = kAlignCentre; break;
      case Right: expected.alignment = kAlignRight; break;
      case FontDialog:
        ++expected.fontDialogs;
        prompts.cancelFontDialog();
        break;
      case Palette: expected.paletteOpen = true; break;
      case Save:
        ++expected.saveDialogs;
        prompts.saveChoices.push_back(std::nullopt);
        break;
    }
    // Start the alignment cases from another alignment than the one they set.
    if (c.effect == Left) {
      window->editorBox().setParaFormat({0, 0, 0, 0, kAlignRight});
    }
    {
      // Wine's rich-edit control answers Ctrl+W itself, after the editor's own handling,
      // with a "Style dump" message box; Windows' control does not.
      test::Soon dismiss([] {
        HWND dump = FindWindowW(L"#32770", L"Style dump");
        if (dump) PostMessageW(dump, WM_COMMAND, IDOK, 0);
        return dump != nullptr;
      });
      press(c.vk, c.ctrl, c.shift, c.alt);
    }
    const Observed after = observe();
    EXPECT_EQ(after.effects, expected.effects);
    EXPECT_EQ(after.colour, expected.colour);
    EXPECT_EQ(after.alignment, expected.alignment);
    EXPECT_EQ(after.fontDialogs, expected.fontDialogs);
    EXPECT_EQ(after.saveDialogs, expected.saveDialogs);
    EXPECT_EQ(after.paletteOpen, expected.paletteOpen);
    window->fontColourPicker().closePalette();
    EXPECT_EQ(window->editorBox().textLength(), 4) << "no key typed or deleted anything";
  }
}

TEST_F(ContextMenuAndKeys, AltConfinesThePointerToABandAndItsReleaseFreesTheScreen) {
  altUp();
  expectRect(clipRect(), wholeScreen(), "Alt released without a confinement before");

  ASSERT_TRUE(holdAlt());
  expectRect(clipRect(), band(), "Alt held with the window at its designed place");
  EXPECT_EQ(band().left, 59);

  // Auto-repeat takes the window's position at that moment.
  SetWindowPos(window->hwnd(), nullptr, 130, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  altDown();
  expectRect(clipRect(), band(), "Alt repeated after the window moved");
  EXPECT_EQ(band().left, 139);

  // Other keys while Alt is held leave the band as it is.
  press('X', false, false, true);
  expectRect(clipRect(), band(), "another key with Alt");

  altUp();
  expectRect(clipRect(), wholeScreen(), "Alt released");
}

TEST_F(ContextMenuAndKeys, ConfinementEndsWhenTheEditorIsLeftOrGoesAway) {
  struct Case {
    const char* name;
    std::function<void(ContextMenuAndKeys&)> leave;
  } cases[] = {
      {"another window of the program is activated",
       [](ContextMenuAndKeys&) {
         HWND other = CreateWindowExW(0, L"STATIC", L"其它窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 200,
                                      100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
         SetActiveWindow(other);
         SetForegroundWindow(other);
         test::pumpMessages();
         DestroyWindow(other);
       }},
      {"the editor box loses the focus inside the window",
       [](ContextMenuAndKeys& t) {
         HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 24, t.window->hwnd(),
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
         SetFocus(edit);
         test::pumpMessages();
         DestroyWindow(edit);
       }},
      {"the editor window is closed",
       [](ContextMenuAndKeys& t) {
         SendMessageW(t.window->hwnd(), WM_CLOSE, 0, 0);
         EXPECT_FALSE(t.window->isAlive());
         t.window.reset();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!window) {
      window = std::make_unique<EditorWindow>();
      ASSERT_TRUE(window->open(SW_SHOW));
    }
    activateEditor();
    ASSERT_TRUE(holdAlt());
    const RECT confined = band();
    expectRect(clipRect(), confined, "Alt held");
    c.leave(*this);
    expectRect(clipRect(), wholeScreen(), "after leaving with Alt still held");
    setModifiers(false, false, false);
  }
  window = std::make_unique<EditorWindow>();
  ASSERT_TRUE(window->open(SW_SHOW));
}

TEST_F(ContextMenuAndKeys, RightButtonOpensTheMenuAtThePointerWithItsItems) {
  POINT pointer{200, 150};
  ClientToScreen(window->hwnd(), &pointer);
  SetCursorPos(pointer.x, pointer.y);
  ASSERT_TRUE(test::pumpUntil([&] {
    POINT now{};
    GetCursorPos(&now);
    return now.x == pointer.x && now.y == pointer.y;
  }));

  RECT menuRect{};
  std::vector<std::pair<UINT, std::wstring>> items;  // id (0 for a separator) and caption
  bool found = false;
  test::Soon inspect([&] {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return false;
    found = true;
    GetWindowRect(menu, &menuRect);
    HMENU handle = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(handle); ++i) {
      wchar_t caption[64] = {};
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
      info.dwTypeData = caption;
      info.cch = 63;
      GetMenuItemInfoW(handle, static_cast<UINT>(i), TRUE, &info);
      if (!(info.fType & MFT_SEPARATOR)) EXPECT_EQ(info.fState & (MFS_CHECKED | MFS_DISABLED), 0u) << i;
      items.emplace_back((info.fType & MFT_SEPARATOR) ? 0u : info.wID, caption);
    }
    EndMenu();
    return true;
  });
  SendMessageW(box(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  SendMessageW(box(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  ASSERT_TRUE(found) << "the menu was open while the handler ran";
  EXPECT_EQ(menuRect.left, pointer.x + 3);
  EXPECT_EQ(menuRect.top, pointer.y + 3);

  const std::vector<std::wstring> expected = {
      L"加亮    (Ctrl+D)", L"加粗    (Ctrl+F)", L"下划线  (Ctrl+G)", L"删除线  (Ctrl+H)", L"颜色    (Ctrl+Q)",
      L"字体    (Ctrl+W)", L"",                 L"居左    (Ctrl+1)", L"居中    (Ctrl+2)", L"居右    (Ctrl+3)",
      L"",                 L"剪切    (Ctrl+X)", L"复制    (Ctrl+C)", L"粘贴    (Ctrl+V)", L"撤销    (Ctrl+Z)",
      L"全选    (Ctrl+A)", L"",                 L"设置",
      // Beyond the designed menu, below it.
      L"", L"打开... (Ctrl+O)", L"最近打开", L"新建窗口 (Ctrl+N)", L"", L"查找... (Ctrl+F3)", L"替换...", L"",
      L"打印... (Ctrl+P)"};
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(items[i].second, expected[i]) << "item " << i + 1;
    EXPECT_EQ(items[i].first == 0, expected[i].empty()) << "item " << i + 1 << " is a separator";
  }
  EXPECT_EQ(prompts.fontDialogsShown.size(), 0u) << "closing the menu without a choice runs nothing";
}

TEST_F(ContextMenuAndKeys, EveryMenuItemRunsItsCommandFromTheWindowsCommandMessage) {
  // The items' ids, read from the open menu.
  std::vector<UINT> ids;
  {
    test::Soon inspect([&] {
      HMENU handle = reinterpret_cast<HMENU>(SendMessageW(FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
      for (int i = 0; i < GetMenuItemCount(handle); ++i) ids.push_back(GetMenuItemID(handle, i));
      EndMenu();
      return true;
    });
    SendMessageW(box(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
  }
  ASSERT_EQ(ids.size(), 27u);

  appState().highlightColour = kGreen;
  struct Case {
    size_t item;  // 1-based, top to bottom
    const char* name;
    std::function<void(ContextMenuAndKeys&)> check;
  } cases[] = {
      {1, "加亮", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.formatAt(1).colour, kGreen); }},
      {2, "加粗", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.formatAt(1).effects, kBold); }},
      {3, "下划线", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.formatAt(1).effects, kUnderline); }},
      {4, "删除线", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.formatAt(1).effects, kStrikeOut); }},
      {5, "颜色", [](ContextMenuAndKeys& t) { EXPECT_NE(t.window->fontColourPicker().paletteWindow(), nullptr); }},
      {6, "字体", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.prompts.fontDialogsShown.size(), 1u); }},
      {9, "居中", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.window->editorBox().paraFormat().alignment, kAlignCentre); }},
      {10, "居右", [](ContextMenuAndKeys& t) { EXPECT_EQ(t.window->editorBox().paraFormat().alignment, kAlignRight); }},
      {12, "剪切",
       [](ContextMenuAndKeys& t) { EXPECT_EQ(t.window->editorBox().textLength(), 0) << "abcd cut away"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.fontDialogsShown.clear();
    if (c.item == 6) prompts.cancelFontDialog();
    load("abcd\\par");
    select(0, 4);
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(ids[c.item - 1], 0), 0);
    c.check(*this);
    window->fontColourPicker().closePalette();
  }

  // 全选 types Ctrl+A, which the focused box answers; 设置 opens the settings window,
  // modally, after the menu has gone.
  select(1, 1);
  SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(ids[15], 0), 0);
  EXPECT_TRUE(test::pumpUntil([&] {
    CHARRANGE r{};
    SendMessageW(box(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMin == 0 && r.cpMax >= window->editorBox().textLength();
  })) << "全选 selects the whole document";
  bool settingsShown = false;
  bool editorDisabled = false;
  test::Soon closeSettings([&] {
    if (SettingsWindow* s = SettingsWindow::current()) {
      settingsShown = IsWindowVisible(s->hwnd()) && s->caption() == L"设置";
      editorDisabled = !IsWindowEnabled(window->hwnd());
      s->close();
    }
    return true;
  });
  SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(ids[17], 0), 0);
  EXPECT_TRUE(settingsShown);
  EXPECT_TRUE(editorDisabled) << "the settings window is modal";
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
  EXPECT_EQ(SettingsWindow::current(), nullptr);
}

}  // namespace
}  // namespace qnv::app
