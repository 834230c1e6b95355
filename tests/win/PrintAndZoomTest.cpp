// Printing and zoom over the real editor box: pages laid out by the control for a device
// context (drawn into a memory bitmap here, as there may be no printer), white paper, the
// print dialog through the prompts seam; Ctrl with the wheel and Ctrl+0.
#include <gtest/gtest.h>

#include <richedit.h>

#include "app/win/AppState.h"
#include "app/win/CommandBindings.h"
#include "app/win/EditorWindow.h"
#include "commands/CommandTable.h"
#include "commands/win/Printing.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Handles.h"

namespace qnv::app {
namespace {

using commands::PageRects;
using commands::PaperCopy;
using ui::MessageAnswer;

// A letter-sized page at 96 dots per inch, as a white bitmap.
struct PageBitmap {
  static constexpr int kWidth = 816, kHeight = 1056;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  PageBitmap() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB};
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = SelectObject(dc, bitmap);
    clear();
  }
  ~PageBitmap() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  void clear() const {
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  PageRects rects() const { return commands::pageRects({0, 0, 0, 0, kWidth, kHeight, 96, 96}); }
  // How many pixels have exactly this colour.
  int count(COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < kHeight; y += 1)
      for (int x = 0; x < kWidth; x += 1) n += GetPixel(dc, x, y) == colour;
    return n;
  }
};

// Whether the rich-edit control lays pages out; Wine's (8.0) answers EM_FORMATRANGE with
// nothing, so the page tests can only run on Windows.
bool controlLaysOutPages(const ui::EditorBox& box) {
  const PaperCopy copy(box, 0);
  const PageBitmap page;
  return !copy.formatPages(page.dc, page.rects()).empty();
}
constexpr const char* kNoPages = "this rich-edit control does not lay pages out (Wine's EM_FORMATRANGE is a stub)";

class PrintAndZoom : public test::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open({}, true);
  }
  HWND box() { return window->editorBox().hwnd(); }
  // Lines of the editor's default format (white 11-point on the black background).
  void typeLines(int lines) {
    std::wstring text;
    for (int i = 0; i < lines; ++i) text += L"第" + std::to_wstring(i + 1) + L"行 The quick brown fox\r";
    SendMessageW(box(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }
};

TEST_F(PrintAndZoom, PagesFollowOneAnotherAndHoldEveryCharacter) {
  typeLines(200);
  const PaperCopy copy(window->editorBox(), appState().defaultFont.colour);
  PageBitmap page;
  int drawn = 0;
  const auto pages = copy.formatPages(page.dc, page.rects(), [&](bool starting) {
    if (starting) page.clear(), ++drawn;
    return true;
  });
  if (pages.empty()) GTEST_SKIP() << kNoPages;
  ASSERT_GT(pages.size(), 3u) << "200 lines fill several pages";
  EXPECT_EQ(drawn, static_cast<int>(pages.size()));
  EXPECT_EQ(pages.front().start, 0u);
  for (size_t i = 1; i < pages.size(); ++i) {
    EXPECT_EQ(pages[i].start, pages[i - 1].end) << "page " << i + 1 << " starts where the one before ended";
    EXPECT_GT(pages[i].end, pages[i].start) << "page " << i + 1;
  }
  EXPECT_EQ(pages.back().end, static_cast<size_t>(copy.textLength())) << "the last page ends with the document";
  // Laid out only, the same pages.
  EXPECT_EQ(copy.formatPages(page.dc, page.rects()), pages);
}

TEST_F(PrintAndZoom, WhitePaperWithBlackTextAndTheOtherColoursAsTheyAre) {
  typeLines(3);
  SendMessageW(box(), EM_SETSEL, 0, 2);  // 第1 in red
  CHARFORMAT2W red{};
  red.cbSize = sizeof red;
  red.dwMask = CFM_COLOR;
  red.crTextColor = RGB(255, 0, 0);
  SendMessageW(box(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&red));
  ASSERT_EQ(appState().defaultFont.colour, 0xFFFFFFu) << "white text on the editor's black";

  const PaperCopy copy(window->editorBox(), appState().defaultFont.colour);
  // The copy: the system's white behind the text instead of the editor's black, the
  // default text black, red as it was.
  const COLORREF copyBackground = static_cast<COLORREF>(SendMessageW(copy.control(), EM_SETBKGNDCOLOR, 1, 0));
  EXPECT_EQ(copyBackground, GetSysColor(COLOR_WINDOW));
  const auto colourAt = [&](LONG at) {
    SendMessageW(copy.control(), EM_SETSEL, at, at + 1);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(copy.control(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf.crTextColor;
  };
  EXPECT_EQ(colourAt(0), RGB(255, 0, 0));
  EXPECT_EQ(colourAt(5), RGB(0, 0, 0));
  EXPECT_EQ(copy.textLength(), static_cast<int>(window->editorBox().text().size()));
  // Nothing of the editor changed.
  EXPECT_EQ(window->editorBox().selectionCharFormat().colour, 0x0000FFu);

  PageBitmap page;
  if (copy.formatPages(page.dc, page.rects(), [](bool) { return true; }).empty()) GTEST_SKIP() << kNoPages;
  EXPECT_EQ(GetPixel(page.dc, 5, 5), RGB(255, 255, 255)) << "the margin is paper";
  EXPECT_EQ(GetPixel(page.dc, 400, 900), RGB(255, 255, 255)) << "no background below the text";
  EXPECT_GT(page.count(RGB(0, 0, 0)), 100) << "the default text prints black";
  EXPECT_GT(page.count(RGB(255, 0, 0)), 20) << "red text stays red";
}

TEST_F(PrintAndZoom, ThePrintDialogCancelledOrAFailingPrinter) {
  typeLines(2);
  prompts.printerChoices.push_back([] { return static_cast<HDC>(nullptr); });
  runCommand(*window, commands::CommandId::PrintDocument);
  EXPECT_EQ(prompts.printDialogsShown, 1u);
  EXPECT_TRUE(prompts.messages.empty()) << "Cancel, or no printer: the system has said all there is";

  // A device that takes no print job: the failure is shown. A control without page
  // formatting says that instead, before any job starts.
  prompts.printerChoices.push_back([] { return CreateCompatibleDC(nullptr); });
  prompts.answers.push_back(MessageAnswer::Ok);
  runCommand(*window, commands::CommandId::PrintDocument);
  ASSERT_EQ(prompts.messages.size(), 1u);
  if (controlLaysOutPages(window->editorBox())) {
    EXPECT_EQ(prompts.messages[0].text.rfind(L"打印失败\r\n", 0), 0u);
  } else {
    EXPECT_EQ(prompts.messages[0].text, L"无法打印：系统的文本控件不能为打印分页。");
  }
}

TEST_F(PrintAndZoom, CtrlAndTheWheelZoomWithinTheLimitsAndCtrl0ResetsIt) {
  typeLines(5);
  const auto wheel = [&](int delta, bool ctrl) {
    SendMessageW(box(), WM_MOUSEWHEEL, MAKEWPARAM(ctrl ? MK_CONTROL : 0, delta), MAKELPARAM(100, 100));
    return window->editorBox().zoomPercent();
  };
  EXPECT_EQ(window->editorBox().zoomPercent(), 100);
  EXPECT_EQ(wheel(120, true), 110);
  EXPECT_EQ(wheel(240, true), 130);
  EXPECT_EQ(wheel(-120, true), 120);
  EXPECT_EQ(wheel(120, false), 120) << "without Ctrl the wheel scrolls";
  for (int i = 0; i < 60; ++i) wheel(120, true);
  EXPECT_EQ(window->editorBox().zoomPercent(), 500);
  for (int i = 0; i < 60; ++i) wheel(-120, true);
  EXPECT_EQ(window->editorBox().zoomPercent(), 10);

  runCommand(*window, commands::CommandId::ResetZoom);
  EXPECT_EQ(window->editorBox().zoomPercent(), 100);
  EXPECT_EQ(wheel(120, true), 110) << "counting on from 100%";

  // The zoom belongs to the session: another document keeps it, the settings know nothing of it.
  window->editorBox().setContext("{\\rtf1 another}");
  EXPECT_EQ(window->editorBox().zoomPercent(), 110);
  EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

}  // namespace
}  // namespace qnv::app
