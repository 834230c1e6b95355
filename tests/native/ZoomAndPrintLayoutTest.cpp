#include <gtest/gtest.h>

#include "commands/PrintLayout.h"
#include "commands/Zoom.h"

namespace qnv::commands {
namespace {

TEST(Zoom, WheelStepsWithinTheLimits) {
  struct Case {
    const char* name;
    WheelZoom before;
    int delta;
    WheelZoom after;
  } cases[] = {
      {"one notch in", {100, 0}, 120, {110, 0}},
      {"one notch out", {100, 0}, -120, {90, 0}},
      {"three notches at once", {100, 0}, 360, {130, 0}},
      {"not above 500%", {495, 0}, 240, {500, 0}},
      {"not below 10%", {20, 0}, -360, {10, 0}},
      {"half a notch waits", {100, 0}, 60, {100, 60}},
      {"two halves make a notch", {100, 60}, 60, {110, 0}},
      {"back and forth cancel", {100, 60}, -60, {100, 0}},
      {"a reversed half notch", {100, 30}, -120, {100, -90}},
      {"an absurd delta", {100, 0}, 1 << 30, {500, 32767 % 120}},
  };
  for (const Case& c : cases) EXPECT_EQ(zoomAfterWheel(c.before, c.delta), c.after) << c.name;
}

TEST(PrintLayout, OneInchFromTheSheetsEdgesInsideThePrintableArea) {
  // A4 at 600 dpi with a quarter-inch unprintable border: 4960 x 7016 device units.
  const PageMetrics a4{4960, 7016, 150, 150, 4660, 6716, 600, 600};
  const PageRects r = pageRects(a4);
  EXPECT_EQ(r.page, (TwipsRect{0, 0, 11184, 16118}));
  EXPECT_EQ(r.text, (TwipsRect{1440 - 360, 1440 - 360, 11904 - 1440 - 360, 16838 - 1440 - 360}));

  // A bitmap has no sheet: the margins are measured from its own edges.
  const PageRects bitmap = pageRects({0, 0, 0, 0, 816, 1056, 96, 96});
  EXPECT_EQ(bitmap.page, (TwipsRect{0, 0, 12240, 15840}));
  EXPECT_EQ(bitmap.text, (TwipsRect{1440, 1440, 10800, 14400}));

  // A card too small for one-inch margins keeps an inch of text.
  const PageRects card = pageRects({0, 0, 0, 0, 192, 192, 96, 96});
  EXPECT_EQ(card.text, (TwipsRect{720, 720, 2160, 2160}));

  // A printable area narrower than the margins allow: the text fills it.
  const PageRects narrow = pageRects({1000, 1000, 200, 200, 600, 600, 100, 100});
  EXPECT_EQ(narrow.text, (TwipsRect{0, 0, 8640, 8640}));

  const PageRects nothing = pageRects({0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(nothing.text, (TwipsRect{}));
}

TEST(PrintLayout, PaperColoursTurnTheScreenTextColourBlack) {
  constexpr uint32_t kWhite = 0xFFFFFF;
  struct Case {
    const char* name;
    std::string rtf;
    uint32_t screenText;
    std::string expected;
  } cases[] = {
      {"white text becomes black, red stays",
       "{\\rtf1{\\colortbl ;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\\cf1 a\\cf2 b}", kWhite,
       "{\\rtf1{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\\cf1 a\\cf2 b}"},
      {"another screen colour", "{\\rtf1{\\colortbl;\\red0\\green255\\blue0;\\red255\\green255\\blue255;}x}", 0x00FF00,
       "{\\rtf1{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;}x}"},
      {"components in another order", "{\\rtf1{\\colortbl;\\blue255\\red255\\green255;}x}", kWhite,
       "{\\rtf1{\\colortbl;\\red0\\green0\\blue0;}x}"},
      {"only the first table counts", "{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}{\\colortbl;\\red255\\green255\\blue255;}}",
       kWhite, "{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}{\\colortbl;\\red255\\green255\\blue255;}}"},
      {"no colour table", "{\\rtf1 plain}", kWhite, "{\\rtf1 plain}"},
      {"not RTF", "{\\colortbl;\\red255\\green255\\blue255;}", kWhite, "{\\colortbl;\\red255\\green255\\blue255;}"},
      {"unclosed table", "{\\rtf1{\\colortbl;\\red255\\green255\\blue255;", kWhite,
       "{\\rtf1{\\colortbl;\\red255\\green255\\blue255;"},
      {"last entry without a semicolon", "{\\rtf1{\\colortbl;\\red255\\green255\\blue255}}", kWhite,
       "{\\rtf1{\\colortbl;\\red0\\green0\\blue0}}"},
      {"a component missing is no match", "{\\rtf1{\\colortbl;\\red255\\green255;}}", kWhite,
       "{\\rtf1{\\colortbl;\\red255\\green255;}}"},
  };
  for (const Case& c : cases) EXPECT_EQ(withPaperColours(c.rtf, c.screenText), c.expected) << c.name;
}

}  // namespace
}  // namespace qnv::commands
