// Any settings value: the integer, flag and colour rules never fail, and the editor's
// start-up values stay usable whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/PathNames.h"
#include "settings/SettingsValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int32_t value = qnv::settings::parseSettingInt(text);
  if (qnv::settings::parseSettingInt(qnv::settings::formatSettingInt(value)) != value) __builtin_trap();
  (void)qnv::settings::parseSettingFlag(text);
  (void)qnv::settings::parseSettingColour(text);
  (void)qnv::app::fileNameOf(text);
  (void)qnv::app::extensionOf(text);

  // Every key holds the same fuzzed value.
  const qnv::settings::EditorSettings s =
      qnv::settings::readEditorSettings(true, [&](std::string_view) { return std::optional<std::string>(std::string(text)); });
  if (s.windowHeight < qnv::settings::kMinimumWindowHeight || s.windowWidth < qnv::settings::kMinimumWindowWidth) __builtin_trap();
  if (s.defaultFont.size < 1 || s.defaultFont.fontName.empty()) __builtin_trap();
  return 0;
}
