// Journeys through recovery: text typed into the editor, the process killed once its
// snapshot is on disk, and the next start bringing the text back; a protected document whose
// text never shows in the recovery folder; two editors at once; several snapshots and a
// command-line document spread over editor processes.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "app/RecoverySnapshot.h"
#include "crypto/HexCodec.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/win/UserProtection.h"
#include "e2e/Driver.h"
#include "support/ProtectedFiles.h"
#include "ui/win/Text.h"

namespace qnv::e2e {
namespace {

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";

std::wstring editorText(HWND editor) { return windowText(GetDlgItem(editor, 100)); }

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder, std::string_view suffix = {}) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (ui::narrow(entry.path().filename().wstring()).ends_with(suffix)) files.push_back(entry.path());
  }
  return files;
}

// The documents of the snapshots in the folder, decrypted as their user can. The files are
// read sharing everything, so that reading never stands in the way of an editor replacing one.
std::vector<std::string> snapshotDocuments(const Session& s) {
  std::vector<std::string> documents;
  for (const auto& file : filesIn(s.recoveryFolder(), app::kSnapshotSuffix)) {
    const std::optional<std::string> plain = crypto::unprotectForUser(test::readFileBytes(file));
    if (!plain) continue;
    if (const std::optional<app::RecoverySnapshot> snapshot = app::readSnapshot(*plain)) {
      documents.push_back(snapshot->document);
    }
  }
  return documents;
}

// Waits until a snapshot in the session's folder holds `marker` (typed last), so that it holds
// everything typed before.
bool snapshotHolds(const Session& s, const std::string& marker) {
  return waitFor(
      [&] {
        const std::vector<std::string> documents = snapshotDocuments(s);
        return std::any_of(documents.begin(), documents.end(),
                           [&](const std::string& d) { return d.find(marker) != std::string::npos; });
      },
      20s);
}

// Types into a new or opened editor of the session and waits until its snapshot holds it all.
void typeAndWaitForSnapshot(const Session& s, HWND editor, const std::wstring& text, const std::string& marker) {
  s.focus(editor);
  s.typeText(text);
  ASSERT_TRUE(snapshotHolds(s, marker));
}

// Answers the recovery question of a starting editor; the question's text.
std::wstring answerQuestion(const Session& s, int button) {
  HWND box = s.waitForMessageBox(L"恢复");
  if (!box) return {};
  const std::wstring text = messageBoxText(box);
  s.clickButton(box, button);
  return text;
}

bool isQuestionFor(const std::wstring& text, const std::wstring& name) {
  return text.starts_with(L"发现未保存的内容（" + name + L"，") && text.ends_with(L"）。是否恢复？");
}

// The next start after `crashed` died: the question for the document `name` is answered Yes;
// the editor window.
HWND recoverAfter(Session& next, const Session& crashed, const std::wstring& name) {
  next.shareLocalAppDataOf(crashed);
  next.start();
  const std::wstring question = answerQuestion(next, IDYES);
  EXPECT_TRUE(isQuestionFor(question, name)) << ui::narrow(question);
  return next.editorWindow();
}

// The folder is empty once the editor has saved (no snapshot) and ended (no lock).
bool folderEmptied(const Session& s) {
  return waitFor([&] { return filesIn(s.recoveryFolder()).empty(); });
}

TEST(RecoveryJourney, ANewDocumentComesBackAfterTheProcessIsKilled) {
  Session first;
  first.start();
  HWND editor = first.editorWindow();
  ASSERT_TRUE(editor);
  first.focus(editor);
  first.typeText(L"plain 中文 ");
  first.pressChord({VK_CONTROL, 'F'});  // bold from here on
  typeAndWaitForSnapshot(first, editor, L"bold end!", "end!");
  const std::wstring typed = editorText(editor);
  first.kill();

  Session second;
  editor = recoverAfter(second, first, L"未命名");
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return editorText(editor) == typed; })) << ui::narrow(editorText(editor));
  EXPECT_EQ(typed, L"plain 中文 bold end!");
  EXPECT_EQ(windowText(editor), kTitle + std::to_wstring(typed.size()));

  // Unnamed: Ctrl+S asks for a name, and the file has the text, bold included.
  const auto target = second.folder() / L"找回.qnv";
  second.focus(editor);
  second.pressChord({VK_CONTROL, 'S'});
  HWND dialog = second.waitForCaption(L"保存为");
  ASSERT_TRUE(dialog);
  second.chooseFileInSaveDialog(dialog, target.wstring());
  ASSERT_TRUE(waitFor([&] { return test::readFileBytes(target).find("end!") != std::string::npos; }));
  const std::string rtf = test::readFileBytes(target);
  EXPECT_TRUE(switchesOn(rtf.substr(rtf.find("plain")), "b")) << rtf;
  EXPECT_NE(rtf.find("\\'d6\\'d0\\'ce\\'c4"), std::string::npos) << "中文, as the control writes it";
  EXPECT_TRUE(waitFor([&] { return filesIn(second.recoveryFolder(), app::kSnapshotSuffix).empty(); }));

  second.requestClose();
  EXPECT_EQ(second.waitForExit(), 0u);
  EXPECT_TRUE(folderEmptied(second));
}

TEST(RecoveryJourney, AnOpenedDocumentComesBackToBeSavedWhereItCameFrom) {
  Session first;
  const auto doc = first.folder() / L"日记.txt";
  test::writeFileBytes(doc, "day one");
  first.start(L"\"" + doc.wstring() + L"\"");
  HWND editor = first.editorWindow();
  ASSERT_TRUE(editor);
  SendMessageW(GetDlgItem(editor, 100), EM_SETSEL, -1, -1);
  typeAndWaitForSnapshot(first, editor, L", day two!", "two!");
  first.kill();

  Session second;
  editor = recoverAfter(second, first, L"日记.txt");
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return editorText(editor) == L"day one, day two!"; })) << ui::narrow(editorText(editor));
  EXPECT_TRUE(windowText(editor).starts_with(L"日记.txt" + kTitle));

  // Ctrl+S writes back to the file it came from, without asking.
  second.focus(editor);
  second.pressChord({VK_CONTROL, 'S'});
  EXPECT_TRUE(waitFor([&] { return test::readFileBytes(doc).find("day two!") != std::string::npos; }));
  EXPECT_TRUE(test::readFileBytes(doc).starts_with("{\\rtf"));
  second.requestClose();
  EXPECT_EQ(second.waitForExit(), 0u);
  EXPECT_TRUE(folderEmptied(second));
}

TEST(RecoveryJourney, AProtectedDocumentNeverShowsInTheFolderAndStaysProtected) {
  Session first;
  const auto doc = first.folder() / L"秘密.qnv";
  std::filesystem::copy_file(test::dataDir() / L"protected" / L"chinese-password.qnv", doc);
  first.start(L"\"" + doc.wstring() + L"\"");
  HWND unlock = first.waitForCaption(L"请输入密码解锁文件");
  ASSERT_TRUE(unlock);
  first.focus(unlock);
  first.typeText(L"密码");
  first.pressChord({VK_RETURN});
  HWND editor = first.editorWindow();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(waitFor([&] { return editorText(editor).starts_with(L"你好，世界"); }));
  SendMessageW(GetDlgItem(editor, 100), EM_SETSEL, -1, -1);
  typeAndWaitForSnapshot(first, editor, L"Secret plan 机密计划 end!", "end!");

  // Nothing in the folder shows the text: not as typed, not in the code page, not as RTF
  // escapes, not in the legacy format's scrambling.
  const std::vector<std::string> readable = {
      "Secret plan", ansi(L"机密计划"), ansi(L"你好"), "\\'bb\\'fa\\'c3\\'dc",
      std::string(reinterpret_cast<const char*>(L"Secret"), 12), crypto::hexEncode(crypto::scrambleBytes("Secret plan")),
      crypto::hexEncode(crypto::scrambleBytes(ansi(L"机密计划")))};
  const auto files = filesIn(first.recoveryFolder());
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) {
    const std::string bytes = test::readFileBytes(file);
    for (const std::string& text : readable) EXPECT_EQ(bytes.find(text), std::string::npos) << ui::narrow(file.wstring());
  }
  first.kill();

  Session second;
  editor = recoverAfter(second, first, L"秘密.qnv");
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return editorText(editor).find(L"Secret plan 机密计划 end!") != std::wstring::npos; }))
      << ui::narrow(editorText(editor));
  EXPECT_TRUE(editorText(editor).starts_with(L"你好，世界"));

  // Ctrl+S offers to keep the protection; Yes writes it protected with the same password.
  second.focus(editor);
  second.pressChord({VK_CONTROL, 'S'});
  HWND keep = second.waitForMessageBox(L"信息：");
  ASSERT_TRUE(keep);
  EXPECT_EQ(messageBoxText(keep), L"此文档原为加密文档，是否继续加密保存？");
  second.clickButton(keep, IDYES);
  std::optional<std::string> saved;
  EXPECT_TRUE(waitFor([&] {
    saved = test::unlockProtectedFile(doc, L"密码");
    return saved && saved->find("end!") != std::string::npos;
  }));
  second.requestClose();
  EXPECT_EQ(second.waitForExit(), 0u);
  EXPECT_TRUE(folderEmptied(second));
}

TEST(RecoveryJourney, ARunningEditorsSnapshotIsLeftAlone) {
  Session running;
  running.start();
  HWND editor = running.editorWindow();
  ASSERT_TRUE(editor);
  typeAndWaitForSnapshot(running, editor, L"still mine!", "mine!");
  const auto snapshot = filesIn(running.recoveryFolder(), app::kSnapshotSuffix);
  ASSERT_EQ(snapshot.size(), 1u);
  const std::string bytes = test::readFileBytes(snapshot[0]);

  // A second editor starts beside it: no question, nothing touched.
  Session beside;
  beside.shareLocalAppDataOf(running);
  beside.start();
  ASSERT_TRUE(beside.editorWindow());
  EXPECT_FALSE(beside.waitForMessageBox(L"恢复", 2s));
  EXPECT_EQ(test::readFileBytes(snapshot[0]), bytes);
  beside.requestClose();
  EXPECT_EQ(beside.waitForExit(), 0u);
  EXPECT_EQ(test::readFileBytes(snapshot[0]), bytes);

  // Once the first one is gone, the next start asks; No deletes the snapshot.
  running.kill();
  Session after;
  after.shareLocalAppDataOf(running);
  after.start();
  EXPECT_TRUE(isQuestionFor(answerQuestion(after, IDNO), L"未命名"));
  HWND empty = after.editorWindow();
  ASSERT_TRUE(empty);
  EXPECT_EQ(editorText(empty), L"");
  EXPECT_TRUE(filesIn(running.recoveryFolder(), app::kSnapshotSuffix).empty());
  after.requestClose();
  EXPECT_EQ(after.waitForExit(), 0u);
}

// The editor windows of qnv processes other than the session's.
std::vector<HWND> otherEditors(const Session& s) {
  struct State {
    DWORD except;
    std::vector<HWND> found;
  } state{s.processId(), {}};
  EnumWindows(
      [](HWND hwnd, LPARAM lParam) {
        auto* st = reinterpret_cast<State*>(lParam);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != st->except && IsWindowVisible(hwnd) && className(hwnd) == L"qnvWindow" && GetDlgItem(hwnd, 100)) {
          st->found.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&state));
  return state.found;
}

void endProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

TEST(RecoveryJourney, SecondYesAndTheCommandLineDocumentOpenInOtherEditors) {
  Session older, newer;
  newer.shareLocalAppDataOf(older);
  older.start();
  HWND a = older.editorWindow();
  ASSERT_TRUE(a);
  typeAndWaitForSnapshot(older, a, L"older text!", "older text!");
  newer.start();
  HWND b = newer.editorWindow();
  ASSERT_TRUE(b);
  typeAndWaitForSnapshot(newer, b, L"newer text!", "newer text!");
  older.kill();
  newer.kill();

  Session third;
  third.shareLocalAppDataOf(older);
  const auto doc = third.folder() / L"命令行.txt";
  test::writeFileBytes(doc, "command line document");
  third.start(L"\"" + doc.wstring() + L"\"");
  EXPECT_FALSE(answerQuestion(third, IDYES).empty());
  EXPECT_FALSE(answerQuestion(third, IDYES).empty());
  HWND editor = third.editorWindow();
  ASSERT_TRUE(editor);
  EXPECT_TRUE(waitFor([&] { return editorText(editor) == L"older text!"; })) << "oldest first, into this editor";

  // The newer snapshot and the command-line document each in an editor process of its own.
  std::vector<std::wstring> others;
  EXPECT_TRUE(waitFor(
      [&] {
        others.clear();
        for (HWND other : otherEditors(third)) others.push_back(editorText(other));
        std::sort(others.begin(), others.end());
        return others == std::vector<std::wstring>{L"command line document", L"newer text!"};
      },
      20s));
  for (HWND other : otherEditors(third)) endProcessOf(other);
  third.kill();
}

}  // namespace
}  // namespace qnv::e2e
