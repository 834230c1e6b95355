#pragma once
// The settings file 配置.ini beside the executable, section "设置", read and written key by
// key through the system's INI service at the moment a value is needed or changes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/SettingsValues.h"

namespace qnv {

std::wstring settingsPath();
// Points the settings file elsewhere (tests); an empty path restores the default.
void setSettingsPath(std::wstring path);

bool settingsExist();

// The key's value, or nullopt when the file, the section or the key is missing.
std::optional<std::string> readSettingIfPresent(std::string_view key);
std::string readSetting(std::string_view key);
int32_t readIntSetting(std::string_view key);
bool readFlagSetting(std::string_view key);
SettingReader settingsReader();

// Each returns whether the write succeeded; callers may ignore it.
bool writeSetting(std::string_view key, std::string_view text);
bool writeIntSetting(std::string_view key, int32_t value);
bool writeFlagSetting(std::string_view key, bool value);
bool writeColourSetting(std::string_view key, uint32_t colour);

}  // namespace qnv
