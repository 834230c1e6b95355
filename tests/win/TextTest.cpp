// Reasons shown in messages: the system's words, ours for common file errors the system has
// no words for, the number only when nobody has words.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/win/Text.h"

namespace qnv::ui {
namespace {

TEST(SystemMessage, ReasonsInWords) {
  EXPECT_EQ(systemMessage(ERROR_FILE_TOO_LARGE), L"文件太大。") << "the system has no text for it under Wine";
  for (const unsigned long error : {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_DISK_FULL, ERROR_PATH_NOT_FOUND}) {
    const std::wstring text = systemMessage(error);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find(L"错误代码"), std::wstring::npos) << error;
    EXPECT_NE(text.back(), L'\n');
  }
  EXPECT_EQ(systemMessage(0x2000FFFF), L"错误代码 536936447");
}

}  // namespace
}  // namespace qnv::ui
