#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace qnv::app {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, Splitting) {
  struct Case {
    const char* line;
    Args args;
  } cases[] = {
      {"", {}},
      {"qnv.exe", {}},
      {"qnv.exe   ", {}},
      {"\"C:\\Program Files\\qnv.exe\"", {}},
      {"\"C:\\Program Files\\qnv.exe\" a.qnv", {"a.qnv"}},
      {"\"C:\\Program Files\\qnv.exe\"a.qnv", {"a.qnv"}},
      {"qnv.exe a b  c", {"a", "b", "c"}},
      {"qnv.exe \"C:\\my docs\\笔记 一.qnv\"", {"C:\\my docs\\笔记 一.qnv"}},
      {"qnv.exe C:\\my docs\\note.qnv", {"C:\\my", "docs\\note.qnv"}},
      {"qnv.exe \"unbalanced path", {"unbalanced path"}},
      {"qnv.exe a\"b c\"", {"a", "b c"}},
      {"qnv.exe \"\"", {""}},
      {"qnv.exe \t\x01\x1f x", {"x"}},
      {"\"unclosed program name", {}},
      {"qnv.exe 中文\xe3\x80\x80路径", {"中文\xe3\x80\x80路径"}},  // U+3000 is not a separator
  };
  for (const Case& c : cases) {
    EXPECT_EQ(splitCommandLine(c.line), c.args) << "line: " << c.line;
  }
}

TEST(CommandLine, DocumentPathIsTheLastArgument) {
  EXPECT_EQ(documentPathFrom("qnv.exe"), "");
  EXPECT_EQ(documentPathFrom("qnv.exe one two"), "two");
  EXPECT_EQ(documentPathFrom("qnv.exe \"D:\\新 建\\文档.qnv\""), "D:\\新 建\\文档.qnv");
  EXPECT_EQ(documentPathFrom("qnv.exe x \"\""), "");
  std::string many = "qnv.exe";
  for (int i = 0; i < 10000; ++i) many += " arg" + std::to_string(i);
  EXPECT_EQ(documentPathFrom(many), "arg9999");
  std::string longPath(100000, 'p');
  EXPECT_EQ(documentPathFrom("qnv.exe " + longPath), longPath);
}

}  // namespace
}  // namespace qnv::app
