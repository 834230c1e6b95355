#include <gtest/gtest.h>

#include "ui/Scale.h"

namespace qnv::ui {
namespace {

TEST(Scale, DesignedValuesAtTheCommonScales) {
  struct Case {
    int value;
    int at96, at120, at144, at192;
  } cases[] = {
      {0, 0, 0, 0, 0},           {3, 3, 4, 5, 6},              // the menu's offset from the pointer
      {9, 9, 11, 14, 18},        {50, 50, 63, 75, 100},        // Alt's band; the windows' place
      {84, 84, 105, 126, 168},   {252, 252, 315, 378, 504},    // the settings and password windows
      {500, 500, 625, 750, 1000}, {600, 600, 750, 900, 1200},  // the editor window
      {-7, -7, -9, -11, -14},                                  // halves round away from zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(scaleToDpi(c.value, 96), c.at96);
    EXPECT_EQ(scaleToDpi(c.value, 120), c.at120);
    EXPECT_EQ(scaleToDpi(c.value, 144), c.at144);
    EXPECT_EQ(scaleToDpi(c.value, 192), c.at192);
  }
  EXPECT_EQ(scaleToDpi(600, 0), 600) << "an unknown DPI is the design's";
  EXPECT_EQ(scaleToDpi(2'000'000'000, 192), 2'147'483'647) << "clamped, never wrapped";
}

TEST(Scale, BoxesKeepTouchingNeighbours) {
  // The password box and the button beside it; a settings button off the 4-pixel grid.
  const Box box{0, 0, 168, 24}, button{168, 0, 80, 24}, change{152, 15, 48, 24};
  struct Case {
    int dpi;
    Box box, button, change;
  } cases[] = {
      {96, {0, 0, 168, 24}, {168, 0, 80, 24}, {152, 15, 48, 24}},
      {120, {0, 0, 210, 30}, {210, 0, 100, 30}, {190, 19, 60, 30}},
      {144, {0, 0, 252, 36}, {252, 0, 120, 36}, {228, 23, 72, 36}},
      {192, {0, 0, 336, 48}, {336, 0, 160, 48}, {304, 30, 96, 48}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(scaleToDpi(box, c.dpi), c.box);
    EXPECT_EQ(scaleToDpi(button, c.dpi), c.button);
    EXPECT_EQ(scaleToDpi(change, c.dpi), c.change);
    const Box b = scaleToDpi(box, c.dpi), n = scaleToDpi(button, c.dpi);
    EXPECT_EQ(b.left + b.width, n.left);
  }
}

TEST(Scale, StoredSizesComeBackUnchanged) {
  // A window size is stored in 96-DPI units and applied at the next start's DPI.
  for (const int dpi : {96, 120, 144, 168, 192, 288}) {
    for (int value = 0; value <= 4000; ++value) {
      ASSERT_EQ(scaleFromDpi(scaleToDpi(value, dpi), dpi), value) << "dpi " << dpi;
    }
  }
  EXPECT_EQ(scaleFromDpi(751, 144), 501);
  EXPECT_EQ(scaleFromDpi(625, 120), 500);
}

TEST(Scale, FontHeightsFollowThePointSize) {
  struct Case {
    int points, dpi, height;
  } cases[] = {
      {9, 96, -12}, {9, 120, -15}, {9, 144, -18}, {9, 192, -24},
      {11, 96, -15}, {11, 120, -18}, {11, 144, -22}, {11, 192, -29},
      {0, 144, 0}, {-3, 144, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fontHeightForPoints(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
    if (c.points > 0) EXPECT_EQ(pointsForFontHeight(c.height, c.dpi), c.points);
  }
  EXPECT_EQ(pointsForFontHeight(16, 120), 10) << "a positive height counts the same";
}

}  // namespace
}  // namespace qnv::ui
