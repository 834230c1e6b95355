#include "commands/win/Printing.h"

#include <richedit.h>

#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::commands {
namespace {

RECT toRect(const TwipsRect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

PageMetrics pageMetricsOf(HDC dc) {
  return {GetDeviceCaps(dc, PHYSICALWIDTH),  GetDeviceCaps(dc, PHYSICALHEIGHT), GetDeviceCaps(dc, PHYSICALOFFSETX),
          GetDeviceCaps(dc, PHYSICALOFFSETY), GetDeviceCaps(dc, HORZRES),        GetDeviceCaps(dc, VERTRES),
          GetDeviceCaps(dc, LOGPIXELSX),      GetDeviceCaps(dc, LOGPIXELSY)};
}

PaperCopy::PaperCopy(const ui::EditorBox& box, uint32_t screenTextColour) {
  parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (parent_ && box_.create(parent_, 1, 0, 0, 100, 100, nullptr)) {
    box_.setContext(withPaperColours(box.richText(), screenTextColour));
  }
}

PaperCopy::~PaperCopy() {
  if (box_.hwnd()) SendMessageW(box_.hwnd(), EM_FORMATRANGE, FALSE, 0);  // frees the control's page cache
  if (parent_) DestroyWindow(parent_);
}

int PaperCopy::textLength() const {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<int>(SendMessageW(box_.hwnd(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

std::vector<ui::TextRange> PaperCopy::formatPages(HDC dc, const PageRects& rects,
                                                  const std::function<bool(bool)>& drawPage) const {
  std::vector<ui::TextRange> pages;
  if (!box_.hwnd()) return pages;
  const LONG length = textLength();
  FORMATRANGE range{};
  range.hdc = dc;
  range.hdcTarget = dc;
  range.rcPage = toRect(rects.page);
  range.chrg = {0, length};
  do {
    range.rc = toRect(rects.text);
    if (drawPage && !drawPage(true)) break;
    const LONG next = static_cast<LONG>(
        SendMessageW(box_.hwnd(), EM_FORMATRANGE, drawPage ? TRUE : FALSE, reinterpret_cast<LPARAM>(&range)));
    if (drawPage && !drawPage(false)) break;
    if (pages.empty() && next <= 0 && length > 0) return {};  // no page formatting in this control
    // A page that takes nothing (a line higher than the page) would repeat for ever.
    const LONG end = next > range.chrg.cpMin ? std::min(next, length) : length;
    pages.push_back({static_cast<size_t>(range.chrg.cpMin), static_cast<size_t>(end)});
    range.chrg.cpMin = end;
  } while (range.chrg.cpMin < length);
  SendMessageW(box_.hwnd(), EM_FORMATRANGE, FALSE, 0);
  return pages;
}

bool printDocument(const ui::EditorBox& box, HDC printer, const std::wstring& title, uint32_t screenTextColour) {
  const PaperCopy copy(box, screenTextColour);
  const PageRects rects = pageRects(pageMetricsOf(printer));
  if (copy.formatPages(printer, rects).empty()) {
    ui::showMessage(L"无法打印：系统的文本控件不能为打印分页。");
    DeleteDC(printer);
    return false;
  }
  DOCINFOW job{};
  job.cbSize = sizeof job;
  job.lpszDocName = title.c_str();
  bool printed = StartDocW(printer, &job) > 0;
  if (printed) {
    copy.formatPages(printer, rects, [&](bool starting) {
      printed = printed && (starting ? StartPage(printer) : EndPage(printer)) > 0;
      return printed;
    });
  }
  const DWORD error = GetLastError();
  if (printed) {
    printed = EndDoc(printer) > 0;
  } else {
    AbortDoc(printer);
  }
  if (!printed) ui::showMessage(L"打印失败\r\n" + ui::systemMessage(error ? error : GetLastError()));
  DeleteDC(printer);
  return printed;
}

}  // namespace qnv::commands
