#include "app/RtfCheck.h"

#include <algorithm>
#include <array>

#include "app/DocumentSize.h"
#include "ui/CodePage.h"

namespace qnv::app {
namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// What a group carries over from where it opened, and what its first control word made it.
struct GroupState {
  bool nameTable = false;  // inside the font table or the style sheet
  bool nestedRow = false;  // inside the properties of a nested table row
  bool hidden = false;     // a destination whose text is not laid out
  bool atStart = true;     // nothing but blanks, and perhaps "\\*", read in the group yet
  int level = 1;           // table nesting level of the paragraph (\itap)
  int unicodeSkip = 1;     // characters after \uN that stand in for it (\uc)
};

// Destinations whose text is not part of the laid-out document.
bool isHiddenDestination(std::string_view word) {
  static constexpr std::string_view kWords[] = {"fonttbl", "colortbl",          "stylesheet", "info",   "pict",
                                                "object",  "listtable",         "filetbl",    "revtbl", "rsidtbl",
                                                "listoverridetable", "generator", "themedata", "datastore"};
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// The destinations the control knows: each opens a group of its own.
bool isDestination(std::string_view word) {
  static constexpr std::string_view kWords[] = {
      "fonttbl",   "falt",       "fonteb",     "fontfile",  "filetbl",   "file",      "colortbl",  "stylesheet",
      "keycode",   "revtbl",     "info",       "title",     "subject",   "author",    "operator",  "keywords",
      "comment",   "version",    "doccomm",    "nextfile",  "template",  "ftnsep",    "ftnsepc",   "ftncn",
      "aftnsep",   "aftnsepc",   "aftncn",     "pnseclvl",  "pn",        "header",    "footer",    "headerl",
      "headerr",   "headerf",    "footerl",    "footerr",   "footerf",   "pntext",    "pntxta",    "pntxtb",
      "bkmkstart", "bkmkend",    "pict",       "object",    "objclass",  "objname",   "objtime",   "objdata",
      "objalias",  "objsect",    "result",     "objitem",   "objtopic",  "do",        "footnote",  "atrfstart",
      "atrfend",   "atnid",      "atnauthor",  "annotation", "atnref",   "atntime",   "atnicn",    "field",
      "fldinst",   "fldrslt",    "datafield",  "xe",        "txe",       "rxe",       "tc",        "NeXTGraphic",
      "generator", "nesttableprops", "nonesttables", "shppict", "nonshppict"};
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// Unicode punctuation and symbols: general punctuation, CJK punctuation, full-width forms.
bool isPunctuation(int64_t c) {
  return (c < 0x80 && endsRun(static_cast<char>(c))) || (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) ||
         (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
         (c >= 0xFF5B && c <= 0xFF65);
}

// Control words that put a mark, a break or a symbol into the text.
bool breaksText(std::string_view word) {
  static constexpr std::string_view kWords[] = {"par",    "sect",      "page",  "line",   "tab",      "cell",
                                                "row",    "nestcell",  "nestrow", "emdash", "endash", "bullet",
                                                "lquote", "rquote",    "ldblquote", "rdblquote", "emspace", "enspace"};
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

class Checker {
 public:
  Checker(std::string_view rtf, unsigned codePage) : rtf_(rtf), codePage_(codePage) {}

  RtfCheckResult run() {
    while (pos_ < rtf_.size() && result_.problem == RtfProblem::kNone) {
      const char c = rtf_[pos_];
      if (c == '{') {
        openGroup();
      } else if (c == '}') {
        if (!closeGroup()) break;  // the outermost group is closed: the control stops reading here
      } else if (c == '\\') {
        controlSequence();
        continue;
      } else if (c != '\r' && c != '\n') {
        text(static_cast<unsigned char>(c));
      }
      ++pos_;
    }
    result_.runsSquared = layout_.runsSquared();
    return result_;
  }

 private:
  GroupState& group() { return groups_[static_cast<size_t>(depth_)]; }

  void fail(RtfProblem problem, size_t at) {
    if (result_.problem == RtfProblem::kNone) {
      result_.problem = problem;
      result_.offset = at;
    }
  }

  void openGroup() {
    if (depth_ >= kMaxRtfGroupDepth) return fail(RtfProblem::kNestedTooDeep, pos_);
    GroupState inner = group();
    inner.atStart = true;
    ++depth_;
    group() = inner;
    nameRun_ = 0;
  }

  bool closeGroup() {
    nameRun_ = 0;
    if (depth_ <= 1) return false;
    --depth_;
    return true;
  }

  // A byte of text, raw or written as \'hh: counts towards a font or style name, and
  // towards the stretch of text it belongs to.
  void text(unsigned char byte) {
    GroupState& g = group();
    if (byte != ' ' && byte != '\t') g.atStart = false;
    if (skip_ > 0) {  // the stand-in for a Unicode character just read
      --skip_;
      return;
    }
    if (g.nameTable) {
      if (byte == ';') {
        nameRun_ = 0;
      } else if (++nameRun_ > kMaxRtfNameLength) {
        fail(RtfProblem::kNameTooLong, pos_);
      }
    }
    if (g.hidden) return;
    if (trailPending_) {
      trailPending_ = false;
      return symbolPending_ ? layout_.endRun() : layout_.character();
    }
    if (byte >= 0x80 && ui::isLeadByte(codePage_, byte)) {
      trailPending_ = true;
      symbolPending_ = ui::isSymbolLeadByte(codePage_, byte);
      return;
    }
    return endsRun(static_cast<char>(byte)) ? layout_.endRun() : layout_.character();
  }

  void unicodeText(int64_t value) {
    trailPending_ = false;
    skip_ = group().unicodeSkip;
    if (group().hidden) return;
    if (value < 0) value += 65536;
    return isPunctuation(value) ? layout_.endRun() : layout_.character();
  }

  void breakText() {
    trailPending_ = false;
    if (!group().hidden) layout_.endRun();
  }

  // At the backslash: a control word, a hexadecimal character or a control symbol.
  void controlSequence() {
    const size_t start = pos_++;
    if (pos_ >= rtf_.size()) return;
    const char c = rtf_[pos_];
    if (isLetter(c)) return controlWord(start);
    ++pos_;
    if (c == '\'') {
      unsigned value = 0;
      for (int i = 0; i < 2 && pos_ < rtf_.size() && isHexDigit(rtf_[pos_]); ++i) {
        const char h = rtf_[pos_++];
        value = value * 16 + static_cast<unsigned>(isDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
      }
      text(static_cast<unsigned char>(value));
    } else if (c == '*') {
      GroupState& g = group();
      if (!g.atStart) return fail(RtfProblem::kMisplacedDestination, start);
      g.hidden = true;
    } else if (c == '\\' || c == '{' || c == '}') {
      text(static_cast<unsigned char>(c));
    } else if (c == '~') {
      text('x');  // a non-breaking space
    } else if (c != '\r' && c != '\n') {
      breakText();  // an optional or non-breaking hyphen, a formula or index mark
    }
  }

  void controlWord(size_t start) {
    const size_t letters = pos_;
    while (pos_ < rtf_.size() && isLetter(rtf_[pos_])) ++pos_;
    const std::string_view word = rtf_.substr(letters, pos_ - letters);
    if (pos_ < rtf_.size() && rtf_[pos_] == '-') ++pos_;
    const size_t digits = pos_;
    while (pos_ < rtf_.size() && isDigit(rtf_[pos_])) ++pos_;
    if (pos_ - start - 1 > kMaxRtfControlWordLength) return fail(RtfProblem::kControlWordTooLong, start);
    const std::string_view number = rtf_.substr(digits, pos_ - digits);
    if (pos_ < rtf_.size() && rtf_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
    nameRun_ = 0;
    GroupState& g = group();
    const bool first = g.atStart;
    g.atStart = false;
    // A destination anywhere else makes the control skip the rest of the group.
    if (!first && isDestination(word)) return fail(RtfProblem::kMisplacedDestination, start);
    if (first && isHiddenDestination(word)) g.hidden = true;
    act(word, number, start);
  }

  static int64_t valueOf(std::string_view digits, bool negative) {
    int64_t value = 0;
    for (char d : digits) value = std::min<int64_t>(value * 10 + (d - '0'), INT32_MAX);
    return negative ? -value : value;
  }

  void act(std::string_view word, std::string_view number, size_t start) {
    GroupState& g = group();
    const bool negative = !number.empty() && rtf_[start + 1 + word.size()] == '-';
    if (word == "bin") {
      // Binary data follows: as many bytes as the parameter says, braces included.
      const int64_t n = valueOf(number, negative);
      if (n > 0) pos_ += static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(rtf_.size() - pos_)));
    } else if (word == "fonttbl" || word == "stylesheet") {
      g.nameTable = true;
    } else if (word == "nesttableprops") {
      g.nestedRow = true;
    } else if (word == "itap") {
      const int64_t level = valueOf(number, negative);
      if (level > kMaxRtfTableNesting) return fail(RtfProblem::kTablesTooDeep, start);
      g.level = static_cast<int>(std::max<int64_t>(level, 1));
    } else if (word == "pard") {
      g.level = 1;
    } else if (word == "trowd") {
      const int level = g.nestedRow ? nestedLevel() : 1;
      defined_[level] = 0;
      defining_[level] = true;
    } else if (word == "cellx") {
      const int level = g.nestedRow ? nestedLevel() : 1;
      // A cell's definition belongs to a row's, which \trowd begins.
      if (!defining_[level]) return fail(RtfProblem::kMalformedTable, start);
      defined_[level] = std::min(defined_[level] + 1, kMaxRtfCellsInRow);
    } else if (word == "ansicpg") {
      codePage_ = static_cast<unsigned>(std::max<int64_t>(valueOf(number, negative), 0));
    } else if (word == "uc") {
      g.unicodeSkip = static_cast<int>(std::clamp<int64_t>(valueOf(number, negative), 0, 255));
    } else if (word == "u") {
      unicodeText(valueOf(number, negative));
    } else if (word == "cell") {
      addCell(1, start);
    } else if (word == "nestcell") {
      if (g.level < 2) return fail(RtfProblem::kMalformedTable, start);
      // The nested table sits in the main table's open cell, which its row must define:
      // a nested cell past the row's last defined cell makes the control write out of bounds.
      if (defined_[1] > 0 && cells_[1] >= defined_[1]) return fail(RtfProblem::kTooManyCells, start);
      ++cells_[g.level];
    } else if (word == "row") {
      checkRow(1, start);
    } else if (word == "nestrow") {
      // A nested row ends inside its properties, which follow its cells, in a paragraph of
      // a nested table.
      if (!g.nestedRow || g.level < 2) return fail(RtfProblem::kMalformedTable, start);
      checkRow(nestedLevel(), start);
    }
    if (breaksText(word)) breakText();
  }

  int nestedLevel() { return std::max(group().level, 2); }

  // Cells of the main table are checked as they come, against the row defined before them;
  // those of a nested table when their row ends, as its definition comes after them.
  void addCell(int level, size_t at) {
    ++cells_[level];
    if (defined_[level] > 0 && cells_[level] > defined_[level]) fail(RtfProblem::kTooManyCells, at);
  }

  void checkRow(int level, size_t at) {
    if (defined_[level] > 0 && cells_[level] > defined_[level]) fail(RtfProblem::kTooManyCells, at);
    cells_[level] = 0;
    defining_[level] = false;
  }

  static constexpr int kLevels = kMaxRtfTableNesting + 1;

  std::string_view rtf_;
  size_t pos_ = 0;
  int depth_ = 0;
  std::array<GroupState, kMaxRtfGroupDepth + 1> groups_{};
  size_t nameRun_ = 0;
  std::array<int, kLevels> defined_{};
  std::array<int, kLevels> cells_{};
  std::array<bool, kLevels> defining_{};  // a row's definition begun (\trowd) and not yet ended
  unsigned codePage_;
  LayoutCost layout_;
  int skip_ = 0;                // text bytes still to be skipped after \uN
  bool trailPending_ = false;   // the next text byte ends a double-byte character
  bool symbolPending_ = false;  // ... that is a punctuation mark or a symbol
  RtfCheckResult result_;
};

}  // namespace

RtfCheckResult checkRtf(std::string_view rtf, unsigned codePage) { return Checker(rtf, codePage).run(); }

}  // namespace qnv::app
