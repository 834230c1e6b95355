#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/RtfCheck.h"

namespace qnv::app {
namespace {

std::string fixture(const std::string& name) {
  std::ifstream in(std::string(QNV_TEST_DATA_DIR) + "/rtf/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string repeat(std::string_view piece, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

const std::string kHeader = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}";

// Groups nested `depth` deep, the document's own group included.
std::string nested(int depth) { return "{\\rtf1 " + repeat("{", depth - 1) + "x" + repeat("}", depth - 1) + "}"; }

std::string tableRow(int defined, int cells) {
  std::string row = "\\trowd";
  for (int i = 1; i <= defined; ++i) row += "\\cellx" + std::to_string(i * 100);
  return row + "\\intbl " + repeat("a\\cell ", static_cast<size_t>(cells)) + "\\row ";
}

// A nested row (\itap2) of `cells` cells whose definition, after them, has `defined`.
std::string nestedRow(int defined, int cells) {
  std::string row = "\\pard\\intbl\\itap2 " + repeat("in\\nestcell ", static_cast<size_t>(cells)) + "{\\*\\nesttableprops\\trowd";
  for (int i = 1; i <= defined; ++i) row += "\\cellx" + std::to_string(i * 100);
  return row + "\\nestrow}{\\nonesttables\\par}";
}

TEST(RtfCheck, RealDocumentsPass) {
  for (const char* name : {"editor-output.rtf", "wordpad.rtf", "word-processor.rtf"}) {
    const std::string rtf = fixture(name);
    ASSERT_FALSE(rtf.empty()) << name;
    const RtfCheckResult result = checkRtf(rtf, 936);
    EXPECT_EQ(result.problem, RtfProblem::kNone) << name << " at " << result.offset << ": "
                                                 << rtf.substr(result.offset, 60);
    EXPECT_GT(result.runsSquared, 0u) << name;
  }
}

TEST(RtfCheck, RefusesWhatTheControlCannotSurvive) {
  const std::string name512 = repeat("A", kMaxRtfNameLength);
  struct Case {
    const char* name;
    std::string rtf;
    RtfProblem problem;
  } cases[] = {
      {"groups 30 deep", nested(kMaxRtfGroupDepth), RtfProblem::kNone},
      {"groups 31 deep", nested(kMaxRtfGroupDepth + 1), RtfProblem::kNestedTooDeep},
      {"groups 40 deep in an ignored destination", kHeader + "{\\*\\x" + repeat("{", 40) + "}", RtfProblem::kNestedTooDeep},
      {"escaped braces are text", "{\\rtf1 " + repeat("\\{", 100) + "}", RtfProblem::kNone},
      {"braces inside binary data are data", "{\\rtf1 {\\pict\\bin40 " + repeat("{", 40) + "}x}", RtfProblem::kNone},
      {"binary data running past the end", "{\\rtf1 {\\pict\\bin2147483647 " + repeat("{", 40), RtfProblem::kNone},
      {"nothing after the outermost group is read", nested(3) + repeat("{", 40) + "\\" + repeat("a", 5000),
       RtfProblem::kNone},
      {"control word of 255 letters", kHeader + "\\" + repeat("a", 255) + " x}", RtfProblem::kNone},
      {"control word of 256 letters", kHeader + "\\" + repeat("a", 256) + " x}", RtfProblem::kControlWordTooLong},
      {"control word of 10,000 letters", kHeader + "\\" + repeat("a", 10000) + " x}",
       RtfProblem::kControlWordTooLong},
      {"a parameter of 2,000 digits", kHeader + "\\fs" + repeat("1", 2000) + " x}", RtfProblem::kControlWordTooLong},
      {"a negative parameter", kHeader + "\\fs-" + repeat("9", 300) + " x}", RtfProblem::kControlWordTooLong},
      {"font name of 512", "{\\rtf1{\\fonttbl{\\f0\\fnil " + name512 + ";}}x}", RtfProblem::kNone},
      {"font name of 513", "{\\rtf1{\\fonttbl{\\f0\\fnil " + name512 + "A;}}x}", RtfProblem::kNameTooLong},
      {"font name in escapes", "{\\rtf1{\\fonttbl{\\f0 " + repeat("\\'d6", 600) + ";}}x}", RtfProblem::kNameTooLong},
      {"font table without entry groups", "{\\rtf1{\\fonttbl\\f0 " + repeat("A", 1100) + ";}x}",
       RtfProblem::kNameTooLong},
      {"style name of 513", "{\\rtf1{\\stylesheet{\\s1 " + name512 + "S;}}x}", RtfProblem::kNameTooLong},
      {"names end at ';'", "{\\rtf1{\\fonttbl{\\f0 " + name512 + ";" + name512 + ";}}x}", RtfProblem::kNone},
      {"names end at a control word", "{\\rtf1{\\fonttbl{\\f0 " + name512 + "\\fprq2 " + name512 + ";}}x}",
       RtfProblem::kNone},
      {"long text outside the name tables", kHeader + repeat("A", 100000) + "}", RtfProblem::kNone},
      {"a row of as many cells as defined", kHeader + tableRow(3, 3) + "}", RtfProblem::kNone},
      {"a row with a cell more than defined", kHeader + tableRow(3, 4) + "}", RtfProblem::kTooManyCells},
      {"a later row without its own definition", kHeader + tableRow(2, 2) + "\\intbl a\\cell b\\cell c\\cell\\row}",
       RtfProblem::kTooManyCells},
      {"63 cells", kHeader + tableRow(63, 63) + "}", RtfProblem::kNone},
      {"64 cells", kHeader + tableRow(64, 64) + "}", RtfProblem::kTooManyCells},
      {"cells without any row definition", kHeader + "a\\cell b\\cell c\\cell\\row}", RtfProblem::kNone},
      {"cells before their row's definition", "{\\rtf1 {\\cell }{\\cell }{\\cell }\\cellx8188\\row }",
       RtfProblem::kMalformedTable},
      {"a cell definition after the row ended", kHeader + tableRow(2, 2) + "\\cellx300 x}", RtfProblem::kMalformedTable},
      {"a nested row ended in a paragraph of the outer table",
       kHeader + "\\trowd\\cellx100\\pard\\intbl\\itap1 a{\\*\\nesttableprops\\trowd\\cellx100\\nestrow}\\cell\\row}",
       RtfProblem::kMalformedTable},
      {"a nested cell in a cell the main row does not define",
       kHeader + "\\trowd\\cellx100 \\pard\\intbl a\\cell \\pard\\itap2 x\\nestcell }", RtfProblem::kTooManyCells},
      {"a nested row ended outside its properties", "{\\rtf1 \\itap1 {\\cell }\\itap2 {\\nestrow}{\\cellx100\\nestrow} }",
       RtfProblem::kMalformedTable},
      {"a nested row as defined", kHeader + "\\trowd\\cellx100\\cellx200" + nestedRow(2, 2) + "\\pard\\intbl\\itap1 a\\cell b\\cell\\row}",
       RtfProblem::kNone},
      {"a nested row with more cells than its definition",
       kHeader + "\\trowd\\cellx100\\cellx200" + nestedRow(2, 3) + "\\pard\\intbl\\itap1 a\\cell b\\cell\\row}",
       RtfProblem::kTooManyCells},
      {"an outer row of five around a nested row of two",
       kHeader + "\\trowd" + repeat("\\cellx1", 5) + "\\pard\\intbl\\itap1 a\\cell " + nestedRow(2, 2) +
           "\\pard\\intbl\\itap1 b\\cell c\\cell d\\cell e\\cell\\row}",
       RtfProblem::kNone},
      {"cells of two nesting levels counted apart",
       kHeader + "\\trowd\\cellx100\\cellx200\\pard\\intbl\\itap2 x\\nestcell \\pard\\intbl\\itap3 " +
           repeat("y\\nestcell ", 3) + "{\\*\\nesttableprops\\trowd\\cellx1\\cellx2\\cellx3\\nestrow}" +
           "\\pard\\intbl\\itap2 z\\nestcell {\\*\\nesttableprops\\trowd\\cellx1\\cellx2\\nestrow}" +
           "\\pard\\intbl\\itap1 a\\cell b\\cell\\row}",
       RtfProblem::kNone},
      {"a row left open, then another row", kHeader + "\\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell\\pard x\\par" +
           tableRow(1, 1) + "}",
       RtfProblem::kTooManyCells},
      {"the row definition repeated before the row ends, as word processors write it",
       kHeader + "\\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell{\\trowd\\cellx1\\cellx2\\row}}", RtfProblem::kNone},
      {"tables nested 64 deep", kHeader + "\\pard\\intbl\\itap64 x\\par}", RtfProblem::kNone},
      {"tables nested 65 deep", kHeader + "\\pard\\intbl\\itap65 x\\par}", RtfProblem::kTablesTooDeep},
      {"tables nested 32,768 deep", kHeader + "\\pard\\intbl\\itap32768 x\\par}", RtfProblem::kTablesTooDeep},
      {"\\* in the middle of a group", kHeader + "\\trowd\\cellx1\\intbl a\\*\\qnvx \\cell\\row}",
       RtfProblem::kMisplacedDestination},
      {"\\* after a blank at the start of a group", kHeader + "{ \\*\\qnvx y}x}", RtfProblem::kNone},
      {"a destination in the middle of a row definition",
       kHeader + "\\trowd\\headerr \\cellx100\\cellx200\\pard\\intbl a\\cell b\\cell\\row x}",
       RtfProblem::kMisplacedDestination},
      {"destinations at the start of their groups", kHeader + "{\\header x}{\\*\\bkmkstart b}{\\field{\\*\\fldinst x}{\\fldrslt y}}}",
       RtfProblem::kNone},
      {"unbalanced and cut short", "{\\rtf1 {{{ \\b x \\'", RtfProblem::kNone},
  };
  for (const Case& c : cases) {
    const RtfCheckResult result = checkRtf(c.rtf, 936);
    EXPECT_EQ(result.problem, c.problem) << c.name << " (found at " << result.offset << ")";
  }
}

TEST(RtfCheck, TellsWhereTheProblemIs) {
  const std::string rtf = kHeader + "text \\" + repeat("a", 300) + " more}";
  const RtfCheckResult result = checkRtf(rtf, 936);
  EXPECT_EQ(result.problem, RtfProblem::kControlWordTooLong);
  EXPECT_EQ(result.offset, kHeader.size() + 5);
}

TEST(RtfCheck, AddsUpTheStretchesOfLaidOutText) {
  struct Case {
    const char* name;
    std::string rtf;
    uint64_t runsSquared;
  } cases[] = {
      {"one word", "{\\rtf1 word}", 16},
      {"the blank after a control word is not text", "{\\rtf1\\b bold\\b0  text}", 81},
      {"punctuation, paragraphs and tabs end stretches", "{\\rtf1 ab, cde.\\par fg\\tab h}", 4 + 16 + 4 + 1},
      {"a line break", "{\\rtf1 ab\\line cd}", 8},
      {"table cells", "{\\rtf1\\trowd\\cellx1\\cellx2 ab\\cell c\\cell\\row}", 5},
      {"double-byte characters; a full-width comma ends a stretch",
       "{\\rtf1 \\'d6\\'d0\\'ce\\'c4\\'a3\\'ac\\'d6\\'d0 \xD6\xD0\xCE\xC4}", 4 + 16},
      {"another code page named by the document", "{\\rtf1\\ansicpg1252 \\'d6\\'d0\\'ce}", 9},
      {"Unicode characters and their stand-ins", "{\\rtf1 a\\u20013?b\\uc2\\u12290??c}", 9 + 1},
      {"hidden destinations do not count", kHeader + "{\\info{\\title a b c d}}{\\*\\generator x y z;}one}", 9},
      {"blanks do not end a stretch", "{\\rtf1 " + repeat("w ", 20000) + "}", 40000ull * 40000},
  };
  for (const Case& c : cases) EXPECT_EQ(checkRtf(c.rtf, 936).runsSquared, c.runsSquared) << c.name;
}

}  // namespace
}  // namespace qnv::app
