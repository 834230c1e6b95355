#include <gtest/gtest.h>

#include "app/Caption.h"
#include "app/PathNames.h"

namespace qnv::app {
namespace {

TEST(PathNames, FileNameOf) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"C:\\dir\\file.qnv", "file.qnv"}, {"file.txt", "file.txt"},   {"C:\\dir\\", ""},
      {"C:\\", ""},                       {"C:", "C:"},               {"C:file", "file"},
      {"a/b/c.rtf", "c.rtf"},             {"a\\b/", "b/"},            {"\\\\server\\share\\x", "x"},
      {"D:\\新建\\笔记.qnv", "笔记.qnv"},     {"", ""},                   {"dir\\\\name", "name"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fileNameOf(c.path), c.name) << "path: " << c.path;
  }
}

TEST(PathNames, ExtensionOf) {
  struct Case {
    const char* path;
    const char* ext;
  } cases[] = {
      {"C:\\a\\b.qnv", ".qnv"},   {"b.QNV", ".QNV"},        {"C:\\a.d\\b", ""},
      {"archive.tar.gz", ".gz"},   {"noext", ""},            {"trailing.", "."},
      {"C:\\a\\.hidden", ".hidden"}, {"name.q nv", ""},     {"my file.qnv", ".qnv"},
      {"a.b/c", ".b/c"},           {"笔记.qnv", ".qnv"},      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extensionOf(c.path), c.ext) << "path: " << c.path;
  }
}

TEST(Caption, Texts) {
  EXPECT_EQ(captionText("", ""), "\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:");
  EXPECT_EQ(captionText("笔记.qnv", "12"), "笔记.qnv\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:12");
  EXPECT_EQ(kDesignedCaption, "\xE3\x80\x80\xE3\x80\x80qvn-编辑器");
}

}  // namespace
}  // namespace qnv::app
