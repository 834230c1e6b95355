#include "settings/SettingsValues.h"

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>

namespace qnv::settings {
namespace {

// Full-width forms in UTF-8: digits U+FF10..U+FF19, plus U+FF0B, minus U+FF0D,
// and the ideographic blank U+3000.
constexpr unsigned char kFullWidthLead0 = 0xEF, kFullWidthLead1 = 0xBC;

// Returns the ASCII form of the character at `pos` and its length in bytes.
std::pair<char, size_t> asciiFormAt(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  if (pos + 3 <= text.size()) {
    if (byte(pos) == kFullWidthLead0 && byte(pos + 1) == kFullWidthLead1) {
      const unsigned char last = byte(pos + 2);
      if (last >= 0x90 && last <= 0x99) return {static_cast<char>('0' + (last - 0x90)), 3};
      if (last == 0x8B) return {'+', 3};
      if (last == 0x8D) return {'-', 3};
    }
    if (byte(pos) == 0xE3 && byte(pos + 1) == 0x80 && byte(pos + 2) == 0x80) return {' ', 3};
  }
  return {text[pos], 1};
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

int32_t parseSettingInt(std::string_view text) {
  size_t pos = 0;
  auto [c, len] = pos < text.size() ? asciiFormAt(text, pos) : std::pair<char, size_t>{'\0', 0};
  while (pos < text.size() && isBlank(c)) {
    pos += len;
    if (pos < text.size()) std::tie(c, len) = asciiFormAt(text, pos);
  }
  bool negative = false;
  if (pos < text.size() && (c == '+' || c == '-')) {
    negative = c == '-';
    pos += len;
  }
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  while (pos < text.size()) {
    std::tie(c, len) = asciiFormAt(text, pos);
    if (c < '0' || c > '9') break;
    if (value < kLimit) value = value * 10 + (c - '0');
    pos += len;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::string formatSettingInt(int32_t value) { return std::to_string(value); }

bool parseSettingFlag(std::string_view text) { return text == kFlagTrue; }

std::string_view formatSettingFlag(bool value) { return value ? kFlagTrue : kFlagFalse; }

uint32_t parseSettingColour(std::string_view text) { return static_cast<uint32_t>(parseSettingInt(text)); }

std::string formatSettingColour(uint32_t colour) { return formatSettingInt(static_cast<int32_t>(colour)); }

bool parseStrongProtection(std::string_view text) { return text == kStrongProtection; }

std::string_view formatStrongProtection(bool strong) { return strong ? kStrongProtection : kCompatibleProtection; }

namespace {

struct KeyReader {
  const SettingReader& read;
  bool flag(std::string_view k, bool fallback) const {
    auto v = read(k);
    return v ? parseSettingFlag(*v) : fallback;
  }
  int32_t integer(std::string_view k, int32_t fallback) const {
    auto v = read(k);
    return v ? parseSettingInt(*v) : fallback;
  }
  uint32_t colour(std::string_view k, uint32_t fallback) const {
    auto v = read(k);
    return v ? parseSettingColour(*v) : fallback;
  }
  std::string text(std::string_view k, std::string_view fallback) const {
    auto v = read(k);
    return v && !v->empty() ? *v : std::string(fallback);
  }
};

uint32_t effectsOf(const FontSettings& font) {
  uint32_t effects = 0;
  if (font.bold) effects |= ui::kBold;
  if (font.italic) effects |= ui::kItalic;
  if (font.underline) effects |= ui::kUnderline;
  if (font.strikeOut) effects |= ui::kStrikeOut;
  return effects;
}

}  // namespace

FontSettings readFontSettings(const SettingReader& read) {
  const KeyReader keys{read};
  FontSettings font;
  font.bold = keys.flag(key::kBold, false);
  font.italic = keys.flag(key::kItalic, false);
  font.underline = keys.flag(key::kUnderline, false);
  font.strikeOut = keys.flag(key::kStrikeOut, false);
  font.size = keys.integer(key::kFontSize, kDefaultFontSize);
  // Brought into the control's range before anything multiplies it.
  font.size = font.size < 1 ? kDefaultFontSize : std::min(font.size, ui::kMaximumFontSize);
  font.fontName = keys.text(key::kFontName, kDefaultFontName);
  return font;
}

EditorSettings readEditorSettings(bool fileExists, const SettingReader& read) {
  EditorSettings s;
  s.defaultFont.offset = 0;
  if (!fileExists) {
    s.windowHeight = kDefaultWindowHeight;
    s.windowWidth = kDefaultWindowWidth;
    s.defaultFont.fontName = std::string(kDefaultFontName);
    s.defaultFont.colour = kDefaultTextColour;
    s.defaultFont.size = kDefaultFontSize;
    s.defaultFont.effects = 0;
    return s;
  }
  const KeyReader keys{read};
  const FontSettings font = readFontSettings(read);
  s.defaultFont.effects = effectsOf(font);
  s.defaultFont.size = font.size;
  s.defaultFont.fontName = font.fontName;
  s.defaultFont.colour = keys.colour(key::kTextColour, kDefaultTextColour);
  s.highlightColour = keys.colour(key::kHighlightColour, kDefaultHighlightColour);
  s.backgroundColour = keys.colour(key::kBackgroundColour, kDefaultBackgroundColour);
  s.windowHeight = std::max(keys.integer(key::kHeight, kDefaultWindowHeight), kMinimumWindowHeight);
  s.windowWidth = std::max(keys.integer(key::kWidth, kDefaultWindowWidth), kMinimumWindowWidth);
  return s;
}

}  // namespace qnv::settings
