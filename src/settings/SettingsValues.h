#pragma once
// Value rules of the settings file 配置.ini (section "设置") and the editor's start-up
// values derived from it. Strings are UTF-8; the Win32 side converts at the file.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/Formats.h"

namespace qnv::settings {

inline constexpr std::string_view kSettingsSection = "设置";
inline constexpr std::string_view kSettingsFileName = "配置.ini";

namespace key {
inline constexpr std::string_view kHeight = "长";
inline constexpr std::string_view kWidth = "宽";
inline constexpr std::string_view kBold = "加粗";
inline constexpr std::string_view kItalic = "倾斜";
inline constexpr std::string_view kUnderline = "下划线";
inline constexpr std::string_view kStrikeOut = "删除线";
inline constexpr std::string_view kFontSize = "字体大小";
inline constexpr std::string_view kFontName = "字体名称";
inline constexpr std::string_view kTextColour = "字体色";
inline constexpr std::string_view kHighlightColour = "高亮色";
inline constexpr std::string_view kBackgroundColour = "背景色";
inline constexpr std::string_view kProtectionFormat = "加密方式";
}  // namespace key

inline constexpr std::string_view kFlagTrue = "真";
inline constexpr std::string_view kFlagFalse = "假";

// Integer rule: leading blanks skipped, then an optional sign and decimal digits up to the
// first other character; no digits gives 0. Full-width digits and signs and the
// ideographic blank count as their ASCII forms. Values beyond 32 bits saturate.
int32_t parseSettingInt(std::string_view text);
std::string formatSettingInt(int32_t value);

// Flag rule: true only for exactly "真".
bool parseSettingFlag(std::string_view text);
std::string_view formatSettingFlag(bool value);

// Colours are stored as the signed integer of their 0x00BBGGRR value.
uint32_t parseSettingColour(std::string_view text);
std::string formatSettingColour(uint32_t colour);

// The protected format F1 writes: "强" is the strong format; "兼容", any other value and a
// missing key are the legacy one, which every copy of the editor can open.
inline constexpr std::string_view kStrongProtection = "强";
inline constexpr std::string_view kCompatibleProtection = "兼容";
bool parseStrongProtection(std::string_view text);
std::string_view formatStrongProtection(bool strong);

// Reads one key: its value, or nullopt when the key is missing.
using SettingReader = std::function<std::optional<std::string>(std::string_view key)>;

// The values used when there is no settings file, and for any key the file lacks.
inline constexpr int32_t kDefaultWindowHeight = 500;
inline constexpr int32_t kDefaultWindowWidth = 600;
inline constexpr int32_t kMinimumWindowHeight = 150;
inline constexpr int32_t kMinimumWindowWidth = 200;
inline constexpr int32_t kDefaultFontSize = 11;
inline constexpr std::string_view kDefaultFontName = "微软雅黑";
inline constexpr uint32_t kDefaultTextColour = 0xFFFFFF;
inline constexpr uint32_t kDefaultHighlightColour = 0;
inline constexpr uint32_t kDefaultBackgroundColour = 0;
// The highlight command's colour while none is chosen (0), and the colour the settings
// window's highlight picker shows then: pure red.
inline constexpr uint32_t kFallbackHighlightColour = 255;

// What the editor window takes from the settings at start-up.
struct EditorSettings {
  ui::CharFormat defaultFont;
  uint32_t highlightColour = kDefaultHighlightColour;
  uint32_t backgroundColour = kDefaultBackgroundColour;
  int32_t windowHeight = 0;
  int32_t windowWidth = 0;
};

// Reads the editor's values in the file's documented order. Without a file every value is
// the built-in one; with a file, a missing key takes the built-in value too, a window
// smaller than 200 x 150 is raised to that, a font size below 1 becomes 11 and one above
// ui::kMaximumFontSize becomes that.
EditorSettings readEditorSettings(bool fileExists, const SettingReader& read);

// The default font's settings as the settings window shows them (no window size).
struct FontSettings {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int32_t size = kDefaultFontSize;
  std::string fontName{kDefaultFontName};
};
FontSettings readFontSettings(const SettingReader& read);

}  // namespace qnv::settings
