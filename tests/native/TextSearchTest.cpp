#include <gtest/gtest.h>

#include <string>

#include "commands/TextSearch.h"

namespace qnv::commands {
namespace {

// Upper-cases the letters a test needs: ASCII and full-width Latin (the program uses the
// system's mapping, which does the same for these).
void foldForTest(std::u16string& text) {
  for (char16_t& u : text) {
    if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - 32);
    if (u >= 0xFF41 && u <= 0xFF5A) u = static_cast<char16_t>(u - 32);
  }
}

// Code units as they are, lone surrogates included.
std::u16string units(std::initializer_list<char16_t> list) { return std::u16string(list); }

std::string describe(const std::u16string& s) {
  std::string out;
  for (char16_t u : s) out += u < 128 ? static_cast<char>(u) : '?';
  return out;
}

TEST(TextSearch, FindsFromTheSelectionAndWrapsAround) {
  constexpr auto Down = SearchDirection::Down;
  constexpr auto Up = SearchDirection::Up;
  struct Case {
    const char* name;
    std::u16string text;
    std::u16string needle;
    bool matchCase, wholeWord;
    TextRange selection;
    SearchDirection direction;
    std::optional<size_t> at;  // start of the match found
    bool wrapped;
  } cases[] = {
      {"first match from the start", u"one two one", u"one", false, false, {0, 0}, Down, 0, false},
      {"next after the selection", u"one two one", u"one", false, false, {0, 3}, Down, 8, false},
      {"wraps to the start at the end", u"one two one", u"one", false, false, {8, 11}, Down, 0, true},
      {"the only match again, after wrapping", u"x one x", u"one", false, false, {2, 5}, Down, 2, true},
      {"up from the selection", u"one two one", u"one", false, false, {8, 11}, Up, 0, false},
      {"up wraps to the end", u"one two one", u"one", false, false, {0, 3}, Up, 8, true},
      {"nothing anywhere", u"one two", u"three", false, false, {0, 0}, Down, std::nullopt, false},
      {"nothing anywhere, up", u"one two", u"three", false, false, {7, 7}, Up, std::nullopt, false},
      {"empty needle finds nothing", u"abc", u"", false, false, {0, 0}, Down, std::nullopt, false},
      {"needle longer than the text", u"ab", u"abc", false, false, {0, 0}, Down, std::nullopt, false},
      {"case ignored", u"Hello HELLO hello", u"hello", false, false, {0, 0}, Down, 0, false},
      {"case matters", u"Hello HELLO hello", u"hello", true, false, {0, 0}, Down, 12, false},
      {"case matters, up", u"Hello HELLO hello", u"HELLO", true, false, {17, 17}, Up, 6, false},
      {"full-width letters ignore case", u"\uFF21\uFF42c \uFF41\uFF22", u"\uFF41\uFF42", false, false, {0, 0}, Down, 0, false},
      {"full-width letters with case", u"\uFF21\uFF42c \uFF41\uFF42", u"\uFF41\uFF42", true, false, {0, 0}, Down, 4, false},
      {"whole word skips a longer word", u"swordfish word", u"word", false, true, {0, 0}, Down, 10, false},
      {"whole word skips a prefix", u"words word", u"word", false, true, {0, 0}, Down, 6, false},
      {"whole word at the text's ends", u"word", u"word", false, true, {0, 0}, Down, 0, false},
      {"whole word with punctuation around", u"(word).", u"word", false, true, {0, 0}, Down, 1, false},
      {"whole word: an underscore joins", u"my_word word", u"word", false, true, {0, 0}, Down, 8, false},
      {"whole word: digits join", u"word2 word", u"word", false, true, {0, 0}, Down, 6, false},
      {"whole word beside Chinese", u"\u4E2D\u6587abc\u7B14\u8BB0", u"abc", false, true, {0, 0}, Down, 2, false},
      {"Chinese inside Chinese, whole word", u"\u6211\u7684\u4E2D\u6587\u7B14\u8BB0", u"\u4E2D\u6587", false, true,
       {0, 0}, Down, 2, false},
      {"whole word: a needle edge that is no letter", u"a.b a.bc", u".b", false, true, {0, 0}, Down, 1, false},
      {"Chinese", u"\u4E2D\u6587\u7B14\u8BB0\u4E2D\u6587", u"\u4E2D\u6587", true, false, {0, 2}, Down, 4, false},
      {"paragraph breaks are one unit", u"a\rb\rc", u"c", false, false, {0, 0}, Down, 4, false},
      {"no match inside a surrogate pair", units({0xD840, 0xDC00, 0xDC00}), units({0xDC00}), true, false, {0, 0}, Down, 2,
       false},
      {"a whole pair matches", u"x\U00020000", u"\U00020000", true, false, {0, 0}, Down, 1, false},
      {"no match ending inside a pair, up", units({0xD840, 0xD840, 0xDC00}), units({0xD840}), true, false, {3, 3}, Up, 0,
       false},
  };
  for (const Case& c : cases) {
    const TextSearch search(c.text, {c.needle, c.matchCase, c.wholeWord}, foldForTest);
    const FindOutcome outcome = findFrom(search, c.selection, c.direction);
    ASSERT_EQ(outcome.match.has_value(), c.at.has_value()) << c.name;
    if (c.at) {
      EXPECT_EQ(outcome.match->start, *c.at) << c.name;
      EXPECT_EQ(outcome.match->end, *c.at + c.needle.size()) << c.name;
    }
    EXPECT_EQ(outcome.wrapped, c.wrapped) << c.name;
  }
}

TEST(TextSearch, ReplaceAllCountsMatchesThatDoNotOverlap) {
  struct Case {
    std::u16string text, needle;
    bool matchCase, wholeWord;
    std::vector<size_t> expected;
  } cases[] = {
      {u"aaaa", u"aa", true, false, {0, 2}},
      {u"aaa", u"aa", true, false, {0}},
      {u"Cat cat CAT", u"cat", false, false, {0, 4, 8}},
      {u"Cat cat CAT", u"cat", true, false, {4}},
      {u"cat cats concat cat", u"cat", false, true, {0, 16}},
      {u"\u4E2D\u6587\u4E2D\u6587\u4E2D", u"\u4E2D", true, false, {0, 2, 4}},
      {u"", u"x", false, false, {}},
      {u"abc", u"", false, false, {}},
  };
  for (const Case& c : cases) {
    const TextSearch search(c.text, {c.needle, c.matchCase, c.wholeWord}, foldForTest);
    EXPECT_EQ(search.all(), c.expected) << describe(c.text) << " / " << describe(c.needle);
  }
}

TEST(TextSearch, TheSelectionIsAMatchOnlyWhenExactlyOne) {
  const TextSearch search(u"Word words", {u"word", false, true}, foldForTest);
  EXPECT_TRUE(search.isMatch({0, 4}));
  EXPECT_FALSE(search.isMatch({5, 9})) << "part of a longer word";
  EXPECT_FALSE(search.isMatch({0, 3}));
  EXPECT_FALSE(search.isMatch({0, 5}));
  EXPECT_FALSE(search.isMatch({8, 12})) << "beyond the text";
}

TEST(TextSearch, WordUnits) {
  for (char16_t u : {u'a', u'Z', u'0', u'_', u'\u00E9', u'\u03B1', u'\u0436', u'\uFF21', u'\uFF15'}) {
    EXPECT_TRUE(isWordUnit(u)) << static_cast<int>(u);
  }
  for (char16_t u : {u' ', u'.', u'-', u'\u00D7', u'\u4E2D', u'\u3002', u'\uFF0C', u'\r'}) {
    EXPECT_FALSE(isWordUnit(u)) << static_cast<int>(u);
  }
}

}  // namespace
}  // namespace qnv::commands
