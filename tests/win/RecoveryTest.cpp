// Recovery snapshots in-process: kept while the document is modified, encrypted for the
// user, gone after a save or a deliberate "don't save"; at the next start, the question for
// each snapshot left by an editor that no longer runs, oldest first, and the document brought
// back with its save target, format and protection; a running editor's snapshot left alone;
// unreadable snapshots reported once and kept; failures of the folder shown once.
//
// An editor "crashes" here by going without its destroy handler, as when the process dies:
// its snapshot stays, and its lock goes as the system would close it.
#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/RecoverySnapshot.h"
#include "app/win/AppState.h"
#include "app/win/Document.h"
#include "app/win/EditorWindow.h"
#include "app/win/ProtectedDocument.h"
#include "app/win/Recovery.h"
#include "app/win/RecoveryFolder.h"
#include "crypto/HexCodec.h"
#include "crypto/ProtectedFormat.h"
#include "crypto/StrongFormat.h"
#include "crypto/win/UserProtection.h"
#include "support/EditorFixture.h"
#include "support/ProtectedFiles.h"
#include "support/RtfText.h"
#include "support/WinTestSupport.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

using ui::MessageAnswer;
using ui::MessageButtons;

const std::wstring kTitle = L"\u3000\u3000qvn-编辑器\u3000\u3000当前长度为:";
const std::wstring kKeepProtection = L"此文档原为加密文档，是否继续加密保存？";
const std::wstring kEncryptCaption = L"请输入加密密码";

class Recovery : public test::EditorFixture {
 public:  // the cases' own lambdas reach it through the fixture
  std::filesystem::path folder() const { return dir / L"恢复"; }

 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    configure();
  }

  // Snapshots in this test's folder, taken quickly.
  void configure() {
    RecoveryWork& recovery = appState().recovery;
    recovery.folder = folder().wstring();
    recovery.timing = {std::chrono::milliseconds(50), std::chrono::milliseconds(500), std::chrono::milliseconds(50)};
    recovery.startEditor = [this](const SecondEditor& second) {
      started.push_back({second.documentPath, second.snapshot ? second.snapshot->identity() : std::string(),
                         second.snapshot && second.snapshot->held()});
      return 0ul;
    };
    appState().protectedWork.strongCosts = {1, 8, 1};
  }

  // The names of the files in the recovery folder with this ending.
  std::vector<std::string> filesEndingIn(std::string_view suffix) const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder(), ec)) {
      const std::string name = ui::narrow(entry.path().filename().wstring());
      if (name.ends_with(suffix)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> snapshots() const { return filesEndingIn(kSnapshotSuffix); }

  void type(const std::wstring& text) {
    SendMessageW(window->editorBox().hwnd(), EM_SETSEL, -1, -1);
    SendMessageW(window->editorBox().hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    test::pumpMessages();
  }

  // Waits until the editor's snapshot holds everything typed and is on disk.
  void waitForSnapshot() {
    ASSERT_TRUE(test::pumpUntil([&] { return window->snapshots().settled() && !snapshots().empty(); }));
  }
  bool snapshotGoes() {
    return test::pumpUntil([&] { return window->snapshots().settled() && snapshots().empty(); });
  }

  // The process dies: no destroy handler, no save; then the program's state is new.
  void crash() {
    window.reset();
    resetState();
    configure();
  }

  // The user closes the modified document without saving it, and the program ends.
  void giveUp() {
    prompts.answers = {MessageAnswer::No, MessageAnswer::Yes};
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    crash();
  }

  // Opens a file of `contents`, types `typed` at its end, waits for the snapshot and crashes;
  // the file.
  std::filesystem::path editFileAndCrash(const std::wstring& name, const std::string& contents,
                                         const std::wstring& typed) {
    const auto document = dir / name;
    test::writeFileBytes(document, contents);
    open(document.wstring());
    type(typed);
    waitForSnapshot();
    crash();
    return document;
  }

  // Start-up as the program does it: the questions, then the editor with what was recovered.
  EditorWindow& startAgain(const std::wstring& document = {}) {
    appState().documentPath = ui::narrow(document);
    std::optional<RecoveredDocument> recovered = recoverUnsavedWork();
    const std::string path = appState().documentPath;
    open(ui::widen(path));
    if (recovered) restoreUnsavedWork(*window, std::move(*recovered));
    test::pumpMessages();
    return *window;
  }

  std::string plainText() const {
    ui::EditorBox& box = window->editorBox();
    const int type = box.contextType();
    box.setContextType(ui::EditorBox::kPlainText);
    std::string text = box.context();
    box.setContextType(type);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '\0')) text.pop_back();
    return text;
  }

  // A snapshot written as an editor that is gone would have left it.
  std::string leaveSnapshot(std::uint64_t takenAt, const std::string& document, const std::string& path = {}) {
    RecoverySnapshot s;
    s.owner = newEditorIdentity();
    s.takenAt = takenAt;
    s.documentPath = path;
    s.document = document;
    std::filesystem::create_directories(folder());
    EXPECT_FALSE(writeSnapshotFile(folder().wstring(), s));
    return s.owner;
  }

  // Starts with a protected `fixture`, unlocked with its password, types `text` and waits for
  // the snapshot; the snapshot file's bytes.
  std::string unlockTypeAndKeep(const std::filesystem::path& fixture, const std::wstring& password,
                                const std::wstring& text) {
    const auto document = dir / fixture.filename();
    std::filesystem::copy_file(fixture, document);
    auto ran = test::whenWindowShows(L"请输入密码解锁文件", [&](HWND unlock) {
      test::typePassword(unlock, password);
      test::clickAction(unlock);
    });
    open(document.wstring());
    EXPECT_TRUE(*ran);
    type(text);
    waitForSnapshot();
    return test::readFileBytes(folder() / ui::widen(snapshots().at(0)));
  }

  struct Started {
    std::wstring documentPath;
    std::string snapshot;
    bool lockHeld;
  };
  std::vector<Started> started;
};

// The question for a snapshot, up to its time.
bool isQuestionFor(const std::wstring& text, const std::wstring& name) {
  return text.starts_with(L"发现未保存的内容（" + name + L"，") && text.ends_with(L"）。是否恢复？");
}

TEST_F(Recovery, TypingKeepsAnEncryptedSnapshotThatTheNextStartBringsBack) {
  open();
  type(L"Recovered words 恢复的文字");
  // Bold on part of it: formatting comes back too.
  SendMessageW(window->editorBox().hwnd(), EM_SETSEL, 0, 9);
  ui::CharFormat bold = window->editorBox().selectionCharFormat();
  bold.effects |= ui::kBold;
  window->editorBox().setSelectionCharFormat(bold);
  test::pumpMessages();
  waitForSnapshot();
  const std::string rtf = window->editorBox().richText();

  ASSERT_EQ(snapshots().size(), 1u);
  EXPECT_EQ(snapshots()[0], window->snapshots().identity() + ".snapshot");
  EXPECT_EQ(filesEndingIn(kLockSuffix), std::vector<std::string>{window->snapshots().identity() + ".lock"});
  const std::string file = test::readFileBytes(folder() / ui::widen(snapshots()[0]));
  for (const std::string& readable : {std::string("Recovered"), std::string("\xBB\xD6\xB8\xB4"), std::string("\\'bb\\'d6"),
                                      std::string("qnv-snapshot"), std::string("R\0e\0c\0", 6)}) {
    EXPECT_EQ(file.find(readable), std::string::npos) << "the file shows nothing of the record";
  }

  crash();
  prompts.answers = {MessageAnswer::Yes};
  EditorWindow& w = startAgain();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_TRUE(isQuestionFor(prompts.messages[0].text, L"未命名")) << ui::narrow(prompts.messages[0].text);
  EXPECT_EQ(prompts.messages[0].buttons, MessageButtons::YesNo);

  EXPECT_EQ(w.editorBox().richText(), rtf) << "the same text and formatting";
  EXPECT_TRUE(test::switchesOn(rtf, "b"));
  EXPECT_EQ(appState().isModified, 1);
  EXPECT_EQ(w.caption(), kTitle + std::to_wstring(w.editorBox().textLength()));
  EXPECT_TRUE(appState().documentPath.empty());

  // An unnamed document asks for a name; once saved, nothing is left in the folder.
  const auto target = dir / L"找回.qnv";
  prompts.saveChoices = {target.wstring()};
  ASSERT_TRUE(saveDocument(w));
  EXPECT_EQ(test::readFileBytes(target), w.editorBox().context());
  EXPECT_TRUE(snapshotGoes());
  window.reset();
  EXPECT_TRUE(filesEndingIn(kLockSuffix).empty()) << "the lock goes with its editor";
}

TEST_F(Recovery, AnOpenedDocumentComesBackWithItsSaveTargetAndFormat) {
  const auto document = editFileAndCrash(L"笔记.txt", "first line", L" added");

  prompts.answers = {MessageAnswer::Yes};
  EditorWindow& w = startAgain();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_TRUE(isQuestionFor(prompts.messages[0].text, L"笔记.txt")) << ui::narrow(prompts.messages[0].text);
  EXPECT_EQ(plainText(), "first line added");
  EXPECT_EQ(appState().documentPath, ui::narrow(document.wstring()));
  EXPECT_EQ(w.caption(), L"笔记.txt" + kTitle + std::to_wstring(w.editorBox().textLength()));

  // Ctrl+S writes back to the file, as RTF, without asking.
  ASSERT_TRUE(saveDocument(w));
  EXPECT_TRUE(prompts.saveDialogsShown.empty());
  EXPECT_EQ(test::readFileBytes(document), w.editorBox().context());
  EXPECT_TRUE(test::readFileBytes(document).starts_with("{\\rtf"));
  EXPECT_TRUE(snapshotGoes());
}

TEST_F(Recovery, AnUnnamedDocumentSavedAsPlainTextComesBackSo) {
  open();
  type(L"plain");
  prompts.saveChoices = {(dir / L"a.txt").wstring()};
  ASSERT_TRUE(saveDocument(*window));
  EXPECT_TRUE(snapshotGoes()) << "nothing kept once saved";
  type(L" more");
  waitForSnapshot();
  crash();

  prompts.answers = {MessageAnswer::Yes};
  EditorWindow& w = startAgain();
  EXPECT_EQ(plainText(), "plain more");
  EXPECT_EQ(w.editorBox().contextType(), ui::EditorBox::kPlainText);
  prompts.saveChoices = {std::nullopt};
  EXPECT_FALSE(saveDocument(w));
  EXPECT_EQ(prompts.saveDialogsShown.back().fileName, (dir / L"a.txt").wstring()) << "the name chosen before";
}

TEST_F(Recovery, NoDeletesTheSnapshotAndStartsEmpty) {
  open();
  type(L"unwanted");
  waitForSnapshot();
  crash();
  prompts.answers = {MessageAnswer::No};
  EditorWindow& w = startAgain();
  EXPECT_TRUE(snapshots().empty());
  EXPECT_EQ(w.editorBox().textLength(), 0);
  EXPECT_EQ(appState().isModified, 0);
}

TEST_F(Recovery, TheSnapshotGoesWhenTheDocumentIsSavedOrGivenUp) {
  struct Case {
    const char* name;
    std::function<void(Recovery&, EditorWindow&)> act;
  } cases[] = {
      {"Ctrl+S", [](Recovery&, EditorWindow& w) { EXPECT_TRUE(saveDocument(w)); }},
      {"F1",
       [](Recovery&, EditorWindow& w) {
         auto ran = test::whenWindowShows(kEncryptCaption, [](HWND encrypt) {
           test::typePassword(encrypt, L"密码");
           test::clickAction(encrypt);
         });
         runEncryptWindow(w);
         EXPECT_TRUE(*ran);
       }},
      {"the close prompt's Yes",
       [](Recovery& t, EditorWindow& w) {
         t.prompts.answers = {MessageAnswer::Yes};
         SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
         EXPECT_EQ(t.prompts.exitCode, std::optional<int>(0));
       }},
      {"the close prompt's No, then Yes",
       [](Recovery& t, EditorWindow& w) {
         t.prompts.answers = {MessageAnswer::No, MessageAnswer::Yes};
         SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
         EXPECT_FALSE(w.isAlive());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    configure();
    prompts.exitCode.reset();
    const auto document = dir / L"doc.qnv";
    test::writeFileBytes(document, "text");
    open(document.wstring());
    type(L"x");
    waitForSnapshot();
    c.act(*this, *window);
    EXPECT_TRUE(test::pumpUntil([&] { return snapshots().empty(); }));
    window.reset();
    EXPECT_TRUE(snapshots().empty()) << "still gone";
  }
  // Keeping the document open after the close prompt's No, No keeps the snapshot.
  resetState();
  configure();
  open();
  type(L"y");
  waitForSnapshot();
  prompts.answers = {MessageAnswer::No, MessageAnswer::No};
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  test::pumpMessages();
  EXPECT_EQ(snapshots().size(), 1u);
}

TEST_F(Recovery, ARunningEditorsSnapshotIsNeverTouched) {
  open();
  type(L"still being edited");
  waitForSnapshot();
  const std::string name = snapshots()[0];
  const std::string bytes = test::readFileBytes(folder() / ui::widen(name));

  // Another editor starts: it asks nothing (the script has no answer) and touches nothing.
  EXPECT_FALSE(recoverUnsavedWork());
  EXPECT_EQ(snapshots(), std::vector<std::string>{name});
  EXPECT_EQ(test::readFileBytes(folder() / ui::widen(name)), bytes);
  EXPECT_TRUE(prompts.messages.empty());

  // Once the first one is gone, the next start offers it.
  crash();
  prompts.answers = {MessageAnswer::No};
  EXPECT_FALSE(recoverUnsavedWork());
  EXPECT_EQ(prompts.messages.size(), 1u);
  EXPECT_TRUE(snapshots().empty());
}

TEST_F(Recovery, SeveralSnapshotsAreOfferedOldestFirst) {
  // FILETIMEs of 2026-03-07 01:00, 02:00 and 03:00 UTC, left out of order.
  constexpr std::uint64_t kHour = 36'000'000'000ull;
  const std::uint64_t base = 134'172'540'000'000'000ull;
  const std::string second = leaveSnapshot(base + 2 * kHour, "{\\rtf1 second}", "C:\\b.qnv");
  const std::string third = leaveSnapshot(base + 3 * kHour, "{\\rtf1 third}", "C:\\c.qnv");
  const std::string first = leaveSnapshot(base + kHour, "{\\rtf1 first}", "C:\\a.qnv");

  prompts.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No};
  EditorWindow& w = startAgain();
  ASSERT_EQ(prompts.messages.size(), 3u);
  EXPECT_TRUE(isQuestionFor(prompts.messages[0].text, L"a.qnv"));
  EXPECT_TRUE(isQuestionFor(prompts.messages[1].text, L"b.qnv"));
  EXPECT_TRUE(isQuestionFor(prompts.messages[2].text, L"c.qnv"));

  // The first Yes comes into this editor, the second into another editor, which takes the
  // claimed snapshot over; No deletes the third.
  EXPECT_EQ(plainText(), "first");
  EXPECT_EQ(appState().documentPath, "C:\\a.qnv");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].snapshot, second);
  EXPECT_TRUE(started[0].lockHeld);
  EXPECT_TRUE(started[0].documentPath.empty());
  EXPECT_EQ(snapshots(), (std::vector<std::string>{std::min(first, second) + ".snapshot",
                                                   std::max(first, second) + ".snapshot"}));
  EXPECT_EQ(w.snapshots().identity(), first) << "the restored snapshot is this editor's now";
  (void)third;
}

TEST_F(Recovery, TheCommandLineDocumentOpensInAnotherEditorWhenSomethingIsRestored) {
  const auto document = dir / L"命令行.txt";
  test::writeFileBytes(document, "from the command line");
  leaveSnapshot(134'172'540'000'000'000ull, "{\\rtf1 recovered}");

  prompts.answers = {MessageAnswer::Yes};
  startAgain(document.wstring());
  EXPECT_EQ(plainText(), "recovered");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].documentPath, document.wstring());
  EXPECT_TRUE(started[0].snapshot.empty());
  EXPECT_TRUE(appState().documentPath.empty()) << "this editor holds the recovered, unnamed document";

  // Nothing restored: the command-line document opens here.
  giveUp();
  started.clear();
  leaveSnapshot(134'172'540'000'000'000ull, "{\\rtf1 declined}");
  prompts.answers = {MessageAnswer::No};
  startAgain(document.wstring());
  EXPECT_EQ(plainText(), "from the command line");
  EXPECT_TRUE(started.empty());
}

TEST_F(Recovery, AFailedStartOfAnotherEditorKeepsItsSnapshotForNextTime) {
  leaveSnapshot(1000, "{\\rtf1 one}");
  leaveSnapshot(2000, "{\\rtf1 two}", "C:\\two.qnv");
  appState().recovery.startEditor = [](const SecondEditor&) { return static_cast<unsigned long>(ERROR_ACCESS_DENIED); };
  prompts.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok};
  startAgain();
  ASSERT_EQ(prompts.messages.size(), 3u);
  EXPECT_TRUE(prompts.messages[2].text.starts_with(L"无法启动另一个编辑器窗口来恢复这份内容。它已保留，下次启动时会再次询问。"));
  EXPECT_EQ(plainText(), "one");
  giveUp();
  prompts.messages.clear();
  prompts.answers = {MessageAnswer::No};
  EXPECT_FALSE(recoverUnsavedWork());
  ASSERT_EQ(prompts.messages.size(), 1u) << "asked again";
  EXPECT_TRUE(isQuestionFor(prompts.messages[0].text, L"two.qnv"));
  EXPECT_TRUE(snapshots().empty());
}

TEST_F(Recovery, AHandedOverSnapshotComesBackWithoutAQuestion) {
  const std::string identity = leaveSnapshot(1000, "{\\rtf1 handed over}");
  SnapshotLock lock = SnapshotLock::hold(folder().wstring(), identity);
  ASSERT_TRUE(lock.held());
  HANDLE handle = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), lock.handle(), GetCurrentProcess(), &handle, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  lock = SnapshotLock();  // the duplicate is what the started editor inherits
  const std::wstring value = ui::widen(identity) + L":" + std::to_wstring(reinterpret_cast<uintptr_t>(handle));
  SetEnvironmentVariableW(kHandOverVariable, value.c_str());

  EditorWindow& w = startAgain();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(plainText(), "handed over");
  EXPECT_EQ(w.snapshots().identity(), identity);
  EXPECT_EQ(GetEnvironmentVariableW(kHandOverVariable, nullptr, 0), 0u) << "not passed on again";
  EXPECT_FALSE(SnapshotLock::hold(folder().wstring(), identity).held()) << "held by this editor";
}

TEST_F(Recovery, AHandOverThatDoesNotNameItsLockIsIgnored) {
  const std::string identity = leaveSnapshot(1000, "{\\rtf1 left}");
  const auto other = dir / L"other.lock";
  ui::UniqueFile file(CreateFileW(other.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  for (const std::wstring& value :
       {ui::widen(identity) + L":" + std::to_wstring(reinterpret_cast<uintptr_t>(file.get())),
        ui::widen(identity) + L":12345", std::wstring(L"nonsense"), L"x:" + std::to_wstring(reinterpret_cast<uintptr_t>(file.get()))}) {
    SetEnvironmentVariableW(kHandOverVariable, value.c_str());
    prompts.answers = {MessageAnswer::No};  // the ordinary question instead
    prompts.messages.clear();
    EXPECT_FALSE(recoverUnsavedWork());
    EXPECT_EQ(prompts.messages.size(), 1u) << ui::narrow(value);
    leaveSnapshot(1000, "{\\rtf1 left}");
  }
  EXPECT_NE(GetFileType(file.get()), static_cast<DWORD>(FILE_TYPE_UNKNOWN)) << "the handle was not taken";
}

TEST_F(Recovery, UnreadableSnapshotsAreReportedOnceAndKept) {
  std::filesystem::create_directories(folder());
  const auto put = [&](const std::string& name, const std::string& bytes) {
    test::writeFileBytes(folder() / ui::widen(name), bytes);
  };
  RecoverySnapshot wrongOwner;
  wrongOwner.owner = newEditorIdentity();
  const std::string a = newEditorIdentity(), b = newEditorIdentity(), c = newEditorIdentity(),
                    d = newEditorIdentity(), e = newEditorIdentity();
  const std::string sealedGarbage = *crypto::protectForUser("not a snapshot");
  const std::string sealedWrongOwner = *crypto::protectForUser(snapshotBytes(wrongOwner));
  const std::string garbage = "\x01\x02 damaged";
  put(a + ".snapshot", "");
  put(b + ".snapshot", garbage);
  put(c + ".snapshot", sealedWrongOwner.substr(0, sealedWrongOwner.size() / 2));
  put(d + ".snapshot", sealedGarbage);
  put(e + ".snapshot", sealedWrongOwner);
  put("readme.txt", "someone else's");
  put("qnv1A2B.tmp", "a write that never finished");

  prompts.answers = {MessageAnswer::Ok};
  EXPECT_FALSE(recoverUnsavedWork());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text,
            L"有5个恢复文件无法读取（可能已损坏，或属于其他用户），已原样保留在以下文件夹中，以后不再提示。\r\n" +
                folder().wstring());
  EXPECT_TRUE(snapshots().empty());
  EXPECT_EQ(test::readFileBytes(folder() / ui::widen(b + ".unreadable")), garbage) << "kept as it was";
  EXPECT_EQ(test::readFileBytes(folder() / ui::widen(d + ".unreadable")), sealedGarbage);
  EXPECT_EQ(filesEndingIn(".unreadable").size(), 5u);
  EXPECT_TRUE(filesEndingIn(".lock").empty());
  EXPECT_EQ(test::readFileBytes(folder() / L"readme.txt"), "someone else's") << "foreign files are left alone";
  EXPECT_TRUE(std::filesystem::exists(folder() / L"qnv1A2B.tmp"));

  // Not reported again.
  prompts.messages.clear();
  EXPECT_FALSE(recoverUnsavedWork());
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Recovery, StaleLocksGoAndNoFolderMeansNothingToAsk) {
  EXPECT_FALSE(recoverUnsavedWork()) << "no folder yet";
  EXPECT_FALSE(std::filesystem::exists(folder())) << "and none is made for asking";
  std::filesystem::create_directories(folder());
  const std::string gone = newEditorIdentity();
  test::writeFileBytes(folder() / ui::widen(gone + ".lock"), "");  // a power cut left it
  SnapshotLock held = SnapshotLock::hold(folder().wstring(), newEditorIdentity());
  ASSERT_TRUE(held.held());
  EXPECT_FALSE(recoverUnsavedWork());
  EXPECT_EQ(filesEndingIn(".lock"), std::vector<std::string>{held.identity() + ".lock"});
}

TEST_F(Recovery, AFileChangedOrDeletedSinceIsNeverOverwrittenUnseen) {
  struct Case {
    const char* name;
    bool deleted;
    const wchar_t* message;
  } cases[] = {
      {"changed", false, L"恢复的内容所属的文件在此之后已被修改。为免覆盖这些修改，保存时将询问文件名。\r\n"},
      {"deleted", true, L"恢复的内容所属的文件已不存在，保存时将询问文件名。\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    configure();
    prompts.messages.clear();
    prompts.saveDialogsShown.clear();
    const auto document = editFileAndCrash(L"共享.txt", "original", L" mine");
    if (c.deleted) {
      std::filesystem::remove(document);
    } else {
      test::writeFileBytes(document, "changed elsewhere, and longer");
    }

    prompts.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    EditorWindow& w = startAgain();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text, c.message + document.wstring());
    EXPECT_EQ(plainText(), "original mine");

    const auto copy = dir / L"副本.txt";
    prompts.saveChoices = {copy.wstring()};
    ASSERT_TRUE(saveDocument(w));
    ASSERT_EQ(prompts.saveDialogsShown.size(), 1u);
    EXPECT_EQ(prompts.saveDialogsShown[0].fileName, document.wstring()) << "offered under its old name";
    EXPECT_EQ(test::readFileBytes(document), c.deleted ? "" : "changed elsewhere, and longer");
    EXPECT_EQ(std::filesystem::exists(document), !c.deleted);
    EXPECT_TRUE(snapshotGoes());
    window.reset();
  }
}

TEST_F(Recovery, ALegacyProtectedDocumentComesBackProtected) {
  const std::string file =
      unlockTypeAndKeep(test::dataDir() / L"protected" / L"chinese-password.qnv", L"密码", L"Secret addition 机密补充");
  const auto document = dir / L"chinese-password.qnv";
  const std::string text = plainText();
  for (const std::string& readable :
       {std::string("Secret addition"), ui::toAnsi(L"机密补充"), crypto::hexEncode(crypto::scrambleBytes("Secret addition"))}) {
    EXPECT_EQ(file.find(readable), std::string::npos);
  }
  crash();

  prompts.answers = {MessageAnswer::Yes};
  EditorWindow& w = startAgain();
  EXPECT_TRUE(isQuestionFor(prompts.messages[0].text, L"chinese-password.qnv"));
  EXPECT_EQ(plainText(), text);
  EXPECT_EQ(w.caption(), kTitle + std::to_wstring(w.editorBox().textLength())) << "no name, as for any protected one";

  prompts.answers = {MessageAnswer::Yes};
  ASSERT_TRUE(saveDocument(w));
  EXPECT_EQ(prompts.messages.back().text, kKeepProtection);
  const std::optional<std::string> saved = test::unlockProtectedFile(document, L"密码");
  ASSERT_TRUE(saved) << "protected with the same password";
  EXPECT_NE(saved->find("Secret addition"), std::string::npos);
}

TEST_F(Recovery, AStrongProtectedDocumentAsksForAPasswordToStayProtected) {
  const std::string file = unlockTypeAndKeep(test::dataDir() / L"strong" / L"light-costs.qnv", L"abc", L" and more");
  const auto document = dir / L"light-costs.qnv";
  EXPECT_EQ(file.find("hello, world"), std::string::npos);
  crash();

  prompts.answers = {MessageAnswer::Yes};
  EditorWindow& w = startAgain();
  EXPECT_EQ(plainText(), "hello, world and more");

  // Keeping the protection asks for a password; closing that window writes nothing.
  const std::string before = test::readFileBytes(document);
  auto closed = test::whenWindowShows(kEncryptCaption, [](HWND encrypt) { PostMessageW(encrypt, WM_CLOSE, 0, 0); });
  prompts.answers = {MessageAnswer::Yes};
  EXPECT_FALSE(saveDocument(w));
  EXPECT_TRUE(*closed);
  EXPECT_EQ(test::readFileBytes(document), before);
  EXPECT_EQ(appState().isModified, 1);

  auto entered = test::whenWindowShows(kEncryptCaption, [](HWND encrypt) {
    test::typePassword(encrypt, L"新的强密码");
    test::clickAction(encrypt);
  });
  prompts.answers = {MessageAnswer::Yes};
  ASSERT_TRUE(saveDocument(w));
  EXPECT_TRUE(*entered);
  EXPECT_TRUE(crypto::isStrongFile(test::readFileBytes(document))) << "the file's own format";
  const std::optional<std::string> saved = test::unlockProtectedFile(document, L"新的强密码");
  ASSERT_TRUE(saved);
  EXPECT_NE(saved->find("and more"), std::string::npos);

  // Later saves keep that password without asking again.
  type(L"!");
  prompts.answers = {MessageAnswer::Yes};
  ASSERT_TRUE(saveDocument(w));
  EXPECT_TRUE(test::unlockProtectedFile(document, L"新的强密码"));
  EXPECT_EQ(std::count_if(prompts.messages.begin(), prompts.messages.end(),
                          [](const auto& m) { return m.text == kKeepProtection; }),
            3);
}

TEST_F(Recovery, FailuresOfTheFolderAreShownOnceAndTheEditorGoesOn) {
  struct Case {
    const char* name;
    std::function<void(Recovery&)> breakFolder;
  } cases[] = {
      {"the folder cannot be made",
       [](Recovery& t) {
         test::writeFileBytes(t.dir / L"file", "a file where a folder should go");
         appState().recovery.folder = (t.dir / L"file" / L"恢复").wstring();
       }},
      {"the snapshot cannot be written",
       [](Recovery& t) {
         std::filesystem::create_directories(t.folder() / ui::widen(t.window->snapshots().identity() + ".snapshot"));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetState();
    configure();
    prompts.messages.clear();
    std::filesystem::remove_all(folder());
    const auto document = dir / L"doc.txt";
    test::writeFileBytes(document, "text");
    open(document.wstring());
    c.breakFolder(*this);
    prompts.answers = {MessageAnswer::Ok};
    type(L"a");
    ASSERT_TRUE(test::pumpUntil([&] { return prompts.messages.size() == 1; }));
    EXPECT_TRUE(prompts.messages[0].text.starts_with(L"无法保存恢复用的副本，程序意外退出时未保存的内容将无法恢复。编辑器仍可照常使用。\r\n"))
        << ui::narrow(prompts.messages[0].text);
    type(L"b");
    EXPECT_TRUE(test::pumpUntil([&] { return window->snapshots().settled(); }));
    test::pumpUntil([] { return false; }, std::chrono::milliseconds(200));
    EXPECT_EQ(prompts.messages.size(), 1u) << "once per run";
    ASSERT_TRUE(saveDocument(*window)) << "saving works as before";
    EXPECT_TRUE(test::readFileBytes(document).find("ab") != std::string::npos);
    window.reset();
  }
}

TEST_F(Recovery, EndingTheSessionKeepsTheLastChangesAtOnce) {
  appState().recovery.timing.idle = std::chrono::hours(1);
  appState().recovery.timing.longest = std::chrono::hours(1);
  open();
  type(L"typed just before the logoff");
  EXPECT_TRUE(snapshots().empty());
  SendMessageW(window->hwnd(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(snapshots().size(), 1u) << "on disk when the message returns";
  crash();
  prompts.answers = {MessageAnswer::Yes};
  startAgain();
  EXPECT_EQ(plainText(), "typed just before the logoff");
}

TEST_F(Recovery, WithoutAFolderNothingIsKept) {
  appState().recovery.folder.clear();
  open();
  type(L"nothing kept");
  test::pumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_FALSE(std::filesystem::exists(folder()));
  EXPECT_FALSE(recoverUnsavedWork());
}

}  // namespace
}  // namespace qnv::app
