#include "ui/Scale.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace qnv::ui {
namespace {

int effective(int dpi) { return dpi > 0 ? dpi : kDesignDpi; }

// a × b / c to the nearest integer, halves away from zero, clamped to int; c > 0.
int mulDiv(int a, int b, int c) {
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t magnitude = (std::llabs(product) + c / 2) / c;
  const int64_t result = product < 0 ? -magnitude : magnitude;
  if (result > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (result < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(result);
}

}  // namespace

int scaleToDpi(int value, int dpi) { return mulDiv(value, effective(dpi), kDesignDpi); }

int scaleFromDpi(int pixels, int dpi) { return mulDiv(pixels, kDesignDpi, effective(dpi)); }

Box scaleToDpi(const Box& box, int dpi) {
  const int left = scaleToDpi(box.left, dpi);
  const int top = scaleToDpi(box.top, dpi);
  const int right = scaleToDpi(box.left + box.width, dpi);
  const int bottom = scaleToDpi(box.top + box.height, dpi);
  return {left, top, right - left, bottom - top};
}

int fontHeightForPoints(int points, int dpi) { return points > 0 ? -mulDiv(points, effective(dpi), 72) : 0; }

int pointsForFontHeight(int height, int dpi) {
  return mulDiv(height < 0 ? -height : height, 72, effective(dpi));
}

}  // namespace qnv::ui
