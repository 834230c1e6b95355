#pragma once
// A structural check of RTF before it reaches the rich-text control: one pass over the
// bytes that refuses what the control cannot survive (measured under Wine 8, where each of
// these crashes the program or hangs it), and counts what laying the text out will cost
// (app/DocumentSize.h).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qnv::app {

// The limits, each set below what the control was measured to survive:
// groups nested 33 deep abort the process (32 are read);
inline constexpr int kMaxRtfGroupDepth = 30;
// a control word with its parameter of about 1,100 characters or more crashes it (1,030
// are read); the RTF rules allow 32 letters and a number;
inline constexpr size_t kMaxRtfControlWordLength = 255;
// a font or style name of about 1,100 characters or more crashes it (1,030 are read);
inline constexpr size_t kMaxRtfNameLength = 512;
// a table row with more cells than it defines, plus one, aborts it, and it takes at most
// 63 cell definitions in a row;
inline constexpr int kMaxRtfCellsInRow = 63;
// tables nested 32,768 deep hang it for minutes (1,000 take 0.1 s).
inline constexpr int kMaxRtfTableNesting = 64;

enum class RtfProblem {
  kNone,
  kNestedTooDeep,       // groups nested deeper than kMaxRtfGroupDepth
  kControlWordTooLong,  // a control word longer than kMaxRtfControlWordLength
  kNameTooLong,         // a font or style name longer than kMaxRtfNameLength
  kTooManyCells,        // a table row with more cells than it defines, or than kMaxRtfCellsInRow
  kTablesTooDeep,       // tables nested deeper than kMaxRtfTableNesting
  // A cell definition outside a row's definition, or a nested cell or row outside a nested
  // table: the control aborts on rows it cannot match with their cells.
  kMalformedTable,
  // "\*" after the start of a group: the control skips the rest of the group, and a table
  // row it leaves open aborts it. Writers put "\*" only at the start of a group.
  kMisplacedDestination,
};

struct RtfCheckResult {
  RtfProblem problem = RtfProblem::kNone;
  size_t offset = 0;  // where the problem was found
  // LayoutCost of the laid-out text.
  uint64_t runsSquared = 0;
};

// Checks RTF up to the end of its outermost group (the control reads no further). Its
// text bytes are in `codePage`, unless the document names another (\ansicpg).
RtfCheckResult checkRtf(std::string_view rtf, unsigned codePage);

}  // namespace qnv::app
