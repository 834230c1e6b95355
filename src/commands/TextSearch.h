#pragma once
// Finding text in the document as the editor box holds it: UTF-16 code units, a paragraph
// break counting as one unit, so that positions here are the control's character positions.
// Matching with or without case and as a whole word, the wrap-around at the document's end,
// and the matches that a replace-all changes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Formats.h"

namespace qnv::commands {

struct SearchQuery {
  std::u16string needle;
  bool matchCase = false;
  bool wholeWord = false;
};

// Folds a text in place for a comparison that ignores case, one code unit for one (on Windows
// the system's own upper-case mapping).
using CaseFolder = void (*)(std::u16string& text);

// Units that make up words for the whole-word rule: letters and digits of the alphabetic
// scripts (Latin, Greek, Cyrillic, also in full width) and the underscore. Chinese characters
// are words of their own, so a whole-word match may stand next to them.
bool isWordUnit(char16_t unit);

using ui::TextRange;

enum class SearchDirection { Down, Up };

// A text prepared for one query: folded once (into a copy) when the case does not matter.
// The text must outlive the search.
class TextSearch {
 public:
  TextSearch(std::u16string_view text, SearchQuery query, CaseFolder fold);

  // The first match that starts at or after `from`.
  std::optional<size_t> firstFrom(size_t from) const;
  // The last match that starts before `before`.
  std::optional<size_t> lastBefore(size_t before) const;
  // Every match from left to right, none overlapping the one before it.
  std::vector<size_t> all() const;
  // Whether exactly `range` is a match (the selection a replace acts on).
  bool isMatch(TextRange range) const;

  size_t needleLength() const { return needle_.size(); }
  size_t textLength() const { return text_.size(); }

 private:
  bool acceptable(size_t at) const;

  std::u16string folded_;
  std::u16string_view text_;
  std::u16string needle_;
  bool wholeWord_;
};

// Where the next search goes from the selection: down from its end, or up from its start.
// When nothing lies that way, the search continues from the other end of the document and
// says so; no match anywhere gives no range.
struct FindOutcome {
  std::optional<TextRange> match;
  bool wrapped = false;
};
FindOutcome findFrom(const TextSearch& search, TextRange selection, SearchDirection direction);

}  // namespace qnv::commands
