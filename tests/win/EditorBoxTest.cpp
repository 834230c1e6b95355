// The EditorBox's values over the real RichEdit control.
#include <gtest/gtest.h>

#include <richedit.h>

#include "support/WinTestSupport.h"
#include "ui/CodePage.h"
#include "ui/win/EditorBox.h"
#include "ui/win/Text.h"
#include "ui/win/Window.h"

namespace qnv::ui {
namespace {

class Host : public ui::Window {};

class EditorBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.create({L"宿主", 10, 10, 400, 300}));
    ASSERT_TRUE(box.create(host.hwnd(), 100, 0, 0, 380, 260, nullptr));
  }
  void select(int from, int to) { SendMessageW(box.hwnd(), EM_SETSEL, from, to); }

  Host host;
  ui::EditorBox box;
};

TEST_F(EditorBoxTest, ContextTypeIsClampedToPlainOrRich) {
  struct Case {
    int written, stored;
  } cases[] = {{-5, 0}, {0, 0}, {1, 1}, {2, 1}, {1000, 1}};
  for (const Case& c : cases) {
    box.setContextType(c.written);
    EXPECT_EQ(box.contextType(), c.stored) << "written " << c.written;
  }
}

TEST_F(EditorBoxTest, ContextStreamsRtfOrTextAndTakesHeaderlessTextAsPlain) {
  box.setContextType(1);
  box.setContext("\xD6\xD0\xCE\xC4 plain, no header");  // 中文
  EXPECT_EQ(box.textLength(), 19);
  box.setContextType(0);
  EXPECT_EQ(box.context(), "\xD6\xD0\xCE\xC4 plain, no header");

  box.setContextType(1);
  box.setContext("{\\rtf1\\ansi\\ansicpg936 \\b bold\\b0  text}");
  select(0, 1);
  EXPECT_TRUE(box.selectionCharFormat().effects & kBold);
  const std::string rtf = box.context();
  EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u);
  EXPECT_EQ(rtf.back(), '}') << "no terminator after the document";
  box.setContext(rtf);
  box.setContextType(0);
  EXPECT_EQ(box.context(), "bold text");
}

TEST_F(EditorBoxTest, CharFormatCarriesAllFiveFields) {
  box.setContext("abcdef");
  select(0, 3);
  const CharFormat written{"楷体", 14, 2, kBold | kItalic | kUnderline | kStrikeOut | kProtected, 0x0000FF};
  box.setSelectionCharFormat(written);
  EXPECT_EQ(box.selectionCharFormat(), written);

  // The automatic colour and a plain format.
  const CharFormat automatic{"宋体", 9, 0, 0, kAutomaticColour};
  select(3, 6);
  box.setSelectionCharFormat(automatic);
  EXPECT_EQ(box.selectionCharFormat(), automatic);

  // Sizes read back in whole points: 10.5 points (half-points 21) reads as 10.
  box.setContext("{\\rtf1\\ansi \\fs21 half}");
  select(0, 2);
  EXPECT_EQ(box.selectionCharFormat().size, 10);

  // A face name longer than 31 bytes takes effect cut, never split inside a character.
  select(0, 2);
  box.setSelectionCharFormat({std::string(40, 'A'), 12, 0, 0, 0});
  EXPECT_EQ(box.selectionCharFormat().fontName, std::string(31, 'A'));

  // Sizes and offsets beyond the control's range are brought into it, not multiplied past it.
  box.setSelectionCharFormat({"宋体", 107374183, 107374183, 0, 0});
  EXPECT_EQ(box.selectionCharFormat().size, kMaximumFontSize);
  EXPECT_EQ(box.selectionCharFormat().offset, kMaximumFontSize);
}

TEST_F(EditorBoxTest, ParaFormatAlignmentRules) {
  box.setContext("one\r\ntwo\r\nthree");
  struct Case {
    int written, read;
  } cases[] = {{kAlignLeft, 1}, {kAlignCentre, 2}, {kAlignRight, 3}, {0, 1}, {7, 1}};
  for (const Case& c : cases) {
    select(0, 5);  // touches the first two paragraphs
    ParaFormat p = box.paraFormat();
    p.alignment = c.written;
    p.startIndent = 10;
    box.setParaFormat(p);
    EXPECT_EQ(box.paraFormat().alignment, c.read) << "written " << c.written;
    EXPECT_EQ(box.paraFormat().startIndent, 10);
    select(5, 5);
    EXPECT_EQ(box.paraFormat().alignment, c.read) << "second paragraph, written " << c.written;
  }
  // Justified text (set by RTF) reads as left.
  box.setContext("{\\rtf1\\ansi \\qj justified\\par}");
  select(0, 0);
  EXPECT_EQ(box.paraFormat().alignment, kAlignLeft);
}

TEST_F(EditorBoxTest, HasNoLengthLimit) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "0123456789\r\n";
  box.setContextType(0);
  box.setContext(big);
  EXPECT_GT(box.textLength(), 200000);
  SendMessageW(box.hwnd(), EM_SETSEL, -1, -1);
  SendMessageW(box.hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"more"));
  const std::string out = box.context();
  EXPECT_EQ(out.substr(out.size() - 4), "more");
}

// Text in the ANSI code page whose double-byte characters all begin at an odd offset, so
// that any chunk of an even size ends inside one.
std::string oddlyPlacedChineseText() {
  const std::string line = toAnsi(L"中文笔记，这里是一些汉字。") + "\r\n";
  std::string text = "a";
  while (text.size() < 40000) text += line;
  return text;
}

TEST_F(EditorBoxTest, PlainTextReachesTheControlInWholeCharacters) {
  const std::string text = oddlyPlacedChineseText();
  box.setContextType(EditorBox::kPlainText);
  EXPECT_TRUE(box.setContext(text));
  EXPECT_EQ(box.context(), text);
  EXPECT_EQ(box.textLength(), static_cast<int>(fromAnsi(text).size()));
  // A document that ends with a lead byte keeps it as the control takes it.
  EXPECT_TRUE(box.setContext("abc\xB1"));
  EXPECT_EQ(box.textLength(), 4);
}

TEST_F(EditorBoxTest, TheLeadByteRuleIsTheSystems) {
  for (const unsigned codePage : {932u, 936u, 949u, 950u, 1252u, GetACP()}) {
    if (!IsValidCodePage(codePage)) continue;
    for (int b = 0; b < 256; ++b) {
      EXPECT_EQ(isLeadByte(codePage, static_cast<unsigned char>(b)), IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b)) != 0)
          << "code page " << codePage << ", byte " << b;
    }
  }
}

TEST_F(EditorBoxTest, DamagedRtfIsReportedAndWhatWasReadStays) {
  EXPECT_FALSE(box.setContext("{\\rtf1\\ansi readable part\\'"));
  box.setContextType(EditorBox::kPlainText);
  EXPECT_EQ(box.context(), "readable part");
}

TEST_F(EditorBoxTest, PlainTextTellsWhetherCharactersWereLost) {
  struct Case {
    const char* name;
    std::wstring text;
    bool lost;
  } cases[] = {
      {"Chinese and ASCII", L"中文 ASCII，标点。", false},
      {"Latin with tones as GBK has them", L"p\u0101 p\u00E9", false},
      {"Korean", L"中\uAC00", true},
      {"outside the basic plane", L"\U0001F600", true},
      {"a character GBK only has a look-alike for", L"\u00C0", true},
  };
  for (const Case& c : cases) {
    box.setContextType(EditorBox::kRichText);
    SetWindowTextW(box.hwnd(), c.text.c_str());
    box.setContextType(EditorBox::kPlainText);
    bool lost = !c.lost;
    const std::string bytes = box.context(&lost);
    EXPECT_EQ(lost, c.lost) << c.name;
    EXPECT_EQ(bytes, box.context()) << c.name << ": the same bytes as the control's own plain text";
  }
  box.setContextType(EditorBox::kRichText);
  bool lost = true;
  box.context(&lost);
  EXPECT_FALSE(lost) << "RTF keeps every character";
}

}  // namespace
}  // namespace qnv::ui
