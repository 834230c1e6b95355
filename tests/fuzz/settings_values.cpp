// Any settings value: the integer, flag and colour rules never fail, and the editor's
// start-up values stay usable whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/PathNames.h"
#include "app/SettingsValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int32_t value = qnv::parseSettingInt(text);
  if (qnv::parseSettingInt(qnv::formatSettingInt(value)) != value) __builtin_trap();
  (void)qnv::parseSettingFlag(text);
  (void)qnv::parseSettingColour(text);
  (void)qnv::fileNameOf(text);
  (void)qnv::extensionOf(text);

  // Every key holds the same fuzzed value.
  const qnv::EditorSettings s =
      qnv::readEditorSettings(true, [&](std::string_view) { return std::optional<std::string>(std::string(text)); });
  if (s.windowHeight < qnv::kMinimumWindowHeight || s.windowWidth < qnv::kMinimumWindowWidth) __builtin_trap();
  if (s.defaultFont.size < 1 || s.defaultFont.fontName.empty()) __builtin_trap();
  return 0;
}
