#pragma once
// The format records exchanged with the EditorBox, and colour conventions.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qnv::ui {

// Colours are 0x00BBGGRR; this value stands for the automatic colour (the system's
// text colour for characters, the window colour for the background).
inline constexpr uint32_t kAutomaticColour = 0xFF000000u;

enum CharEffect : uint32_t {
  kBold = 1,
  kItalic = 2,
  kUnderline = 4,
  kStrikeOut = 8,
  kProtected = 16,
};

// The largest font size the rich-text control takes, in points (32,760 twips).
inline constexpr int32_t kMaximumFontSize = 1638;

// A font size brought into 1..kMaximumFontSize, so that converting it to twips or pixels
// cannot overflow.
constexpr int32_t clampFontSize(int32_t points) {
  return points < 1 ? 1 : (points > kMaximumFontSize ? kMaximumFontSize : points);
}

struct CharFormat {
  std::string fontName = "宋体";  // UTF-8; only the first 31 bytes in the ANSI code page take effect
  int32_t size = 9;               // whole points
  int32_t offset = 0;             // baseline offset in points; positive raises the text
  uint32_t effects = 0;           // CharEffect bits
  uint32_t colour = kAutomaticColour;

  bool operator==(const CharFormat&) const = default;
};

enum Alignment : int32_t { kAlignLeft = 1, kAlignCentre = 2, kAlignRight = 3 };

struct ParaFormat {
  int32_t bullet = 0;  // non-zero: bulleted
  int32_t startIndent = 0;
  int32_t subsequentOffset = 0;
  int32_t rightIndent = 0;
  int32_t alignment = kAlignLeft;

  bool operator==(const ParaFormat&) const = default;
};

// A run of the document's characters, [start, end), in the control's character positions
// (UTF-16 code units; a paragraph break counts as one).
struct TextRange {
  size_t start = 0;
  size_t end = 0;
  bool operator==(const TextRange&) const = default;
};

}  // namespace qnv::ui
