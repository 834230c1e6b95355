#include <gtest/gtest.h>

#include "ui/CodePage.h"

namespace qnv::ui {
namespace {

TEST(CodePage, LeadBytes) {
  struct Case {
    unsigned codePage;
    unsigned char byte;
    bool lead;
  } cases[] = {
      {936, 0x80, false}, {936, 0x81, true},  {936, 0xB1, true},  {936, 0xFE, true},  {936, 0xFF, false},
      {936, 0x40, false}, {936, 'a', false},  {950, 0x81, true},  {950, 0xFE, true},  {949, 0x81, true},
      {932, 0x81, true},  {932, 0x9F, true},  {932, 0xA0, false}, {932, 0xDF, false}, {932, 0xE0, true},
      {932, 0xFC, true},  {932, 0xFD, false}, {1361, 0x84, true}, {1361, 0xD4, false}, {1361, 0xD8, true},
      {1252, 0xB1, false}, {65001, 0xE4, false}, {0, 0xB1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isLeadByte(c.codePage, c.byte), c.lead) << c.codePage << " " << static_cast<int>(c.byte);
  }
}

TEST(CodePage, WholeCharacterPrefix) {
  // GBK: 中 is D6 D0; a trail byte can look like a lead byte (D0) or like ASCII (@ is 0x40).
  struct Case {
    const char* name;
    std::string bytes;
    unsigned codePage;
    size_t prefix;
  } cases[] = {
      {"empty", "", 936, 0},
      {"ASCII", "abc", 936, 3},
      {"whole characters", "a\xD6\xD0" "b", 936, 4},
      {"ends inside a character", "a\xD6\xD0\xCE", 936, 3},
      {"a trail byte that looks like a lead byte", "\xD6\xD0\xD6\xD0", 936, 4},
      {"a trail byte below 0x80", "\x81\x40\x81", 936, 2},
      {"only a lead byte", "\xB1", 936, 0},
      {"single-byte code page", "a\xD6\xD0\xCE", 1252, 4},
      {"Shift-JIS: a katakana byte is a whole character", "\xB1\x82", 932, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(wholeCharacterPrefix(c.bytes, c.codePage), c.prefix) << c.name;
}

}  // namespace
}  // namespace qnv::ui
