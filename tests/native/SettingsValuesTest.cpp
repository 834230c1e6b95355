#include <gtest/gtest.h>

#include <map>

#include "settings/SettingsValues.h"

namespace qnv::settings {
namespace {

using ui::CharFormat;
using ui::kAutomaticColour;
using ui::kBold;
using ui::kItalic;
using ui::kStrikeOut;

TEST(SettingsValues, IntegerRule) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"", 0},          {"600", 600},          {"  42", 42},          {"\t-7x", -7},
      {"+15", 15},      {"abc", 0},            {"12abc34", 12},       {"-", 0},
      {"0012", 12},     {"１２３", 123},         {"－５", -5},          {"＋８", 8},
      {"\u3000\u30009", 9}, {"\u3000－１２a", -12}, {"1 2", 1},        {"-16777216", -16777216},
      {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
      {"2147483648", 2147483647}, {"-2147483648", -2147483647 - 1},
      {"\xEF\xBC", 0},  // a cut full-width character is not a digit
      {"5\xEF\xBC\x90", 50}, {"- 5", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseSettingInt(c.text), c.expected) << "text: \"" << c.text << "\"";
  }
}

TEST(SettingsValues, FlagsAndColoursRoundTrip) {
  EXPECT_TRUE(parseSettingFlag("真"));
  for (const char* text : {"", "假", "true", "1", "真 ", " 真", "真真"}) {
    EXPECT_FALSE(parseSettingFlag(text)) << text;
  }
  EXPECT_EQ(formatSettingFlag(true), "真");
  EXPECT_EQ(formatSettingFlag(false), "假");

  EXPECT_EQ(formatSettingColour(0xFFFFFF), "16777215");
  EXPECT_EQ(formatSettingColour(kAutomaticColour), "-16777216");
  EXPECT_EQ(parseSettingColour("-16777216"), kAutomaticColour);
  EXPECT_EQ(parseSettingColour("255"), 255u);
  EXPECT_EQ(formatSettingInt(-3), "-3");
}

TEST(SettingsValues, OnlyStrongNamesTheStrongProtectedFormat) {
  EXPECT_TRUE(parseStrongProtection("强"));
  // Missing (read as empty), "兼容" and anything else keep the legacy format.
  for (const char* text : {"", "兼容", "真", "强 ", " 强", "强加密", "强强"}) {
    EXPECT_FALSE(parseStrongProtection(text)) << text;
  }
  EXPECT_EQ(formatStrongProtection(true), "强");
  EXPECT_EQ(formatStrongProtection(false), "兼容");
}

SettingReader readerOf(const std::map<std::string, std::string>& values, std::vector<std::string>* order = nullptr) {
  return [values, order](std::string_view k) -> std::optional<std::string> {
    if (order) order->emplace_back(k);
    auto it = values.find(std::string(k));
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
}

TEST(SettingsValues, WithoutFileTheBuiltInValuesApplyAndNothingIsRead) {
  std::vector<std::string> order;
  EditorSettings s = readEditorSettings(false, readerOf({}, &order));
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(s.windowHeight, 500);
  EXPECT_EQ(s.windowWidth, 600);
  EXPECT_EQ(s.defaultFont, (CharFormat{"微软雅黑", 11, 0, 0, 0xFFFFFF}));
  EXPECT_EQ(s.highlightColour, 0u);
  EXPECT_EQ(s.backgroundColour, 0u);
}

TEST(SettingsValues, FileValuesAreReadInOrderWithItalic) {
  std::vector<std::string> order;
  EditorSettings s = readEditorSettings(true, readerOf({{"加粗", "真"},
                                                         {"倾斜", "真"},
                                                         {"下划线", "假"},
                                                         {"删除线", "真"},
                                                         {"字体大小", "14"},
                                                         {"字体名称", "楷体"},
                                                         {"字体色", "-16777216"},
                                                         {"高亮色", "65280"},
                                                         {"背景色", "4473924"},
                                                         {"长", "700"},
                                                         {"宽", "900"}},
                                                        &order));
  EXPECT_EQ(order, (std::vector<std::string>{"加粗", "倾斜", "下划线", "删除线", "字体大小", "字体名称", "字体色",
                                             "高亮色", "背景色", "长", "宽"}));
  EXPECT_EQ(s.defaultFont, (CharFormat{"楷体", 14, 0, kBold | kItalic | kStrikeOut, kAutomaticColour}));
  EXPECT_EQ(s.highlightColour, 65280u);
  EXPECT_EQ(s.backgroundColour, 0x444444u);
  EXPECT_EQ(s.windowHeight, 700);
  EXPECT_EQ(s.windowWidth, 900);
}

TEST(SettingsValues, MissingKeysAndOddValuesFallBackToUsableOnes) {
  // An existing but empty file: every key takes its no-file value.
  EditorSettings empty = readEditorSettings(true, readerOf({}));
  EXPECT_EQ(empty.windowHeight, 500);
  EXPECT_EQ(empty.windowWidth, 600);
  EXPECT_EQ(empty.defaultFont, (CharFormat{"微软雅黑", 11, 0, 0, 0xFFFFFF}));

  // Present but unusable values: tiny or negative sizes are raised, an empty name is replaced.
  EditorSettings odd = readEditorSettings(
      true, readerOf({{"长", "0"}, {"宽", "-40"}, {"字体大小", "0"}, {"字体名称", ""}, {"字体色", "junk"}}));
  EXPECT_EQ(odd.windowHeight, 150);
  EXPECT_EQ(odd.windowWidth, 200);
  EXPECT_EQ(odd.defaultFont.size, 11);
  EXPECT_EQ(odd.defaultFont.fontName, "微软雅黑");
  EXPECT_EQ(odd.defaultFont.colour, 0u) << "a present colour is used as read";

  EditorSettings huge = readEditorSettings(true, readerOf({{"长", "99999999999"}, {"字体大小", "-5"}}));
  EXPECT_EQ(huge.windowHeight, 2147483647);
  EXPECT_EQ(huge.defaultFont.size, 11);

  // Sizes beyond what the control takes are brought down before anything multiplies them.
  for (const char* size : {"1639", "107374183", "99999999999"}) {
    EXPECT_EQ(readEditorSettings(true, readerOf({{"字体大小", size}})).defaultFont.size, 1638) << size;
    EXPECT_EQ(readFontSettings(readerOf({{"字体大小", size}})).size, 1638) << size;
  }
  EXPECT_EQ(readFontSettings(readerOf({{"字体大小", "1638"}})).size, 1638);
}

TEST(SettingsValues, FontSettingsForTheSettingsWindow) {
  FontSettings f = readFontSettings(readerOf({{"倾斜", "真"}, {"字体大小", "20"}}));
  EXPECT_FALSE(f.bold);
  EXPECT_TRUE(f.italic);
  EXPECT_EQ(f.size, 20);
  EXPECT_EQ(f.fontName, "微软雅黑");
}

}  // namespace
}  // namespace qnv::settings
