#pragma once
// Printing the document: pages laid out and drawn by the control's own page formatting
// (EM_FORMATRANGE) within the page margins, on white paper.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "commands/PrintLayout.h"
#include "ui/win/EditorBox.h"

namespace qnv::commands {

// The page of a device context, as PrintLayout takes it.
PageMetrics pageMetricsOf(HDC dc);

// A hidden copy of the document for paper: the editor's background is not there (the copy
// has the system's white), and text in the editor's default text colour is black.
class PaperCopy {
 public:
  PaperCopy(const ui::EditorBox& box, uint32_t screenTextColour);
  ~PaperCopy();
  PaperCopy(const PaperCopy&) = delete;
  PaperCopy& operator=(const PaperCopy&) = delete;

  HWND control() const { return box_.hwnd(); }
  int textLength() const;

  // Lays the pages out for `dc` within `rects` and returns each page's characters; none when
  // the control cannot lay pages out (Wine's control answers the page formatting with
  // nothing). With `drawPage`, every page is drawn after drawPage(true) and before
  // drawPage(false) (the printer's page start and end); a false answer stops.
  std::vector<ui::TextRange> formatPages(HDC dc, const PageRects& rects,
                                         const std::function<bool(bool starting)>& drawPage = {}) const;

 private:
  HWND parent_ = nullptr;
  ui::EditorBox box_;
};

// Prints every page of the document on `printer` (which this deletes) as a job named
// `title`. A failure of the printer is shown as "打印失败" with the system's reason; a control
// that cannot lay pages out prints nothing and says so.
bool printDocument(const ui::EditorBox& box, HDC printer, const std::wstring& title, uint32_t screenTextColour);

}  // namespace qnv::commands
