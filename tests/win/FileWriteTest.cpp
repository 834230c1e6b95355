// The system's file system behind the safe replacement, on real files under Wine: each
// operation as the replacement relies on it, folders deeper than the old path limit, and
// stale temporary files.
#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>

#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "files/win/FileWrite.h"
#include "support/EditorFixture.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::files {
namespace {

using Entry = FileSystem::Entry;

std::string utf8(const std::filesystem::path& path) { return ui::narrow(path.wstring()); }

// A folder inside `base` whose path is at least `length` characters long, made of
// components of 60 characters.
std::filesystem::path deepFolder(const std::filesystem::path& base, size_t length) {
  std::wstring path = base.wstring();
  for (int i = 0; path.size() < length; ++i) {
    path += L"\\" + std::wstring(56, static_cast<wchar_t>(L'a' + i)) + L"层" + std::to_wstring(i);
    EXPECT_TRUE(CreateDirectoryW(longPathForm(path).c_str(), nullptr)) << GetLastError();
  }
  return path;
}

// Removes a folder tree of any depth (the test folder's own clean-up stops at the old limit).
void removeTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(longPathForm(folder + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeTree(path);
      } else {
        SetFileAttributesW(longPathForm(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(longPathForm(path).c_str());
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(longPathForm(folder).c_str());
}

std::vector<std::wstring> namesIn(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(longPathForm(folder.wstring() + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.cFileName != std::wstring(L".") && found.cFileName != std::wstring(L"..")) names.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

class FileWrite : public testing::Test {
 protected:
  void TearDown() override { removeTree(dir.path().wstring()); }
  test::TempDir dir;
  SystemFileSystem fs;
};

TEST_F(FileWrite, TheOperationsTheReplacementReliesOn) {
  const std::string a = utf8(dir / L"甲.txt"), b = utf8(dir / L"乙.txt");
  EXPECT_EQ(fs.entryAt(a), Entry::kMissing);
  EXPECT_EQ(fs.entryAt(utf8(dir.path())), Entry::kFolder);

  ASSERT_EQ(fs.writeNewFile(a, "first"), 0u);
  EXPECT_EQ(fs.entryAt(a), Entry::kFile);
  EXPECT_EQ(fs.writeNewFile(a, "second"), kFileExists) << "never over an existing file";
  EXPECT_EQ(test::readFileBytes(dir / L"甲.txt"), "first");

  ASSERT_EQ(fs.writeNewFile(b, "other"), 0u);
  EXPECT_NE(fs.moveFile(a, b, false), 0u) << "no replacing unless asked";
  ASSERT_EQ(fs.moveFile(a, b, true), 0u);
  EXPECT_EQ(fs.entryAt(a), Entry::kMissing);
  EXPECT_EQ(test::readFileBytes(dir / L"乙.txt"), "first");

  // A file open elsewhere without sharing cannot be removed or replaced.
  HANDLE held = CreateFileW((dir / L"乙.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_NE(fs.removeFile(b), 0u);
  ASSERT_EQ(fs.writeNewFile(a, "new"), 0u);
  EXPECT_NE(fs.moveFile(a, b, true), 0u);
  CloseHandle(held);
  EXPECT_EQ(test::readFileBytes(dir / L"乙.txt"), "first");

  ASSERT_EQ(fs.markReadOnly(b), 0u);
  EXPECT_EQ(fs.entryAt(b), Entry::kReadOnlyFile);
  SetFileAttributesW((dir / L"乙.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(fs.removeFile(b), 0u);

  ASSERT_EQ(fs.writeNewFile(utf8(dir / L"qnv1A2B.tmp"), ""), 0u);
  CreateDirectoryW((dir / L"qnvFFFF.tmp").c_str(), nullptr);
  EXPECT_EQ(fs.namesIn(utf8(dir.path()), kTemporaryPattern), std::vector<std::string>{"qnv1A2B.tmp"})
      << "files only, by the pattern";
}

// The system's file system, with a file another program holds open until the replacement
// first waits.
class HeldUntilTheFirstPause final : public FileSystem {
 public:
  explicit HeldUntilTheFirstPause(HANDLE held) : held_(held) {}
  ~HeldUntilTheFirstPause() override { letGo(); }
  Entry entryAt(const std::string& path) override { return fs_.entryAt(path); }
  ErrorCode writeNewFile(const std::string& path, std::string_view bytes) override {
    return fs_.writeNewFile(path, bytes);
  }
  ErrorCode moveFile(const std::string& from, const std::string& to, bool replace) override {
    return fs_.moveFile(from, to, replace);
  }
  ErrorCode removeFile(const std::string& path) override { return fs_.removeFile(path); }
  ErrorCode markReadOnly(const std::string& path) override { return fs_.markReadOnly(path); }
  std::vector<std::string> namesIn(const std::string& folder, std::string_view pattern) override {
    return fs_.namesIn(folder, pattern);
  }
  uint32_t firstNameNumber() override { return fs_.firstNameNumber(); }
  void pause(std::chrono::milliseconds duration) override {
    ++pauses;
    letGo();
    fs_.pause(duration);
  }
  int pauses = 0;

 private:
  void letGo() {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
  }
  SystemFileSystem fs_;
  HANDLE held_;
};

TEST_F(FileWrite, AFileAnotherProgramReadsForAMomentIsStillReplaced) {
  // Even a reader that shares everything keeps the system from renaming over the file.
  const std::filesystem::path path = dir / L"笔记.qnv";
  test::writeFileBytes(path, "old");
  HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HeldUntilTheFirstPause held(reader);
  const ReplaceResult result = files::replaceFileContents(held, utf8(path), "new");
  EXPECT_EQ(result.error, 0u);
  EXPECT_EQ(held.pauses, 1) << "refused while it was open";
  EXPECT_EQ(test::readFileBytes(path), "new");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::wstring>{L"笔记.qnv"});
}

TEST_F(FileWrite, LongPathForms) {
  const std::wstring here = std::filesystem::current_path().wstring();
  struct Case {
    std::wstring path, form;
  } cases[] = {
      {L"C:\\a\\b.txt", L"\\\\?\\C:\\a\\b.txt"},
      {L"C:/a/./x/../b.txt", L"\\\\?\\C:\\a\\b.txt"},
      {L"\\\\server\\share\\b.txt", L"\\\\?\\UNC\\server\\share\\b.txt"},
      {L"\\\\?\\C:\\a\\b.txt", L"\\\\?\\C:\\a\\b.txt"},
      {L"b.txt", L"\\\\?\\" + here + (here.back() == L'\\' ? L"" : L"\\") + L"b.txt"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(longPathForm(c.path), c.form) << ui::narrow(c.path);
}

TEST_F(FileWrite, ReplacesFilesInFoldersOfAnyDepth) {
  for (const size_t length : {size_t{250}, size_t{300}, size_t{600}}) {
    SCOPED_TRACE(length);
    const std::filesystem::path base = dir.path() / std::to_wstring(length);
    std::filesystem::create_directory(base);
    const std::filesystem::path folder = deepFolder(base, length);
    const std::wstring target = folder.wstring() + L"\\笔记.qnv";
    ASSERT_EQ(replaceFileContents(target, "first").error, 0u) << "a new file";
    const ReplaceResult again = replaceFileContents(target, "second");
    ASSERT_EQ(again.error, 0u) << "over the old one";
    EXPECT_EQ(readWholeFile(target, 100).bytes, "second");
    const FileHead head = readFileHead(target, 3);
    EXPECT_EQ(head.size, 6u);
    EXPECT_EQ(head.bytes, "sec");
    EXPECT_EQ(namesIn(folder), std::vector<std::wstring>{L"笔记.qnv"}) << "nothing left beside it";
  }
}

TEST_F(FileWrite, StaleTemporaryFilesGoAtTheNextSaveInTheirFolder) {
  for (const wchar_t* name : {L"qnv1A2B.tmp", L"qnvbeef.tmp", L"QNV7.TMP"}) test::writeFileBytes(dir / name, "partial");
  test::writeFileBytes(dir / L"qnvC0DE.tmp", "kept by a failed save");
  SetFileAttributesW((dir / L"qnvC0DE.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
  test::writeFileBytes(dir / L"notes.tmp", "the user's");
  HANDLE busy = CreateFileW((dir / L"qnvAAAA.tmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(busy, INVALID_HANDLE_VALUE) << "a save of another copy of the program, under way";

  ASSERT_EQ(replaceFileContents((dir / L"文档.txt").wstring(), "text").error, 0u);
  CloseHandle(busy);
  EXPECT_EQ(namesIn(dir.path()),
            (std::vector<std::wstring>{L"notes.tmp", L"qnvAAAA.tmp", L"qnvC0DE.tmp", L"文档.txt"}));
  SetFileAttributesW((dir / L"qnvC0DE.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

class DeepSave : public test::EditorFixture {
 protected:
  void TearDown() override {
    EditorFixture::TearDown();
    removeTree(dir.path().wstring());
  }
};

TEST_F(DeepSave, CtrlSInAFolderDeeperThanTheOldLimit) {
  const std::filesystem::path folder = deepFolder(dir.path(), 270);
  const std::wstring document = folder.wstring() + L"\\深层笔记.txt";
  ASSERT_EQ(replaceFileContents(document, "\xD6\xD0\xCE\xC4").error, 0u);
  app::EditorWindow& w = open(document);
  EXPECT_EQ(plainText(), "\xD6\xD0\xCE\xC4");
  SendMessageW(w.editorBox().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"，深"));
  ASSERT_TRUE(app::saveDocument(w));
  const std::string saved = readWholeFile(document, 1 << 20).bytes;
  EXPECT_EQ(saved, w.editorBox().context());
  EXPECT_EQ(namesIn(folder), std::vector<std::wstring>{L"深层笔记.txt"});
}

}  // namespace
}  // namespace qnv::files
