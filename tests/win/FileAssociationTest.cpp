#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "files/win/ModulePath.h"
#include "settings/win/FileAssociation.h"
#include "support/ScriptedPrompts.h"
#include "ui/win/Prompts.h"

namespace qnv::settings {
namespace {

// A classes key of its own for each test under HKEY_CURRENT_USER, removed afterwards.
class TestClassesKey {
 public:
  explicit TestClassesKey(DWORD options = REG_OPTION_NON_VOLATILE) {
    static int counter = 0;
    path_ = L"Software\\qnv-tests\\classes-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    key_ = key;
  }
  ~TestClassesKey() {
    if (key_) RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  TestClassesKey(const TestClassesKey&) = delete;
  TestClassesKey& operator=(const TestClassesKey&) = delete;

  const std::wstring& path() const { return path_; }
  HKEY key() const { return key_; }

  bool exists(const std::wstring& subKey) const {
    HKEY k = nullptr;
    if (RegOpenKeyExW(key_, subKey.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }

  struct Value {
    DWORD type = 0;
    std::wstring text;
    DWORD number = 0;
    DWORD bytes = 0;
  };
  std::optional<Value> read(const std::wstring& subKey, const wchar_t* valueName = nullptr) const {
    Value v;
    BYTE data[4096] = {};
    v.bytes = sizeof data;
    if (RegGetValueW(key_, subKey.c_str(), valueName, RRF_RT_ANY | RRF_NOEXPAND, &v.type, data, &v.bytes) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (v.type == REG_DWORD && v.bytes == sizeof(DWORD)) v.number = *reinterpret_cast<DWORD*>(data);
    if (v.type == REG_SZ) v.text = reinterpret_cast<const wchar_t*>(data);
    return v;
  }

  void setText(const std::wstring& subKey, const std::wstring& text) const {
    ASSERT_EQ(RegSetKeyValueW(key_, subKey.c_str(), nullptr, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

void expectText(const TestClassesKey& classes, const std::wstring& subKey, const std::wstring& expected,
                const char* what) {
  const auto value = classes.read(subKey);
  ASSERT_TRUE(value.has_value()) << what;
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << what;
  EXPECT_EQ(value->text, expected) << what;
  // Texts are stored with their terminating zero.
  EXPECT_EQ(value->bytes, (expected.size() + 1) * sizeof(wchar_t)) << what;
}

TEST(FileAssociation, RegistrationWritesTheFiveValues) {
  struct Case {
    const char* name;
    std::wstring programPath;
    std::wstring extensions;
    std::wstring iconPath;
    std::wstring expectedIcon;
  } cases[] = {
      {"a path with blanks and Chinese", L"C:\\Program Files\\qnv 编辑器\\qnv.exe", L"qnv", L"",
       L"C:\\Program Files\\qnv 编辑器\\qnv.exe,0"},
      {"two extensions and an icon of its own", L"C:\\Tools\\editor.exe", L"qnv|txt", L"D:\\图标\\doc.ico",
       L"D:\\图标\\doc.ico,0"},
  };
  for (const Case& c : cases) {
    TestClassesKey classes;
    classes.setText(L".qnv", L"otherprogram.document");  // an earlier association is overwritten
    EXPECT_TRUE(registerFileType(c.programPath, c.extensions, c.iconPath, L"qnv 文档", L"qnv", classes.path()))
        << c.name;

    expectText(classes, L"qnv", L"qnv 文档", c.name);
    const auto flags = classes.read(L"qnv", L"EditFlags");
    ASSERT_TRUE(flags.has_value()) << c.name;
    EXPECT_EQ(flags->type, static_cast<DWORD>(REG_DWORD)) << c.name;
    EXPECT_EQ(flags->number, 2u) << c.name;
    expectText(classes, L"qnv\\Shell\\Open\\Command", L"\"" + c.programPath + L"\" \"%1\"", c.name);
    expectText(classes, L"qnv\\DefaultIcon", c.expectedIcon, c.name);
    expectText(classes, L".qnv", L"qnv", c.name);
    if (c.extensions == L"qnv|txt") expectText(classes, L".txt", L"qnv", c.name);
  }
}

TEST(FileAssociation, AssociateFilesRegistersThisProgramFromItsModule) {
  TestClassesKey classes;
  test::ScriptedPrompts prompts;
  associateFiles(classes.path());
  EXPECT_TRUE(prompts.messages.empty());

  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring path = module;
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(files::programModulePath(), path);
  expectText(classes, L"qnv", L"qnv", "type description");
  EXPECT_EQ(classes.read(L"qnv", L"EditFlags").value_or(TestClassesKey::Value{}).number, 2u);
  expectText(classes, L"qnv\\Shell\\Open\\Command", L"\"" + path + L"\" \"%1\"", "open command");
  expectText(classes, L"qnv\\DefaultIcon", path + L",0", "icon");
  expectText(classes, L".qnv", L"qnv", "extension");

  // Clicking again writes the same values again, without a message.
  associateFiles(classes.path());
  EXPECT_TRUE(prompts.messages.empty());
  expectText(classes, L"qnv\\Shell\\Open\\Command", L"\"" + path + L"\" \"%1\"", "open command, second time");
}

TEST(FileAssociation, BlankProgramPathRemovesTheRegisteredKeys) {
  TestClassesKey classes;
  ASSERT_TRUE(registerFileType(L"C:\\e.exe", L"qnv|txt", L"", L"文档", L"qnvfile", classes.path()));
  ASSERT_TRUE(classes.exists(L"qnvfile\\Shell\\Open\\Command"));
  classes.setText(L"otherfile", L"another type stays");

  EXPECT_TRUE(registerFileType(L"  ", L"qnv|txt", L"", L"", L"", classes.path()));
  for (const wchar_t* gone : {L"qnvfile\\DefaultIcon", L"qnvfile\\Shell\\Open\\Command", L"qnvfile\\Shell\\Open",
                              L"qnvfile\\Shell", L"qnvfile"}) {
    EXPECT_FALSE(classes.exists(gone)) << "still there";
  }
  expectText(classes, L".qnv", L"", "extension emptied");
  expectText(classes, L".txt", L"", "second extension emptied");
  expectText(classes, L"otherfile", L"another type stays", "unrelated type");
}

TEST(FileAssociation, RemovalOfAnExtensionWithoutTypeNameDeletesNothing) {
  TestClassesKey classes;
  // Keys right under the classes root that an empty type name would point at.
  classes.setText(L"DefaultIcon", L"root icon");
  classes.setText(L"Shell\\Open\\Command", L"root command");
  classes.setText(L".qnv", L"");

  EXPECT_TRUE(registerFileType(L"", L"qnv|absent", L"", L"", L"", classes.path()));
  expectText(classes, L"DefaultIcon", L"root icon", "root DefaultIcon");
  expectText(classes, L"Shell\\Open\\Command", L"root command", "root Shell");
  expectText(classes, L".qnv", L"", "extension");
}

TEST(FileAssociation, AFailingWriteShowsTheFailureMessage) {
  struct Case {
    const char* name;
    DWORD options;
    std::wstring suffix;
  } cases[] = {
      // Keys below a volatile key must be volatile too: every key the registration creates fails.
      {"keys cannot be created below the classes key", REG_OPTION_VOLATILE, L""},
      // A key name longer than 255 characters: the classes key itself cannot be opened.
      {"the classes key cannot be opened", REG_OPTION_NON_VOLATILE, L"\\" + std::wstring(300, L'x')},
  };
  for (const Case& c : cases) {
    TestClassesKey classes(c.options);
    test::ScriptedPrompts prompts;
    prompts.answers.push_back(ui::MessageAnswer::Ok);
    associateFiles(classes.path() + c.suffix);
    ASSERT_EQ(prompts.messages.size(), 1u) << c.name;
    EXPECT_EQ(prompts.messages[0].text, L"文件关联失败。") << c.name;
    EXPECT_EQ(prompts.messages[0].caption, L"信息：") << c.name;
    EXPECT_EQ(prompts.messages[0].buttons, ui::MessageButtons::Ok) << c.name;
    EXPECT_FALSE(classes.exists(L"qnv")) << c.name;
  }
}

}  // namespace
}  // namespace qnv::settings
