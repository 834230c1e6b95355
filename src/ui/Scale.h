#pragma once
// Designed geometry is written in 96-DPI units: one unit is one pixel at 100 % display
// scale. These turn it into pixels at a window's DPI and back, and font sizes in points
// into pixel heights.

namespace qnv::ui {

inline constexpr int kDesignDpi = 96;

// A rectangle of the design: left, top, width, height.
struct Box {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const Box&) const = default;
};

// value × dpi / 96, to the nearest pixel (halves away from zero). A DPI of 0 or less is
// taken as 96.
int scaleToDpi(int value, int dpi);
// Pixels at `dpi` back to 96-DPI units, rounded the same way.
int scaleFromDpi(int pixels, int dpi);
// The edges are scaled, not the sizes: boxes that touch in the design touch at every DPI.
Box scaleToDpi(const Box& box, int dpi);

// The height a font of `points` takes at `dpi`, negative as a font request takes it (the
// character height, without internal leading); 0 for a size of 0 or less.
int fontHeightForPoints(int points, int dpi);
// Whole points of a font of this pixel height (either sign) at `dpi`.
int pointsForFontHeight(int height, int dpi);

}  // namespace qnv::ui
