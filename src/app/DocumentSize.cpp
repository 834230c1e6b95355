#include "app/DocumentSize.h"

#include <cstdio>

#include "ui/CodePage.h"

namespace qnv::app {
namespace {

uint64_t saturatingMultiply(uint64_t a, uint64_t b) { return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b; }
uint64_t saturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

}  // namespace

uint64_t estimatedMemory(DocumentKind kind, uint64_t fileBytes, uint64_t runsSquared) {
  if (fileBytes > kMaxDocumentFileBytes) return UINT64_MAX;
  uint64_t control = 0, own = fileBytes;
  switch (kind) {
    case DocumentKind::kPlainText:
      control = fileBytes * kPlainTextBytesPerFileByte;
      break;
    case DocumentKind::kRtf:
      control = fileBytes * kRtfBytesPerFileByte;
      break;
    case DocumentKind::kProtected:
      // Two hexadecimal digits per byte of the document; the file and the document are held together.
      control = fileBytes / 2 * kPlainTextBytesPerFileByte;
      own = fileBytes + fileBytes / 2;
      break;
    case DocumentKind::kStrongProtected:
      control = fileBytes * kPlainTextBytesPerFileByte;
      own = 2 * fileBytes;
      break;
  }
  return saturatingAdd(control + own, runsSquared / kRunCharactersSquaredPerByte);
}

SizeVerdict sizeVerdict(uint64_t needed, uint64_t runsSquared, const PhysicalMemory& memory) {
  if (needed > memory.total) return SizeVerdict::kRefuse;
  if (needed > memory.available / 2 || runsSquared > kSlowLayoutRunsSquared) return SizeVerdict::kAsk;
  return SizeVerdict::kOpen;
}

uint64_t largestOpenableFile(DocumentKind kind, uint64_t totalPhysical) {
  // estimatedMemory grows with the file: the largest size whose estimate fits, by halving.
  uint64_t low = 0, high = kMaxDocumentFileBytes;
  while (low < high) {
    const uint64_t mid = low + (high - low + 1) / 2;
    if (estimatedMemory(kind, mid) <= totalPhysical) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

void LayoutCost::endRun() {
  sum_ = saturatingAdd(sum_, saturatingMultiply(run_, run_));
  run_ = 0;
}

uint64_t LayoutCost::runsSquared() {
  endRun();
  return sum_;
}

bool endsRun(char c) {
  return c == '\t' || c == '\r' || c == '\n' || (c >= '!' && c <= '/') || (c >= ':' && c <= '@') ||
         (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

uint64_t plainTextRunsSquared(std::string_view text, unsigned codePage) {
  LayoutCost cost;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (ui::isLeadByte(codePage, byte) && i + 1 < text.size()) {
      ++i;
      if (ui::isSymbolLeadByte(codePage, byte)) {
        cost.endRun();
        continue;
      }
    } else if (endsRun(text[i])) {
      cost.endRun();
      continue;
    }
    cost.character();
  }
  return cost.runsSquared();
}

std::string formatByteSize(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " 字节";
  static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

}  // namespace qnv::app
