#include <gtest/gtest.h>

#include "settings/ProfileCheck.h"

namespace qnv::settings {
namespace {

const Profile kBefore = {
    {"设置", {"长=500", "宽=600", "字体名称=楷体"}},
    {"最近文件", {"1=C:\\a.qnv"}},
};

TEST(ProfileCheck, OnlyTheWrittenKeyMayChange) {
  struct Case {
    const char* name;
    Profile before, after;
    bool ok;
  } cases[] = {
      {"a changed value", kBefore, {{"设置", {"长=720", "宽=600", "字体名称=楷体"}}, {"最近文件", {"1=C:\\a.qnv"}}}, true},
      {"a new key", {{"设置", {"宽=600"}}}, {{"设置", {"宽=600", "长=720"}}}, true},
      {"a new section", {{"其它", {"x=1"}}}, {{"其它", {"x=1"}}, {"设置", {"长=720"}}}, true},
      {"a new file", {}, {{"设置", {"长=720"}}}, true},
      {"blanks and letter case", {{"Settings", {"Len = 1"}}}, {{"SETTINGS", {"len=720"}}}, false},
      {"cut short: a later key lost", kBefore, {{"设置", {"长=720", "宽=600"}}}, false},
      {"cut short: a later section lost", kBefore, {{"设置", {"长=720", "宽=600", "字体名称=楷体"}}}, false},
      {"cut short: the value written empty", kBefore, {{"设置", {"长=", "宽=600", "字体名称=楷体"}}, {"最近文件", {"1=C:\\a.qnv"}}}, false},
      {"cut short: nothing left", kBefore, {}, false},
      {"another key changed", kBefore, {{"设置", {"长=720", "宽=601", "字体名称=楷体"}}, {"最近文件", {"1=C:\\a.qnv"}}}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(onlyKeyChanged(c.before, c.after, "设置", "长", "720"), c.ok) << c.name;
  EXPECT_TRUE(onlyKeyChanged({{"Settings", {"Len = 1"}}}, {{"SETTINGS", {"len=720"}}}, "settings", "LEN", " 720"))
      << "section names and keys as the INI service compares them";
}

}  // namespace
}  // namespace qnv::settings
