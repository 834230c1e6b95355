// The installer as a user meets it: a silent install for the current user, the installed
// editor started from where it was installed (its settings go to the user's AppData), then
// a silent uninstall that removes what was installed and nothing else. The test command
// builds the installer first and names it in QNV_INSTALLER.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "ProductInfo.h"
#include "e2e/Driver.h"
#include "settings/AssociationPlan.h"
#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::e2e {
namespace {

namespace fs = std::filesystem;

const std::wstring kProduct = ui::widen(QNV_PRODUCT_NAME);
const std::wstring kUninstallKey = ui::widen(QNV_UNINSTALL_KEY);
constexpr wchar_t kClasses[] = L"Software\\Classes";

fs::path knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  fs::path out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) out = path;
  CoTaskMemFree(path);
  return out;
}

fs::path installFolder() { return knownFolder(FOLDERID_LocalAppData) / L"Programs" / kProduct; }
fs::path installedProgram() { return installFolder() / L"qnv.exe"; }
fs::path shortcut() { return knownFolder(FOLDERID_Programs) / (kProduct + L".lnk"); }
fs::path userSettings() { return knownFolder(FOLDERID_RoamingAppData) / kProduct / L"配置.ini"; }

std::optional<std::wstring> textValue(const std::wstring& key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof buffer - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

std::optional<DWORD> numberValue(const std::wstring& key, const wchar_t* name) {
  DWORD value = 0, bytes = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool keyExists(const std::wstring& key) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  RegCloseKey(raw);
  return true;
}

void setText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring classesKey(const std::string& key) { return std::wstring(kClasses) + L"\\" + ui::widen(key); }

// Runs a command line; its exit code, or nullopt when it did not end in time.
std::optional<DWORD> run(std::wstring commandLine, std::chrono::milliseconds deadline = 120s) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return std::nullopt;
  }
  const ui::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  if (WaitForSingleObject(pi.hProcess, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

// What the installer and the settings window register for .qnv documents.
settings::AssociationPlan associationOf(const fs::path& program) {
  const std::string path = ui::narrow(program.wstring());
  return settings::planFileType(path, "qnv", path, "qnv", "qnv", [](std::string_view) { return std::string(); });
}

class Package : public testing::Test {
 protected:
  void SetUp() override {
    const char* installer = std::getenv("QNV_INSTALLER");
    ASSERT_TRUE(installer) << "QNV_INSTALLER names the installer to test";
    installer_ = test::hostPathToWindows(installer);
    ASSERT_TRUE(fs::exists(installer_)) << ui::narrow(installer_.wstring());
    removeEverything();  // what an earlier run that stopped half-way left
  }
  void TearDown() override { removeEverything(); }

  void removeEverything() {
    std::error_code ignored;
    fs::remove_all(installFolder(), ignored);
    fs::remove(shortcut(), ignored);
    fs::remove_all(userSettings().parent_path(), ignored);
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, classesKey("qnv").c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, classesKey(".qnv").c_str());
  }

  void install() {
    EXPECT_EQ(run(L"\"" + installer_.wstring() + L"\" /S"), 0u);
    ASSERT_TRUE(fs::exists(installedProgram()));
  }

  // The uninstaller copies itself away and returns at once; the work is done when its entry
  // has gone.
  void uninstall() {
    const std::optional<std::wstring> quiet = textValue(kUninstallKey, L"QuietUninstallString");
    ASSERT_TRUE(quiet);
    EXPECT_EQ(run(*quiet), 0u);
    EXPECT_TRUE(waitFor([] { return !keyExists(kUninstallKey) && !fs::exists(installedProgram()); }, 60s));
  }

  fs::path installer_;
};

TEST_F(Package, InstallsForTheUserRunsAndUninstallsWhatItInstalled) {
  // Something of the user's in the document type's key, which the uninstall must leave.
  setText(classesKey(".qnv"), L"Content Type", L"text/rtf");

  install();
  for (const wchar_t* name : {L"qnv.exe", L"README.md", L"LICENSE.txt", L"THIRD-PARTY-NOTICES.txt", L"卸载.exe"}) {
    EXPECT_TRUE(fs::exists(installFolder() / name)) << ui::narrow(name);
  }
  EXPECT_TRUE(fs::exists(shortcut()));
  const std::wstring folder = installFolder().wstring();
  EXPECT_EQ(textValue(kUninstallKey, L"DisplayName"), kProduct);
  EXPECT_EQ(textValue(kUninstallKey, L"DisplayVersion"), ui::widen(QNV_VERSION_TEXT));
  EXPECT_EQ(textValue(kUninstallKey, L"Publisher"), ui::widen(QNV_PUBLISHER));
  EXPECT_EQ(textValue(kUninstallKey, L"InstallLocation"), folder);
  EXPECT_EQ(textValue(kUninstallKey, L"UninstallString"), L"\"" + folder + L"\\卸载.exe\"");
  // "关联 .qnv 文件" is chosen unless the user unticks it: the settings window's values.
  for (const settings::RegistryOperation& op : associationOf(installedProgram())) {
    SCOPED_TRACE(op.key + " " + op.valueName);
    const std::wstring name = ui::widen(op.valueName);
    if (op.kind == settings::RegistryOperation::Kind::SetNumber) {
      EXPECT_EQ(numberValue(classesKey(op.key), name.empty() ? nullptr : name.c_str()), op.number);
    } else {
      EXPECT_EQ(textValue(classesKey(op.key), name.empty() ? nullptr : name.c_str()), ui::widen(op.text));
    }
  }

  {
    // The installed editor keeps its settings in the user's AppData, not where it is installed.
    Session editor(installedProgram());
    editor.start();
    ASSERT_TRUE(editor.editorWindow());
    editor.requestClose();
    EXPECT_EQ(editor.waitForExit(), 0u);
  }
  EXPECT_TRUE(fs::exists(userSettings()));
  EXPECT_EQ(GetPrivateProfileIntW(L"设置", L"宽", 0, userSettings().c_str()), 600u);
  EXPECT_FALSE(fs::exists(installFolder() / L"配置.ini"));

  // A document the user kept in the program's folder.
  test::writeFileBytes(installFolder() / L"我的笔记.qnv", "{\\rtf1 note}");

  uninstall();
  EXPECT_FALSE(fs::exists(shortcut()));
  std::vector<std::wstring> left;
  for (const auto& entry : fs::directory_iterator(installFolder())) left.push_back(entry.path().filename().wstring());
  EXPECT_EQ(left, std::vector<std::wstring>{L"我的笔记.qnv"}) << "only what the user put there stays";
  EXPECT_TRUE(fs::exists(userSettings())) << "the settings stay";
  EXPECT_FALSE(keyExists(classesKey("qnv"))) << "the registration opened the installed program: it goes";
  EXPECT_EQ(textValue(classesKey(".qnv"), nullptr), std::nullopt);
  EXPECT_EQ(textValue(classesKey(".qnv"), L"Content Type"), L"text/rtf") << "the user's own value stays";
}

TEST_F(Package, AnotherProgramsRegistrationOutlivesTheUninstall) {
  install();
  const std::wstring other = L"\"C:\\其它\\editor.exe\" \"%1\"";
  setText(classesKey("qnv\\Shell\\Open\\Command"), nullptr, other);
  uninstall();
  EXPECT_FALSE(fs::exists(installFolder()));
  EXPECT_EQ(textValue(classesKey("qnv\\Shell\\Open\\Command"), nullptr), other);
  EXPECT_EQ(textValue(classesKey(".qnv"), nullptr), L"qnv");
}

}  // namespace
}  // namespace qnv::e2e
