#include "commands/PrintLayout.h"

#include <algorithm>
#include <optional>

namespace qnv::commands {
namespace {

constexpr int kTwipsPerInch = 1440;

int toTwips(long long deviceUnits, int dpi) {
  if (dpi <= 0) return 0;
  return static_cast<int>(std::clamp<long long>(deviceUnits * kTwipsPerInch / dpi, -1'000'000'000, 1'000'000'000));
}

// The number after a control word such as "\red" at `at`, or nullopt.
std::optional<int> numberAfter(std::string_view entry, std::string_view word) {
  for (size_t at = entry.find(word); at != std::string_view::npos; at = entry.find(word, at + 1)) {
    size_t i = at + word.size();
    if (i >= entry.size() || entry[i] < '0' || entry[i] > '9') continue;
    int value = 0;
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) value = std::min(value * 10 + (entry[i] - '0'), 1000);
    return value;
  }
  return std::nullopt;
}

}  // namespace

PageRects pageRects(const PageMetrics& page, int margin) {
  const bool hasSheet = page.sheetWidth > 0 && page.sheetHeight > 0;
  const int sheetWidth = toTwips(hasSheet ? page.sheetWidth : page.printableWidth, page.dpiX);
  const int sheetHeight = toTwips(hasSheet ? page.sheetHeight : page.printableHeight, page.dpiY);
  const int offsetX = hasSheet ? toTwips(page.offsetX, page.dpiX) : 0;
  const int offsetY = hasSheet ? toTwips(page.offsetY, page.dpiY) : 0;
  const int printableWidth = toTwips(page.printableWidth, page.dpiX);
  const int printableHeight = toTwips(page.printableHeight, page.dpiY);

  PageRects r;
  r.page = {0, 0, printableWidth, printableHeight};
  // The margin from the sheet's edge, in the printable area's coordinates.
  const int marginX = std::clamp(margin, 0, std::max(0, (sheetWidth - kTwipsPerInch) / 2));
  const int marginY = std::clamp(margin, 0, std::max(0, (sheetHeight - kTwipsPerInch) / 2));
  r.text.left = std::clamp(marginX - offsetX, 0, printableWidth);
  r.text.top = std::clamp(marginY - offsetY, 0, printableHeight);
  r.text.right = std::clamp(sheetWidth - marginX - offsetX, r.text.left, printableWidth);
  r.text.bottom = std::clamp(sheetHeight - marginY - offsetY, r.text.top, printableHeight);
  return r;
}

std::string withPaperColours(std::string_view rtf, uint32_t screenTextColour) {
  constexpr std::string_view kTable = "{\\colortbl";
  const size_t table = rtf.find(kTable);
  if (rtf.substr(0, 5) != "{\\rtf" || table == std::string_view::npos) return std::string(rtf);
  const size_t body = table + kTable.size();
  const size_t close = rtf.find('}', body);
  if (close == std::string_view::npos) return std::string(rtf);

  const int red = static_cast<int>(screenTextColour & 0xFF), green = static_cast<int>((screenTextColour >> 8) & 0xFF),
            blue = static_cast<int>((screenTextColour >> 16) & 0xFF);
  std::string out(rtf.substr(0, body));
  std::string_view entries = rtf.substr(body, close - body);
  while (!entries.empty()) {
    const size_t semicolon = entries.find(';');
    const std::string_view entry = entries.substr(0, semicolon == std::string_view::npos ? entries.size() : semicolon + 1);
    entries.remove_prefix(entry.size());
    const auto r = numberAfter(entry, "\\red"), g = numberAfter(entry, "\\green"), b = numberAfter(entry, "\\blue");
    const bool isScreenText = r && g && b && *r == red && *g == green && *b == blue;
    out += isScreenText ? std::string("\\red0\\green0\\blue0") + (semicolon == std::string_view::npos ? "" : ";")
                        : std::string(entry);
  }
  out += rtf.substr(close);
  return out;
}

}  // namespace qnv::commands
