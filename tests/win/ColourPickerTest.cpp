#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <stdexcept>

#include "ui/Formats.h"
#include "support/ScriptedPrompts.h"
#include "support/WinTestSupport.h"
#include "ui/win/ColourPicker.h"
#include "ui/win/Window.h"

namespace qnv::ui {
namespace {

using ui::ColourPicker;

constexpr uint32_t kRed = 255;

class HostWindow : public ui::Window {};

// A shown window holding an edit box (which has the focus) and a picker at 96, 16.
class ColourPickerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.create({L"颜色选择器", 100, 100, 420, 200}));
    ShowWindow(host.hwnd(), SW_SHOW);
    SetForegroundWindow(host.hwnd());
    edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 8, 60, 200, 24, host.hwnd(), nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(edit);
    ASSERT_TRUE(picker.create(host.hwnd(), 96, 16, 48, 24, 101));
    picker.setOnColourChosen([this] {
      ++chosen;
      colourSeenByHandler = picker.colour();
      paletteOpenInHandler = picker.paletteWindow() != nullptr;
    });
    SetFocus(edit);
    test::pumpMessages();
  }

  void TearDown() override {
    picker.closePalette();
    test::pumpMessages();
  }

  void open() {
    SendMessageW(picker.hwnd(), WM_LBUTTONUP, 0, 0);
    ASSERT_NE(picker.paletteWindow(), nullptr);
  }

  void clickItem(int item) {
    const RECT r = picker.itemRect(item);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND palette = picker.paletteWindow();
    SendMessageW(palette, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(palette, WM_LBUTTONUP, 0, at);
  }

  void key(UINT vk) { SendMessageW(picker.paletteWindow(), WM_KEYDOWN, vk, 1); }

  HostWindow host;
  HWND edit = nullptr;
  ColourPicker picker;
  int chosen = 0;
  uint32_t colourSeenByHandler = 0;
  bool paletteOpenInHandler = false;
};

TEST_F(ColourPickerTest, ButtonUpOpensThePaletteBelowWithTheCurrentColourSelected) {
  const auto presets = ColourPicker::presetColours();
  ASSERT_EQ(presets.size(), 40u);
  EXPECT_EQ(presets[0], 0u) << "black";
  EXPECT_EQ(presets[16], kRed);
  EXPECT_EQ(presets[39], 0xFFFFFFu) << "white";

  struct Case {
    const char* name;
    uint32_t colour;
    bool swatchVisible;
    int expectedItem;
  } cases[] = {
      {"red", kRed, true, 16},
      {"black", 0, true, 0},
      {"white", 0xFFFFFF, true, 39},
      {"a colour that is no cell", 0x123456, true, ColourPicker::kNoItem},
      {"automatic", kAutomaticColour, true, ColourPicker::kNoItem},
      {"hidden swatch", kRed, false, 16},
  };
  for (const Case& c : cases) {
    picker.setVisible(c.swatchVisible);
    picker.setColour(c.colour);
    SendMessageW(picker.hwnd(), WM_LBUTTONUP, 0, 0);
    HWND palette = picker.paletteWindow();
    ASSERT_NE(palette, nullptr) << c.name;
    EXPECT_TRUE(IsWindowVisible(palette)) << c.name;
    EXPECT_EQ(GetWindow(palette, GW_OWNER), host.hwnd()) << c.name;

    RECT swatch, drop;
    GetWindowRect(picker.hwnd(), &swatch);
    GetWindowRect(palette, &drop);
    EXPECT_EQ(drop.left, swatch.left) << c.name;
    EXPECT_EQ(drop.top, swatch.top + 24) << c.name;
    EXPECT_EQ(picker.selectedItem(), c.expectedItem) << c.name;

    // The cells, the gaps between them and the entry below them do not overlap.
    RECT client;
    GetClientRect(palette, &client);
    const RECT last = picker.itemRect(39);
    const RECT entry = picker.itemRect(ColourPicker::kMoreColoursItem);
    EXPECT_GT(entry.top, last.bottom) << c.name;
    EXPECT_LE(entry.bottom, client.bottom) << c.name;

    key(VK_ESCAPE);
    EXPECT_EQ(picker.paletteWindow(), nullptr) << c.name;
    EXPECT_FALSE(IsWindow(palette)) << c.name;
  }
  EXPECT_EQ(chosen, 0);
}

TEST_F(ColourPickerTest, ChoosingACellStoresItThenRaisesTheEventOnce) {
  const auto presets = ColourPicker::presetColours();
  picker.setColour(kRed);
  open();
  clickItem(3);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(picker.colour(), presets[3]);
  EXPECT_EQ(colourSeenByHandler, presets[3]);
  EXPECT_FALSE(paletteOpenInHandler);
  EXPECT_EQ(picker.paletteWindow(), nullptr);
  EXPECT_EQ(GetFocus(), edit) << "the focus returns to where it was";

  // The colour it already has is a choice too.
  open();
  EXPECT_EQ(picker.selectedItem(), 3);
  clickItem(3);
  EXPECT_EQ(chosen, 2);
  EXPECT_EQ(picker.colour(), presets[3]);
}

TEST_F(ColourPickerTest, EscapeAndClickOutsideRaiseNothing) {
  picker.setColour(kRed);

  open();
  key(VK_RIGHT);
  key(VK_ESCAPE);
  EXPECT_EQ(picker.paletteWindow(), nullptr);
  EXPECT_EQ(GetFocus(), edit);

  // A click elsewhere takes the activation away from the palette.
  open();
  HWND palette = picker.paletteWindow();
  EXPECT_EQ(GetActiveWindow(), palette);
  SetActiveWindow(host.hwnd());
  EXPECT_TRUE(test::pumpUntil([&] { return picker.paletteWindow() == nullptr; }));
  EXPECT_FALSE(IsWindow(palette));

  // A press that misses every cell chooses nothing and leaves the palette open.
  open();
  SendMessageW(picker.paletteWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
  SendMessageW(picker.paletteWindow(), WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
  EXPECT_NE(picker.paletteWindow(), nullptr);

  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(picker.colour(), kRed);
}

TEST_F(ColourPickerTest, MoreColoursOpensTheColourDialog) {
  struct Case {
    const char* name;
    std::optional<uint32_t> dialogChoice;
    int expectedEvents;
    uint32_t expectedColour;
  } cases[] = {
      {"OK with a colour of its own", 0x123456u, 1, 0x123456u},
      {"OK with the colour already shown", kRed, 1, kRed},
      {"Cancel", std::nullopt, 0, kRed},
  };
  for (const Case& c : cases) {
    test::ScriptedPrompts prompts;
    prompts.colourChoices = {c.dialogChoice};
    picker.setColour(kRed);
    chosen = 0;
    open();
    clickItem(ColourPicker::kMoreColoursItem);
    EXPECT_TRUE(prompts.colourChoices.empty()) << c.name << ": the dialog was opened";
    EXPECT_EQ(chosen, c.expectedEvents) << c.name;
    EXPECT_EQ(picker.colour(), c.expectedColour) << c.name;
    EXPECT_EQ(picker.paletteWindow(), nullptr) << c.name;
    EXPECT_EQ(GetFocus(), edit) << c.name;
  }
}

TEST_F(ColourPickerTest, ArrowKeysMoveTheSelectionAndEnterChooses) {
  const auto presets = ColourPicker::presetColours();
  struct Case {
    const char* name;
    uint32_t start;
    std::vector<UINT> keys;
    int expectedItem;
  } cases[] = {
      {"right and down from red", kRed, {VK_RIGHT, VK_DOWN}, 25},
      {"left and up", kRed, {VK_UP, VK_LEFT, VK_LEFT}, 6},
      {"nothing selected: an arrow selects the first cell", kAutomaticColour, {VK_DOWN}, 0},
      {"the edges hold", 0, {VK_UP, VK_LEFT}, 0},
      {"the last cell holds on the right", 0xFFFFFF, {VK_RIGHT}, 39},
      {"down from the last row reaches the entry", kRed, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN},
       ColourPicker::kMoreColoursItem},
      {"up from the entry returns to its column", 0xFFFFFF, {VK_LEFT, VK_DOWN, VK_UP}, 38},
      {"down from the entry wraps to the top row", 0xFFFFFF, {VK_LEFT, VK_DOWN, VK_DOWN}, 6},
  };
  for (const Case& c : cases) {
    picker.setColour(c.start);
    open();
    for (UINT vk : c.keys) key(vk);
    EXPECT_EQ(picker.selectedItem(), c.expectedItem) << c.name;
    key(VK_ESCAPE);
  }
  EXPECT_EQ(chosen, 0);

  picker.setColour(kRed);
  open();
  key(VK_RIGHT);
  key(VK_DOWN);
  key(VK_RETURN);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(picker.colour(), presets[25]);
  EXPECT_EQ(picker.paletteWindow(), nullptr);

  // Enter on the entry opens the colour dialog.
  test::ScriptedPrompts prompts;
  prompts.colourChoices = {0x00ABCDEFu};
  picker.setColour(0xFFFFFF);
  open();
  key(VK_DOWN);
  ASSERT_EQ(picker.selectedItem(), ColourPicker::kMoreColoursItem);
  key(VK_RETURN);
  EXPECT_EQ(chosen, 2);
  EXPECT_EQ(picker.colour(), 0x00ABCDEFu);
}

TEST_F(ColourPickerTest, AClickOnTheSwatchOpensThePaletteAndTheFocusComesBack) {
  picker.setColour(0);
  SendMessageW(picker.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(GetFocus(), picker.hwnd());
  SendMessageW(picker.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  ASSERT_NE(picker.paletteWindow(), nullptr);
  EXPECT_EQ(GetFocus(), picker.paletteWindow());
  EXPECT_EQ(picker.selectedItem(), 0);
  key(VK_ESCAPE);
  EXPECT_EQ(GetFocus(), picker.hwnd());

  // The keyboard opens it too.
  SendMessageW(picker.hwnd(), WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_NE(picker.paletteWindow(), nullptr);
  EXPECT_EQ(chosen, 0);
}

TEST_F(ColourPickerTest, LosingTheFocusRaisesTheLostFocusEvent) {
  int lost = 0;
  picker.setOnLostFocus([&] { ++lost; });
  SetFocus(picker.hwnd());
  EXPECT_EQ(lost, 0);
  SetFocus(edit);
  EXPECT_EQ(lost, 1);
  SetFocus(edit);
  EXPECT_EQ(lost, 1);
}

TEST_F(ColourPickerTest, PositionAndVisibility) {
  EXPECT_EQ(picker.left(), 96);
  EXPECT_EQ(picker.top(), 16);
  EXPECT_TRUE(picker.isVisible());
  picker.moveTo(200, 30);
  EXPECT_EQ(picker.left(), 200);
  EXPECT_EQ(picker.top(), 30);
  picker.setVisible(false);
  EXPECT_FALSE(picker.isVisible());
  EXPECT_FALSE(IsWindowVisible(picker.hwnd()));

  // The palette follows the swatch.
  open();
  RECT swatch, drop;
  GetWindowRect(picker.hwnd(), &swatch);
  GetWindowRect(picker.paletteWindow(), &drop);
  EXPECT_EQ(drop.left, swatch.left);
  EXPECT_EQ(drop.top, swatch.bottom);
}

TEST_F(ColourPickerTest, AThrowingHandlerDoesNotLeaveTheWindowProcedure) {
  picker.setOnColourChosen([] { throw std::runtime_error("handler failed"); });
  open();
  clickItem(5);  // would terminate the test program if the exception escaped
  EXPECT_EQ(picker.colour(), ColourPicker::presetColours()[5]);
  EXPECT_EQ(picker.paletteWindow(), nullptr);
}

TEST_F(ColourPickerTest, DestroyingTheHostClosesAnOpenPalette) {
  open();
  HWND palette = picker.paletteWindow();
  DestroyWindow(host.hwnd());
  EXPECT_FALSE(IsWindow(palette));
  EXPECT_EQ(picker.paletteWindow(), nullptr);
  EXPECT_EQ(picker.hwnd(), nullptr);
  picker.openPalette();  // nothing to open from
  EXPECT_EQ(picker.paletteWindow(), nullptr);
  EXPECT_EQ(chosen, 0);
}

}  // namespace
}  // namespace qnv::ui
