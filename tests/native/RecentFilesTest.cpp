#include <gtest/gtest.h>

#include <map>

#include "settings/RecentFiles.h"

namespace qnv::settings {
namespace {

using List = std::vector<std::string>;

// Paths compared as the tests need: ASCII letters without regard to case.
bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

TEST(RecentFiles, MostRecentFirstWithoutDuplicatesAtMostTen) {
  List ten;
  for (int i = 1; i <= 10; ++i) ten.push_back("C:\\d\\" + std::to_string(i) + ".qnv");
  struct Case {
    const char* name;
    List before;
    std::string path;
    List after;
  } cases[] = {
      {"first entry", {}, "C:\\a.qnv", {"C:\\a.qnv"}},
      {"goes on top", {"C:\\a.qnv"}, "C:\\b.qnv", {"C:\\b.qnv", "C:\\a.qnv"}},
      {"moves up, not twice", {"C:\\a.qnv", "C:\\b.qnv", "C:\\c.qnv"}, "C:\\b.qnv",
       {"C:\\b.qnv", "C:\\a.qnv", "C:\\c.qnv"}},
      {"same file in other letter case: the new spelling stays", {"C:\\Notes\\A.qnv", "C:\\b.qnv"}, "c:\\notes\\a.QNV",
       {"c:\\notes\\a.QNV", "C:\\b.qnv"}},
      {"the oldest drops off", ten, "C:\\new.qnv",
       {"C:\\new.qnv", ten[0], ten[1], ten[2], ten[3], ten[4], ten[5], ten[6], ten[7], ten[8]}},
      {"a listed one moves up, none drops", ten, ten[9],
       {ten[9], ten[0], ten[1], ten[2], ten[3], ten[4], ten[5], ten[6], ten[7], ten[8]}},
      {"Chinese paths", {"D:\\笔记\\会议.qnv"}, "D:\\笔记\\信件.txt", {"D:\\笔记\\信件.txt", "D:\\笔记\\会议.qnv"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(withRecentFile(c.before, c.path, sameIgnoringAsciiCase), c.after) << c.name;
  }
  EXPECT_EQ(withoutRecentFile({"C:\\a.qnv", "C:\\B.qnv", "C:\\c.qnv"}, "c:\\b.qnv", sameIgnoringAsciiCase),
            (List{"C:\\a.qnv", "C:\\c.qnv"}));
  EXPECT_EQ(withoutRecentFile({"C:\\a.qnv"}, "C:\\x.qnv", sameIgnoringAsciiCase), (List{"C:\\a.qnv"}));
}

TEST(RecentFiles, ReadFromTheKeysInOrder) {
  struct Case {
    const char* name;
    std::map<std::string, std::string> keys;
    List expected;
  } cases[] = {
      {"none", {}, {}},
      {"in key order", {{"2", "C:\\b"}, {"1", "C:\\a"}, {"3", "C:\\c"}}, {"C:\\a", "C:\\b", "C:\\c"}},
      {"gaps and empty values skipped", {{"1", ""}, {"4", "C:\\d"}, {"10", "C:\\j"}}, {"C:\\d", "C:\\j"}},
      {"a duplicate keeps its first place", {{"1", "C:\\a"}, {"2", "C:\\B"}, {"3", "c:\\A"}}, {"C:\\a", "C:\\B"}},
      {"keys beyond 10 ignored", {{"1", "C:\\a"}, {"11", "C:\\k"}, {"0", "C:\\z"}}, {"C:\\a"}},
  };
  for (const Case& c : cases) {
    const auto read = [&](std::string_view key) -> std::optional<std::string> {
      const auto it = c.keys.find(std::string(key));
      if (it == c.keys.end()) return std::nullopt;
      return it->second;
    };
    EXPECT_EQ(readRecentFiles(read, sameIgnoringAsciiCase), c.expected) << c.name;
  }
  EXPECT_EQ(recentFileKey(0), "1");
  EXPECT_EQ(recentFileKey(9), "10");
}

}  // namespace
}  // namespace qnv::settings
