#include <gtest/gtest.h>

#include "settings/SettingsLocation.h"

namespace qnv::settings {
namespace {

TEST(SettingsLocation, ChoosesWhereTheFileLives) {
  constexpr SettingsChoice beside{SettingsPlace::BesideProgram, false};
  constexpr SettingsChoice user{SettingsPlace::UserFolder, false};
  constexpr SettingsChoice besideThenUser{SettingsPlace::BesideProgram, true};
  struct Case {
    const char* name;
    SettingsFacts facts;  // installed, writable beside, file beside, file in the user folder
    SettingsChoice choice;
  } cases[] = {
      {"installed", {true, false, false, false}, user},
      {"installed into a folder that can be written", {true, true, true, false}, user},
      {"installed, with an old file beside the program", {true, false, true, true}, user},
      {"portable, writable folder", {false, true, false, false}, beside},
      {"portable, writable, file beside", {false, true, true, false}, beside},
      {"portable, writable, a file in the user folder as well", {false, true, true, true}, beside},
      {"read-only folder", {false, false, false, false}, user},
      {"read-only folder, a file written there before", {false, false, false, true}, user},
      {"file beside a read-only program", {false, false, true, false}, besideThenUser},
      {"file beside a read-only program, moved before", {false, false, true, true}, user},
  };
  for (const Case& c : cases) {
    const SettingsChoice got = chooseSettingsPlace(c.facts);
    EXPECT_EQ(got, c.choice) << c.name;
  }
}

}  // namespace
}  // namespace qnv::settings
