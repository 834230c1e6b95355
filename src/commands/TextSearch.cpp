#include "commands/TextSearch.h"

#include <utility>

namespace qnv::commands {
namespace {

bool inRange(char16_t u, char16_t first, char16_t last) { return u >= first && u <= last; }
bool isHighSurrogate(char16_t u) { return inRange(u, 0xD800, 0xDBFF); }
bool isLowSurrogate(char16_t u) { return inRange(u, 0xDC00, 0xDFFF); }

}  // namespace

bool isWordUnit(char16_t u) {
  if (inRange(u, u'0', u'9') || inRange(u, u'A', u'Z') || inRange(u, u'a', u'z') || u == u'_') return true;
  if (inRange(u, 0x00C0, 0x024F)) return u != 0x00D7 && u != 0x00F7;  // Latin letters, not × and ÷
  if (inRange(u, 0x0370, 0x03FF) || inRange(u, 0x0400, 0x04FF)) return true;  // Greek, Cyrillic
  return inRange(u, 0xFF10, 0xFF19) || inRange(u, 0xFF21, 0xFF3A) || inRange(u, 0xFF41, 0xFF5A);  // full width
}

TextSearch::TextSearch(std::u16string_view text, SearchQuery query, CaseFolder fold)
    : text_(text), needle_(std::move(query.needle)), wholeWord_(query.wholeWord) {
  if (!query.matchCase && fold) {
    folded_ = text;
    fold(folded_);
    fold(needle_);
    text_ = folded_;
  }
}

// A match must not split a surrogate pair, and as a whole word it must not continue a word
// on either side.
bool TextSearch::acceptable(size_t at) const {
  const size_t end = at + needle_.size();
  if (at > 0 && isLowSurrogate(text_[at]) && isHighSurrogate(text_[at - 1])) return false;
  if (end < text_.size() && isLowSurrogate(text_[end]) && isHighSurrogate(text_[end - 1])) return false;
  if (!wholeWord_) return true;
  if (at > 0 && isWordUnit(needle_.front()) && isWordUnit(text_[at - 1])) return false;
  if (end < text_.size() && isWordUnit(needle_.back()) && isWordUnit(text_[end])) return false;
  return true;
}

std::optional<size_t> TextSearch::firstFrom(size_t from) const {
  if (needle_.empty()) return std::nullopt;
  for (size_t at = text_.find(needle_, from); at != std::u16string_view::npos; at = text_.find(needle_, at + 1)) {
    if (acceptable(at)) return at;
  }
  return std::nullopt;
}

std::optional<size_t> TextSearch::lastBefore(size_t before) const {
  if (needle_.empty() || before == 0) return std::nullopt;
  for (size_t at = text_.rfind(needle_, before - 1); at != std::u16string_view::npos; at = text_.rfind(needle_, at - 1)) {
    if (acceptable(at)) return at;
    if (at == 0) break;
  }
  return std::nullopt;
}

std::vector<size_t> TextSearch::all() const {
  std::vector<size_t> found;
  for (std::optional<size_t> at = firstFrom(0); at; at = firstFrom(*at + needle_.size())) found.push_back(*at);
  return found;
}

bool TextSearch::isMatch(TextRange range) const {
  if (needle_.empty() || range.end != range.start + needle_.size() || range.end > text_.size()) return false;
  return text_.substr(range.start, needle_.size()) == needle_ && acceptable(range.start);
}

FindOutcome findFrom(const TextSearch& search, TextRange selection, SearchDirection direction) {
  const auto found = [&](size_t at, bool wrapped) {
    return FindOutcome{TextRange{at, at + search.needleLength()}, wrapped};
  };
  if (direction == SearchDirection::Down) {
    if (auto at = search.firstFrom(selection.end)) return found(*at, false);
    if (auto at = search.firstFrom(0)) return found(*at, true);
  } else {
    if (auto at = search.lastBefore(selection.start)) return found(*at, false);
    if (auto at = search.lastBefore(search.textLength() + 1)) return found(*at, true);
  }
  return {};
}

}  // namespace qnv::commands
