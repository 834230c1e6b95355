// The formatting commands on the editor box's selection and insertion point, read back
// through the box and through the RTF it writes.
#include <gtest/gtest.h>

#include <richedit.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/win/CommandBindings.h"
#include "support/EditorFixture.h"
#include "support/RtfText.h"
#include "support/WinTestSupport.h"
#include "ui/win/ColourPicker.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using commands::CommandId;
using test::switchesOn;
using ui::CharFormat;
using ui::kAlignCentre;
using ui::kAlignLeft;
using ui::kAlignRight;
using ui::kAutomaticColour;
using ui::kBold;
using ui::kItalic;
using ui::kProtected;
using ui::kStrikeOut;
using ui::kUnderline;
using ui::ParaFormat;

using Command = std::function<void(EditorWindow&)>;

// A command run as the key and the menu run it.
Command by(CommandId id) {
  return [id](EditorWindow& w) { runCommand(w, id); };
}

constexpr uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;

// A document with two fonts and blue (1) and red (2) in its colour table.
std::string document(const std::string& body) {
  return "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil Arial;}{\\f1\\fnil Courier New;}}"
         "{\\colortbl ;\\red0\\green0\\blue255;\\red255\\green0\\blue0;}" +
         body + "}";
}

class Formatting : public test::EditorFixture {
 protected:
  void SetUp() override {
    ClipCursor(nullptr);
    EditorFixture::SetUp();
    open({}, true);
  }
  void TearDown() override {
    window->fontColourPicker().closePalette();
    EditorFixture::TearDown();
  }

  ui::EditorBox& box() { return window->editorBox(); }
  void load(const std::string& body) { box().setContext(document(body)); }
  void select(int from, int to) { SendMessageW(box().hwnd(), EM_SETSEL, from, to); }
  CharFormat formatAt(int index) {
    select(index, index + 1);
    return box().selectionCharFormat();
  }
  void expectUniform(int from, int to, const CharFormat& expected, const std::string& what) {
    for (int i = from; i < to; ++i) {
      const CharFormat f = formatAt(i);
      EXPECT_EQ(f.fontName, expected.fontName) << what << ", character " << i;
      EXPECT_EQ(f.size, expected.size) << what << ", character " << i;
      EXPECT_EQ(f.effects, expected.effects) << what << ", character " << i;
      EXPECT_EQ(f.colour, expected.colour) << what << ", character " << i;
    }
  }
  void typeAtCaret(const std::wstring& text) {
    SendMessageW(box().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  // The selection's colour, set through the box (stream-in gives uncoloured text the
  // default format's colour).
  void setColour(uint32_t colour) {
    CharFormat f = box().selectionCharFormat();
    f.colour = colour;
    box().setSelectionCharFormat(f);
  }
  int alignmentOfParagraph(int characterIndex) {
    select(characterIndex, characterIndex);
    return box().paraFormat().alignment;
  }

};

TEST_F(Formatting, CharacterCommandsOnASelection) {
  struct Case {
    const char* name;
    std::string body;
    Command command;
    uint32_t effects;                   // of every selected character afterwards
    int size;                           // 0: as before
    std::vector<std::string> switched;  // control words the RTF switches on
    std::vector<std::string> absent;    // control words it no longer switches on
    uint32_t givenEffects = 0;          // set on the text through the box before the command
  } cases[] = {
      {"bold on italic gives bold italic", "\\f0\\fs24\\i abcd\\i0\\par", by(CommandId::ToggleBold), kBold | kItalic, 0,
       {"b", "i"}, {}},
      {"bold on bold italic gives italic", "\\f0\\fs24\\b\\i abcd\\b0\\i0\\par", by(CommandId::ToggleBold), kItalic, 0, {"i"}, {"b"}},
      {"underline on struck-through text keeps the strike-out", "\\f0\\fs24\\strike abcd\\strike0\\par", by(CommandId::ToggleUnderline),
       kUnderline | kStrikeOut, 0, {"ul", "strike"}, {}},
      {"underline twice removes it again", "\\f0\\fs24\\ul abcd\\ulnone\\par",
       [](EditorWindow& w) {
         runCommand(w, CommandId::ToggleUnderline);
         runCommand(w, CommandId::ToggleUnderline);
       },
       kUnderline, 0, {"ul"}, {}},
      {"strike-through twice stays struck through", "\\f0\\fs24\\b abcd\\b0\\par",
       [](EditorWindow& w) {
         runCommand(w, CommandId::ApplyStrikeThrough);
         runCommand(w, CommandId::ApplyStrikeThrough);
       },
       kBold | kStrikeOut, 0, {"b", "strike"}, {}},
      {"protected text keeps its bit through bold", "\\f0\\fs24 abcd\\par", by(CommandId::ToggleBold), kBold | kProtected, 0,
       {"b", "protect"}, {}, kProtected},
      {"protected text keeps its bit through underline", "\\f0\\fs24 abcd\\par", by(CommandId::ToggleUnderline),
       kUnderline | kProtected, 0, {"ul", "protect"}, {}, kProtected},
      {"protected text keeps its bit through strike-through", "\\f0\\fs24 abcd\\par", by(CommandId::ApplyStrikeThrough),
       kStrikeOut | kProtected, 0, {"strike", "protect"}, {}, kProtected},
      {"protected text keeps its bit through highlight", "\\f0\\fs24 abcd\\par", by(CommandId::ApplyHighlight), kProtected, 0,
       {"protect"}, {}, kProtected},
      {"10.5 points come out as 10", "\\f0\\fs21 abcd\\fs24\\par", by(CommandId::ToggleBold), kBold, 10, {"b", "fs20"}, {"fs21"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(c.body);
    if (c.givenEffects) {
      select(0, 4);
      CharFormat given = box().selectionCharFormat();
      given.effects |= c.givenEffects;
      box().setSelectionCharFormat(given);
      ASSERT_EQ(formatAt(0).effects & c.givenEffects, c.givenEffects);
    }
    const CharFormat paragraphMark = formatAt(4);
    select(0, 4);
    c.command(*window);
    const CharFormat first = formatAt(0);
    EXPECT_EQ(first.effects, c.effects);
    if (c.size) EXPECT_EQ(first.size, c.size);
    expectUniform(0, 4, first, c.name);
    EXPECT_EQ(formatAt(4), paragraphMark) << "the paragraph mark is not selected";
    const std::string rtf = box().context();
    for (const std::string& word : c.switched) EXPECT_TRUE(switchesOn(rtf, word)) << word << " in " << rtf;
    for (const std::string& word : c.absent) EXPECT_FALSE(switchesOn(rtf, word)) << word << " in " << rtf;
  }
}

TEST_F(Formatting, EveryCharacterCommandMakesAMixedSelectionUniform) {
  // Bold Arial 10 in automatic colour, then Courier New 16 in blue, then italic red.
  const std::string body = "\\f0\\fs20\\b ab\\b0\\f1\\fs32\\cf1 cd\\cf2\\i ef\\i0\\cf0\\f0\\fs20  rest\\par";
  appState().highlightColour = kGreen;
  struct Case {
    const char* name;
    Command command;
    uint32_t effectsFlipped;
    uint32_t effectsSet;
    std::optional<uint32_t> colour;
    bool opensFontDialog = false;
  } cases[] = {
      {"bold", by(CommandId::ToggleBold), kBold, 0, std::nullopt},
      {"underline", by(CommandId::ToggleUnderline), kUnderline, 0, std::nullopt},
      {"strike-through", by(CommandId::ApplyStrikeThrough), 0, kStrikeOut, std::nullopt},
      {"highlight", by(CommandId::ApplyHighlight), 0, 0, kGreen},
      {"font dialog cancelled", by(CommandId::ChooseFont), 0, 0, std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load(body);
    select(0, 6);
    CharFormat expected = box().selectionCharFormat();  // what the box reports for the mixture
    expected.effects = (expected.effects ^ c.effectsFlipped) | c.effectsSet;
    if (c.colour) expected.colour = *c.colour;
    if (c.opensFontDialog) prompts.cancelFontDialog();
    select(0, 6);
    c.command(*window);
    expectUniform(0, 6, expected, c.name);
    EXPECT_EQ(formatAt(7).fontName, "Arial") << "text outside the selection keeps its format";
  }
}

TEST_F(Formatting, HighlightUsesTheHighlightColourOrRedForBlack) {
  struct Case {
    const char* name;
    uint32_t highlight;
    uint32_t expected;
    const char* rtfColour;
  } cases[] = {
      {"no colour chosen (0) gives red", 0, kRed, "\\red255\\green0\\blue0"},
      {"green", kGreen, kGreen, "\\red0\\green255\\blue0"},
      {"a mixed colour", 0x336699, 0x336699, "\\red153\\green102\\blue51"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    appState().highlightColour = c.highlight;
    load("\\f0\\fs24\\cf1 abcd\\par");
    select(1, 3);
    runCommand(*window, CommandId::ApplyHighlight);
    EXPECT_EQ(formatAt(1).colour, c.expected);
    EXPECT_EQ(formatAt(2).colour, c.expected);
    EXPECT_EQ(formatAt(0).colour, kBlue);
    EXPECT_EQ(formatAt(3).colour, kBlue);
    const std::string rtf = box().context();
    EXPECT_NE(rtf.find(c.rtfColour), std::string::npos) << rtf;
  }
}

TEST_F(Formatting, AtTheInsertionPointCommandsFormatTheTextTypedNext) {
  appState().highlightColour = kGreen;
  struct Case {
    const char* name;
    Command command;
    uint32_t effects;
    uint32_t colour;
  } cases[] = {
      {"bold", by(CommandId::ToggleBold), kBold, kBlue},
      {"underline", by(CommandId::ToggleUnderline), kUnderline, kBlue},
      {"strike-through", by(CommandId::ApplyStrikeThrough), kStrikeOut, kBlue},
      {"highlight", by(CommandId::ApplyHighlight), 0, kGreen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load("\\f0\\fs24\\cf1 abcd\\par");
    select(2, 2);
    c.command(*window);
    const int before = box().textLength();
    typeAtCaret(L"XY");
    EXPECT_EQ(box().textLength(), before + 2);
    for (int i : {2, 3}) {
      const CharFormat f = formatAt(i);
      EXPECT_EQ(f.effects, c.effects) << "typed character " << i;
      EXPECT_EQ(f.colour, c.colour) << "typed character " << i;
    }
    for (int i : {0, 1, 4, 5}) {
      const CharFormat f = formatAt(i);
      EXPECT_EQ(f.effects, 0u) << "old character " << i;
      EXPECT_EQ(f.colour, kBlue) << "old character " << i;
    }
  }
}

TEST_F(Formatting, AlignmentChangesEveryParagraphTheSelectionTouches) {
  // Paragraphs: "one" 0-3, "two" 4-7, "three" 8-13.
  struct Case {
    const char* name;
    const char* startAlignment;
    Command command;
    int from, to;
    int expected[3];
    const char* rtfWord;
  } cases[] = {
      {"centre across two paragraphs", "", by(CommandId::AlignCentre), 1, 5, {kAlignCentre, kAlignCentre, kAlignLeft}, "\\qc"},
      {"right across all three", "", by(CommandId::AlignRight), 2, 10, {kAlignRight, kAlignRight, kAlignRight}, "\\qr"},
      {"left from right", "\\qr", by(CommandId::AlignLeft), 5, 9, {kAlignRight, kAlignLeft, kAlignLeft}, "\\ql"},
      {"centre at the insertion point", "", by(CommandId::AlignCentre), 9, 9, {kAlignLeft, kAlignLeft, kAlignCentre}, "\\qc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string a = c.startAlignment;
    load("\\f0\\fs24" + a + " one\\par" + a + " two\\par" + a + " three\\par");
    select(c.from, c.to);
    c.command(*window);
    EXPECT_EQ(alignmentOfParagraph(1), c.expected[0]);
    EXPECT_EQ(alignmentOfParagraph(5), c.expected[1]);
    EXPECT_EQ(alignmentOfParagraph(10), c.expected[2]);
    const std::string rtf = box().context();
    if (std::string(c.rtfWord) != "\\ql") EXPECT_NE(rtf.find(c.rtfWord), std::string::npos) << rtf;
  }
}

TEST_F(Formatting, AlignmentWritesTheIndentsBackInWholePoints) {
  // Start indent 10.5 points, right indent 20 points.
  load("\\f0\\fs24\\li210\\ri400 indented\\par");
  select(0, 0);
  runCommand(*window, CommandId::AlignRight);
  const ParaFormat f = box().paraFormat();
  EXPECT_EQ(f.alignment, kAlignRight);
  EXPECT_EQ(f.startIndent, 10);
  EXPECT_EQ(f.rightIndent, 20);
  const std::string rtf = box().context();
  EXPECT_EQ(rtf.find("210"), std::string::npos) << "no half point is left: " << rtf;
  EXPECT_NE(rtf.find("\\ri400"), std::string::npos) << rtf;
}

TEST_F(Formatting, ChooseFontIsPresetFromTheSelectionAndIgnoresEffects) {
  load("\\f1\\fs28\\cf1\\i abcd\\par");
  select(0, 4);
  prompts.fontChoices.push_back([](ui::FontDialogValues& v) {
    v.fontName = L"Arial";
    v.size = 20;
    v.colour = kGreen;
    v.bold = true;
    v.underline = true;
    v.italic = false;
    return true;
  });
  runCommand(*window, CommandId::ChooseFont);
  ASSERT_EQ(prompts.fontDialogsShown.size(), 1u);
  const ui::FontDialogValues& shown = prompts.fontDialogsShown[0];
  EXPECT_EQ(shown.fontName, L"Courier New");
  EXPECT_EQ(shown.size, 14);
  EXPECT_EQ(shown.colour, kBlue);

  CharFormat expected = formatAt(0);
  EXPECT_EQ(expected.fontName, "Arial");
  EXPECT_EQ(expected.size, 20);
  EXPECT_EQ(expected.colour, kGreen);
  EXPECT_EQ(expected.effects, kItalic) << "the dialog's effects are not applied";
  expectUniform(0, 4, expected, "after OK");
  const std::string rtf = box().context();
  EXPECT_NE(rtf.find("\\fs40"), std::string::npos) << rtf;
}

TEST_F(Formatting, ChooseFontCancelledGivesTheSelectionItsOwnValuesBack) {
  // 10.5-point Chinese text with a Chinese face name: it comes back as 10 points.
  load("{\\fonttbl{\\f2\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f2\\fs21\\cf2\\b \\'d6\\'d0\\'ce\\'c4\\par");
  select(0, 2);
  prompts.fontChoices.push_back([](ui::FontDialogValues& v) {
    v.bold = false;  // what the user ticked does not matter: the dialog was cancelled
    return false;
  });
  runCommand(*window, CommandId::ChooseFont);
  ASSERT_EQ(prompts.fontDialogsShown.size(), 1u);
  EXPECT_EQ(prompts.fontDialogsShown[0].fontName, L"宋体");
  EXPECT_EQ(prompts.fontDialogsShown[0].size, 10);
  EXPECT_EQ(prompts.fontDialogsShown[0].colour, kRed);
  const CharFormat f = formatAt(0);
  EXPECT_EQ(f.fontName, "宋体");
  EXPECT_EQ(f.size, 10);
  EXPECT_EQ(f.colour, kRed);
  EXPECT_EQ(f.effects, kBold);
  expectUniform(0, 2, f, "after Cancel");
}

TEST_F(Formatting, ChooseFontKeepsTheAutomaticColourThroughCancel) {
  load("\\f0\\fs24 abcd\\par");
  select(0, 4);
  setColour(kAutomaticColour);
  ASSERT_EQ(box().selectionCharFormat().colour, kAutomaticColour);
  prompts.cancelFontDialog();
  runCommand(*window, CommandId::ChooseFont);
  EXPECT_EQ(prompts.fontDialogsShown.at(0).colour, kAutomaticColour);
  EXPECT_EQ(formatAt(1).colour, kAutomaticColour);
}

class PaletteAtPointer : public Formatting {
 protected:
  // Puts the pointer at `client` in the editor window's client area.
  POINT pointerAt(POINT client) {
    POINT screen = client;
    ClientToScreen(window->hwnd(), &screen);
    SetCursorPos(screen.x, screen.y);
    EXPECT_TRUE(test::pumpUntil([&] {
      POINT actual{};
      GetCursorPos(&actual);
      return actual.x == screen.x && actual.y == screen.y;
    })) << "the pointer has moved";
    return screen;
  }

  void clickCell(int item) {
    ui::ColourPicker& picker = window->fontColourPicker();
    const RECT r = picker.itemRect(item);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND palette = picker.paletteWindow();
    SendMessageW(palette, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(palette, WM_LBUTTONUP, 0, at);
  }
};

TEST_F(PaletteAtPointer, PickTextColourOpensThePaletteAtThePointerAndAppliesTheChoice) {
  load("\\f0\\fs24\\cf1 abcd\\cf0  rest\\par");
  select(0, 4);
  const POINT screen = pointerAt({120, 90});
  ui::ColourPicker& picker = window->fontColourPicker();
  runCommand(*window, CommandId::PickTextColour);

  EXPECT_EQ(picker.colour(), kBlue) << "the picker starts from the selection's colour";
  EXPECT_EQ(picker.left(), 120);
  EXPECT_EQ(picker.top(), 90);
  EXPECT_FALSE(picker.isVisible()) << "only the palette is ever seen";
  HWND palette = picker.paletteWindow();
  ASSERT_NE(palette, nullptr) << "open when the command has returned";
  RECT drop;
  GetWindowRect(palette, &drop);
  EXPECT_EQ(drop.left, screen.x);
  EXPECT_EQ(drop.top, screen.y + 24);
  EXPECT_EQ(formatAt(0).colour, kBlue) << "nothing changes before a choice";

  select(0, 4);
  const auto presets = ui::ColourPicker::presetColours();
  clickCell(11);
  EXPECT_EQ(picker.paletteWindow(), nullptr);
  expectUniform(0, 4, [&] {
    CharFormat f = formatAt(0);
    EXPECT_EQ(f.colour, presets[11]);
    return f;
  }(), "after the choice");
  EXPECT_EQ(formatAt(5).colour, kAutomaticColour);
}

TEST_F(PaletteAtPointer, AutomaticColourEscapeAndTheSameColourAgain) {
  // Automatic colour in the first half, red in the second.
  load("\\f0\\fs24 ab\\cf2 cd\\par");
  select(0, 2);
  setColour(kAutomaticColour);
  pointerAt({40, 40});
  ui::ColourPicker& picker = window->fontColourPicker();

  select(0, 2);
  runCommand(*window, CommandId::PickTextColour);
  EXPECT_EQ(picker.colour(), kAutomaticColour);
  ASSERT_NE(picker.paletteWindow(), nullptr);
  SendMessageW(picker.paletteWindow(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(picker.paletteWindow(), nullptr);
  EXPECT_EQ(formatAt(0).colour, kAutomaticColour) << "Esc changes nothing";

  // Red chosen for the whole run: the part that is red already is rewritten too, and a
  // mixed selection ends up in one colour.
  select(2, 4);
  runCommand(*window, CommandId::PickTextColour);
  EXPECT_EQ(picker.colour(), kRed);
  EXPECT_EQ(picker.selectedItem(), 16);
  select(0, 4);
  SendMessageW(picker.paletteWindow(), WM_KEYDOWN, VK_RETURN, 1);
  expectUniform(0, 4, formatAt(3), "same colour chosen again");
  EXPECT_EQ(formatAt(0).colour, kRed);
}

}  // namespace
}  // namespace qnv::app
