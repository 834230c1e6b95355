#pragma once
// What printing needs to know before the control lays the pages out: where the text goes on
// the paper, and the colours of white paper instead of the editor's screen.
#include <cstdint>
#include <string>
#include <string_view>

namespace qnv::commands {

// A printer page in device units: the whole sheet, the printable area's offset from the
// sheet's corner and its size, and the resolution. A device without a sheet (a screen or a
// memory bitmap) reports a sheet of 0 x 0; its printable area is then the sheet.
struct PageMetrics {
  int sheetWidth = 0, sheetHeight = 0;
  int offsetX = 0, offsetY = 0;
  int printableWidth = 0, printableHeight = 0;
  int dpiX = 96, dpiY = 96;
};

// Rectangles in twips (1/1440 inch) from the printable area's corner, as the control's page
// formatting takes them.
struct TwipsRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const TwipsRect&) const = default;
};

struct PageRects {
  TwipsRect page;  // the printable area
  TwipsRect text;  // the area the text goes into
};

// The margin around the text, measured from the sheet's edges: one inch, as on a letter.
inline constexpr int kPageMarginTwips = 1440;

// The text area lies `margin` inside the sheet's edges, and never outside the printable
// area; a sheet too small for the margins keeps at least one inch of text height and width.
PageRects pageRects(const PageMetrics& page, int margin = kPageMarginTwips);

// RTF of the document for white paper: the colour-table entries equal to the editor's
// default text colour (white on the editor's dark background) become black; every other
// colour stays as it is. Text that is not RTF, or RTF without a colour table, is returned
// as it is.
std::string withPaperColours(std::string_view rtf, uint32_t screenTextColour);

}  // namespace qnv::commands
