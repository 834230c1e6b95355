#include "app/DocumentSize.h"

#include <cstdio>

namespace qnv::app {
namespace {

uint64_t saturatingMultiply(uint64_t a, uint64_t b) { return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b; }
uint64_t saturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

}  // namespace

uint64_t estimatedMemory(DocumentKind kind, uint64_t fileBytes, uint64_t wordsSquared) {
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
  }
  return saturatingAdd(control + own, saturatingMultiply(wordsSquared, kBytesPerWordSquared));
}

SizeVerdict sizeVerdict(uint64_t needed, uint64_t totalPhysical, uint64_t availablePhysical) {
  if (needed > totalPhysical) return SizeVerdict::kRefuse;
  if (needed > availablePhysical / 2) return SizeVerdict::kAsk;
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

uint64_t plainTextWordsSquared(std::string_view text) {
  uint64_t sum = 0, words = 0;
  bool hasText = false;
  const auto endLine = [&] {
    if (hasText) sum = saturatingAdd(sum, saturatingMultiply(words + 1, words + 1));
    words = 0;
    hasText = false;
  };
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      endLine();
    } else {
      hasText = true;
      if (c == ' ' || c == '\t') ++words;
    }
  }
  endLine();
  return sum;
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
