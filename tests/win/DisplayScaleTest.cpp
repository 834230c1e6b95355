// Every window at the common display scales: the designed rectangles scaled to the window's
// DPI when the system moves it to a display of another scale (WM_DPICHANGED), the editor
// box filling the client area, fonts following their point sizes. SystemScale runs at the
// scale of the prefix it is started in (the test command runs it again at 150 %).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/win/AppState.h"
#include "app/win/CommandBindings.h"
#include "app/win/EditorWindow.h"
#include "crypto/win/EncryptWindow.h"
#include "crypto/win/UnlockWindow.h"
#include "settings/win/SettingsWindow.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/Scale.h"
#include "ui/win/ColourPicker.h"
#include "ui/win/Window.h"

namespace qnv {
namespace {

using ui::Box;
using ui::scaleToDpi;

constexpr int kScales[] = {96, 120, 144, 192};

std::string describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// The place of a child in its parent's client area.
RECT placeOf(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT clientOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

SIZE outerSize(const ui::Window& w) {
  const RECT r = w.outerRect();
  return {r.right - r.left, r.bottom - r.top};
}

// What the system sends when it moves the window to a display of `dpi`: an outer size of
// width x height in 96-DPI units at that scale, in the display's top left corner. (The test display is
// 1024 x 768: at 200 % only windows up to 512 x 384 units fit on it.)
void moveToScale(ui::Window& w, int dpi, int width, int height) {
  RECT suggested{0, 0, scaleToDpi(width, dpi), scaleToDpi(height, dpi)};
  SendMessageW(w.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  test::pumpMessages();
}

int childCount(HWND parent) {
  int n = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++n;
  return n;
}

// Every child of the window is a designed one, at its designed rectangle at the window's DPI.
void expectDesignedPlaces(const ui::Window& w, int children) {
  EXPECT_EQ(static_cast<int>(w.designedChildren().size()), children);
  for (const ui::Window::DesignedChild& child : w.designedChildren()) {
    const Box b = scaleToDpi(child.design, w.dpi());
    const RECT expected{b.left, b.top, b.left + b.width, b.top + b.height};
    const RECT actual = placeOf(child.hwnd);
    EXPECT_TRUE(EqualRect(&actual, &expected)) << "designed " << child.design.left << "," << child.design.top << " "
                                               << child.design.width << "x" << child.design.height << ": "
                                               << describe(actual) << ", expected " << describe(expected);
    if (child.dialogFont) {
      EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child.hwnd, WM_GETFONT, 0, 0)), ui::dialogFont(w.dpi()));
    }
  }
}

int fontHeightOf(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof lf, &lf);
  return lf.lfHeight;
}

void expectBoxFillsClient(app::EditorWindow& w, const char* when) {
  const RECT box = placeOf(w.editorBox().hwnd()), client = clientOf(w.hwnd());
  EXPECT_TRUE(EqualRect(&box, &client)) << when << ": box " << describe(box) << ", client " << describe(client);
}

class DisplayScale : public test::EditorFixture {};

TEST_F(DisplayScale, EditorBoxFillsTheClientAreaAtEveryScale) {
  app::EditorWindow& w = open();
  expectBoxFillsClient(w, "after creation");
  for (const int dpi : kScales) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    moveToScale(w, dpi, 480, 360);
    EXPECT_EQ(w.dpi(), dpi);
    EXPECT_EQ(outerSize(w).cx, scaleToDpi(480, dpi));
    EXPECT_EQ(outerSize(w).cy, scaleToDpi(360, dpi));
    expectBoxFillsClient(w, "after the scale changed");
    expectDesignedPlaces(w, childCount(w.hwnd()) - 1);  // all but the box, which fills the window
    SetWindowPos(w.hwnd(), nullptr, 0, 0, scaleToDpi(333, dpi), scaleToDpi(222, dpi), SWP_NOMOVE | SWP_NOZORDER);
    test::pumpMessages();
    expectBoxFillsClient(w, "after a resize");
  }
}

TEST_F(DisplayScale, WindowSizeIsStoredInDesignUnits) {
  for (const int dpi : kScales) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    resetState();
    std::filesystem::remove(settingsFile());
    app::EditorWindow& w = open();
    moveToScale(w, dpi, 500, 380);
    w.close();  // the destroy handler stores the size
    ASSERT_TRUE(test::pumpUntil([&] { return !w.isAlive(); }));
    EXPECT_EQ(app::appState().settingsFile.readIntSetting("宽"), 500);
    EXPECT_EQ(app::appState().settingsFile.readIntSetting("长"), 380);
  }
}

TEST_F(DisplayScale, SettingsWindowControlsAndFontsAtEveryScale) {
  auto settings = std::make_unique<settings::SettingsWindow>(app::appState().settingsFile, app::settingsEditorLink());
  ASSERT_TRUE(settings->create(settings::settingsWindowDesign()));
  expectDesignedPlaces(*settings, childCount(settings->hwnd()));
  for (const int dpi : kScales) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    moveToScale(*settings, dpi, 500, 84);
    EXPECT_EQ(outerSize(*settings).cx, scaleToDpi(500, dpi));
    EXPECT_EQ(outerSize(*settings).cy, scaleToDpi(84, dpi));
    expectDesignedPlaces(*settings, childCount(settings->hwnd()));
    // The preview keeps its 11 points; the captions beside the pickers the dialog font's.
    EXPECT_EQ(fontHeightOf(settings->previewLabel().fontHandle()), ui::fontHeightForPoints(11, dpi));
    EXPECT_EQ(fontHeightOf(settings->backgroundLabel().fontHandle()),
              ui::fontHeightForPoints(settings->backgroundLabel().font().size, dpi));
  }
}

TEST_F(DisplayScale, PasswordWindowsAtEveryScale) {
  struct Case {
    const char* name;
    std::unique_ptr<crypto::PasswordWindow> window;
    ui::WindowDesign design;
  } cases[] = {
      {"encrypt", std::make_unique<crypto::EncryptWindow>(crypto::EncryptWindow::Save{}), crypto::encryptWindowDesign()},
      {"unlock", std::make_unique<crypto::UnlockWindow>(crypto::UnlockWindow::TryPassword{}),
       crypto::unlockWindowDesign()},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.window->create(c.design));
    for (const int dpi : kScales) {
      SCOPED_TRACE("dpi " + std::to_string(dpi));
      moveToScale(*c.window, dpi, c.design.width, c.design.height);
      EXPECT_EQ(outerSize(*c.window).cx, scaleToDpi(252, dpi));
      EXPECT_EQ(outerSize(*c.window).cy, scaleToDpi(50, dpi));
      expectDesignedPlaces(*c.window, 2);
      const RECT box = placeOf(c.window->passwordBox()), button = placeOf(c.window->actionButton());
      EXPECT_EQ(box.right, button.left) << "side by side at every scale";
    }
  }
}

TEST_F(DisplayScale, PaletteCellsAtEveryScale) {
  app::EditorWindow& w = open({}, true);
  ui::ColourPicker& picker = w.fontColourPicker();
  for (const int dpi : kScales) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    moveToScale(w, dpi, 480, 360);
    picker.setVisible(true);
    picker.openPalette();
    ASSERT_NE(picker.paletteWindow(), nullptr);
    const RECT first = picker.itemRect(0), second = picker.itemRect(1), below = picker.itemRect(ui::ColourPicker::kColumns);
    EXPECT_EQ(first.left, scaleToDpi(5, dpi));
    EXPECT_EQ(first.right - first.left, scaleToDpi(18, dpi));
    EXPECT_EQ(second.left - first.left, scaleToDpi(18, dpi) + scaleToDpi(4, dpi));
    EXPECT_EQ(below.top - first.top, second.left - first.left) << "rows are as far apart as columns";
    const RECT client = clientOf(picker.paletteWindow());
    const RECT entry = picker.itemRect(ui::ColourPicker::kMoreColoursItem);
    EXPECT_EQ(client.right, entry.right + scaleToDpi(5, dpi));
    EXPECT_EQ(client.bottom, entry.bottom + scaleToDpi(5, dpi));
    EXPECT_GE(entry.bottom - entry.top, scaleToDpi(22, dpi));
    picker.closePalette();
    picker.setVisible(false);
  }
}

// ---- at the scale of the system the tests run on ------------------------------------

// The DPI the test command set up the prefix with, if it says.
int expectedSystemDpi() {
  const char* value = std::getenv("QNV_EXPECTED_DPI");
  return value ? std::atoi(value) : 0;
}

// A caption drawn in this font fits the rectangle on one line.
void expectCaptionFits(HWND control, HFONT font, const RECT& room, const std::wstring& what) {
  wchar_t text[128] = {};
  GetWindowTextW(control, text, 128);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  EXPECT_LE(extent.cx, room.right - room.left) << what << " is cut: " << extent.cx << " wide";
  EXPECT_LE(extent.cy, room.bottom - room.top) << what << " is cut: " << extent.cy << " high";
}

// Every caption of a button or label fits inside the part of its control that the client
// area shows, and the window's caption fits its title bar. (The design itself lets the
// password windows' client area cut the last pixels of the button's frame; its caption
// stays whole.)
void expectEverythingVisible(const ui::Window& w) {
  const RECT client = clientOf(w.hwnd());
  for (HWND child = GetWindow(w.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    const RECT place = placeOf(child);
    RECT shown;
    IntersectRect(&shown, &place, &client);
    OffsetRect(&shown, -place.left, -place.top);
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    const std::wstring kind = cls;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    if (kind == L"Button") {
      // Centred, inside the button's edges.
      RECT room = clientOf(child);
      InflateRect(&room, -GetSystemMetricsForDpi(SM_CXEDGE, w.dpi()) * 2, -GetSystemMetricsForDpi(SM_CYEDGE, w.dpi()));
      IntersectRect(&room, &room, &shown);
      const int cx = (place.right - place.left) / 2;
      room.right = std::min(room.right, cx + (cx - room.left));  // symmetric about the centre
      room.left = std::max(room.left, cx - (room.right - cx));
      expectCaptionFits(child, font, room, L"a button");
    } else if (kind == L"qnvTransparentLabel") {
      expectCaptionFits(child, font, shown, L"a label");
    }
  }
  // The title: the outer width less the frame, the icon and the caption buttons.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, w.dpi()));
  const ui::UniqueFont captionFont(CreateFontIndirectW(&metrics.lfCaptionFont));
  const RECT outer = w.outerRect();
  const LONG_PTR style = GetWindowLongPtrW(w.hwnd(), GWL_STYLE);
  const int buttons = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 3 : 1;
  RECT title{0, 0,
             (outer.right - outer.left) - 2 * GetSystemMetricsForDpi(SM_CXFRAME, w.dpi()) -
                 GetSystemMetricsForDpi(SM_CXSMICON, w.dpi()) - buttons * metrics.iCaptionWidth,
             metrics.iCaptionHeight};
  expectCaptionFits(w.hwnd(), captionFont.get(), title, L"the title");
}

class SystemScale : public test::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    dpi = static_cast<int>(GetDpiForSystem());
    if (const int expected = expectedSystemDpi()) ASSERT_EQ(dpi, expected) << "the prefix's display scale";
  }
  int dpi = 96;
};

TEST_F(SystemScale, EditorWindowOpensAtTheDisplayScale) {
  settings::SettingsFile(settingsFile().wstring()).writeIntSetting("长", 400);
  settings::SettingsFile(settingsFile().wstring()).writeIntSetting("宽", 300);
  app::EditorWindow& w = open();
  EXPECT_EQ(w.dpi(), dpi);
  EXPECT_EQ(static_cast<int>(GetDpiForWindow(w.hwnd())), dpi);
  const RECT outer = w.outerRect();
  EXPECT_EQ(outer.left, scaleToDpi(50, dpi));
  EXPECT_EQ(outer.top, scaleToDpi(50, dpi));
  EXPECT_EQ(outer.right - outer.left, scaleToDpi(300, dpi)) << "the stored width is in 96-DPI units";
  EXPECT_EQ(outer.bottom - outer.top, scaleToDpi(400, dpi));
  expectBoxFillsClient(w, "at the display's scale");
  expectEverythingVisible(w);
  EXPECT_EQ(w.editorBox().selectionCharFormat().size, 11) << "the text keeps its point size";
}

TEST_F(SystemScale, SettingsWindowShowsEveryCaption) {
  auto settings = std::make_unique<settings::SettingsWindow>(app::appState().settingsFile, app::settingsEditorLink());
  ASSERT_TRUE(settings->create(settings::settingsWindowDesign()));
  ShowWindow(settings->hwnd(), SW_SHOWNOACTIVATE);
  test::pumpMessages();
  EXPECT_EQ(settings->dpi(), dpi);
  const ui::WindowDesign design = settings::settingsWindowDesign();
  EXPECT_EQ(outerSize(*settings).cx, scaleToDpi(design.width, dpi));
  EXPECT_EQ(outerSize(*settings).cy, scaleToDpi(design.height, dpi));
  expectDesignedPlaces(*settings, childCount(settings->hwnd()));
  expectEverythingVisible(*settings);
  EXPECT_EQ(fontHeightOf(settings->previewLabel().fontHandle()), ui::fontHeightForPoints(11, dpi));
}

TEST_F(SystemScale, PasswordWindowsShowEveryCaption) {
  crypto::EncryptWindow encrypt(crypto::EncryptWindow::Save{});
  crypto::UnlockWindow unlock(crypto::UnlockWindow::TryPassword{});
  const std::pair<crypto::PasswordWindow*, ui::WindowDesign> cases[] = {
      {&encrypt, crypto::encryptWindowDesign()}, {&unlock, crypto::unlockWindowDesign()}};
  for (const auto& [window, design] : cases) {
    SCOPED_TRACE(design.caption);
    ASSERT_TRUE(window->create(design));
    ShowWindow(window->hwnd(), SW_SHOWNOACTIVATE);
    test::pumpMessages();
    EXPECT_EQ(window->dpi(), dpi);
    EXPECT_EQ(outerSize(*window).cx, scaleToDpi(252, dpi));
    expectDesignedPlaces(*window, 2);
    expectEverythingVisible(*window);
  }
}

}  // namespace
}  // namespace qnv
