// The safe replacement over a file system in memory that fails where a case asks: every
// failure leaves the old bytes or the new ones under the file's name, or says where the new
// bytes are, and nothing else is lost.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "files/SafeReplace.h"

namespace qnv::files {
namespace {

constexpr ErrorCode kDiskFull = 112, kWriteProtect = 19, kFileNotFound = 2;

struct MemoryFile {
  std::string bytes;
  bool readOnly = false;
  bool openElsewhere = false;  // another program has it open without sharing
};

// Files by full path ("C:\docs\a.txt"); folders are "C:\docs" and the root "C:\".
class MemoryFileSystem final : public FileSystem {
 public:
  enum class Op { kWrite, kMove, kRemove, kMarkReadOnly };
  std::map<std::string, MemoryFile> files;
  std::set<std::string> folders{"C:\\docs"};
  // Called before each change; a non-zero result fails the operation (it may also change
  // the files, as another program would).
  std::function<ErrorCode(Op, const std::string& path, const std::string& to)> fault;
  size_t bytesWrittenBeforeFailure = 3;
  uint32_t firstNumber = 0;
  std::vector<std::chrono::milliseconds> pauses;
  // Called after each pause, as time passes for other programs.
  std::function<void()> afterPause;

  Entry entryAt(const std::string& path) override {
    if (folders.count(path)) return Entry::kFolder;
    const auto it = files.find(path);
    if (it == files.end()) return Entry::kMissing;
    return it->second.readOnly ? Entry::kReadOnlyFile : Entry::kFile;
  }

  ErrorCode writeNewFile(const std::string& path, std::string_view bytes) override {
    if (files.count(path) || folders.count(path)) return kFileExists;
    if (const ErrorCode e = injected(Op::kWrite, path, {})) {
      if (e != kFileExists) files[path].bytes = std::string(bytes.substr(0, bytesWrittenBeforeFailure));
      return e;
    }
    files[path].bytes = std::string(bytes);
    return 0;
  }

  ErrorCode moveFile(const std::string& from, const std::string& to, bool replace) override {
    if (const ErrorCode e = injected(Op::kMove, from, to)) return e;
    const auto source = files.find(from);
    if (source == files.end()) return kFileNotFound;
    if (source->second.openElsewhere) return kSharingViolation;
    const auto target = files.find(to);
    if (target != files.end()) {
      if (!replace) return kAlreadyExists;
      if (target->second.readOnly || target->second.openElsewhere) return kAccessDenied;
    }
    MemoryFile moved = source->second;
    files.erase(source);
    files[to] = moved;
    return 0;
  }

  ErrorCode removeFile(const std::string& path) override {
    if (const ErrorCode e = injected(Op::kRemove, path, {})) return e;
    const auto it = files.find(path);
    if (it == files.end()) return kFileNotFound;
    if (it->second.readOnly) return kAccessDenied;
    if (it->second.openElsewhere) return kSharingViolation;
    files.erase(it);
    return 0;
  }

  ErrorCode markReadOnly(const std::string& path) override {
    if (const ErrorCode e = injected(Op::kMarkReadOnly, path, {})) return e;
    const auto it = files.find(path);
    if (it == files.end()) return kFileNotFound;
    it->second.readOnly = true;
    return 0;
  }

  std::vector<std::string> namesIn(const std::string& folder, std::string_view pattern) override {
    EXPECT_EQ(pattern, kTemporaryPattern);
    std::vector<std::string> names;
    const std::string prefix = folder + "\\";
    for (const auto& [path, file] : files) {
      if (path.rfind(prefix, 0) == 0 && path.find('\\', prefix.size()) == std::string::npos) {
        names.push_back(path.substr(prefix.size()));  // the pattern is left to the caller here
      }
    }
    return names;
  }

  uint32_t firstNameNumber() override { return firstNumber; }

  void pause(std::chrono::milliseconds duration) override {
    pauses.push_back(duration);
    if (afterPause) afterPause();
  }

  std::set<std::string> paths() const {
    std::set<std::string> all;
    for (const auto& [path, file] : files) all.insert(path);
    return all;
  }
  std::string bytesAt(const std::string& path) const {
    const auto it = files.find(path);
    return it == files.end() ? "<missing>" : it->second.bytes;
  }

 private:
  ErrorCode injected(Op op, const std::string& path, const std::string& to) { return fault ? fault(op, path, to) : 0; }
};

using Op = MemoryFileSystem::Op;
const std::string kTarget = "C:\\docs\\笔记.txt";

TEST(SafeReplace, ReplacesOrCreatesTheFileAndLeavesNothingElse) {
  for (const bool existed : {true, false}) {
    SCOPED_TRACE(existed ? "existing file" : "new file");
    MemoryFileSystem fs;
    if (existed) fs.files[kTarget].bytes = "old bytes";
    const ReplaceResult result = replaceFileContents(fs, kTarget, "new bytes");
    EXPECT_EQ(result.error, 0u);
    EXPECT_EQ(result.newBytesKeptAt, "");
    EXPECT_EQ(fs.bytesAt(kTarget), "new bytes");
    EXPECT_EQ(fs.paths(), std::set<std::string>{kTarget});
  }
}

TEST(SafeReplace, EveryFailureLeavesTheOldBytesOrTheNewOnesOrSaysWhereTheyAre) {
  const std::string kept = "C:\\docs\\笔记（未保存的新内容）.txt";
  const std::string kept2 = "C:\\docs\\笔记（未保存的新内容 2）.txt";
  const std::string temporary = "C:\\docs\\qnv0000.tmp";
  // Fails the replacing rename after the target was taken away by someone else.
  const auto targetGoesAway = [](MemoryFileSystem& fs, ErrorCode error) {
    fs.fault = [&fs, error](Op op, const std::string&, const std::string& to) -> ErrorCode {
      if (op != Op::kMove || to != kTarget || fs.files.count(kTarget) == 0) return 0;
      fs.files.erase(kTarget);
      return error;
    };
  };
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    ErrorCode error;
    std::string targetBytes;  // "<missing>" when no file has the name
    std::string keptAt;       // where the new bytes are said to be, if not at the target
    std::set<std::string> paths;
  } cases[] = {
      {"a read-only file is refused before anything is written",
       [](MemoryFileSystem& fs) { fs.files[kTarget].readOnly = true; }, kAccessDenied, "old", "", {kTarget}},
      {"a folder is refused", [](MemoryFileSystem& fs) {
         fs.files.erase(kTarget);
         fs.folders.insert(kTarget);
       }, kAccessDenied, "<missing>", "", {}},
      {"the disk fills while the temporary file is written: it is removed",
       [](MemoryFileSystem& fs) {
         fs.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kWrite ? kDiskFull : 0; };
       }, kDiskFull, "old", "", {kTarget}},
      {"the folder is write-protected", [](MemoryFileSystem& fs) {
         fs.bytesWrittenBeforeFailure = 0;
         fs.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kWrite ? kWriteProtect : 0; };
       }, kWriteProtect, "old", "", {kTarget}},
      {"the file is open in another program: the rename is refused and nothing changes",
       [](MemoryFileSystem& fs) { fs.files[kTarget].openElsewhere = true; }, kAccessDenied, "old", "", {kTarget}},
      {"the rename fails for a reason of its own", [](MemoryFileSystem& fs) {
         fs.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kMove ? kSharingViolation : 0; };
       }, kSharingViolation, "old", "", {kTarget}},
      {"the file went away during the rename: the new bytes take its name",
       [&](MemoryFileSystem& fs) { targetGoesAway(fs, kAccessDenied); }, 0, "new", "", {kTarget}},
      {"... and cannot take it: they are kept under a name of their own",
       [&](MemoryFileSystem& fs) {
         fs.fault = [&fs](Op op, const std::string&, const std::string& to) -> ErrorCode {
           if (op != Op::kMove || to != kTarget) return 0;
           fs.files.erase(kTarget);
           return kAccessDenied;
         };
       }, kAccessDenied, "<missing>", kept, {kept}},
      {"... that name is taken: the next one", [&](MemoryFileSystem& fs) {
         fs.files[kept].bytes = "earlier";
         fs.fault = [&fs](Op op, const std::string&, const std::string& to) -> ErrorCode {
           if (op != Op::kMove || to != kTarget) return 0;
           fs.files.erase(kTarget);
           return kAccessDenied;
         };
       }, kAccessDenied, "<missing>", kept2, {kept, kept2}},
      {"... no rename works at all: they stay in the temporary file, marked read-only",
       [&](MemoryFileSystem& fs) {
         fs.fault = [&fs](Op op, const std::string&, const std::string& to) -> ErrorCode {
           if (op != Op::kMove) return 0;
           fs.files.erase(kTarget);
           return kAccessDenied;
         };
       }, kAccessDenied, "<missing>", temporary, {temporary}},
      {"... and the temporary file went too: nothing to keep", [&](MemoryFileSystem& fs) {
         fs.fault = [&fs](Op op, const std::string& from, const std::string&) -> ErrorCode {
           if (op != Op::kMove) return 0;
           fs.files.erase(kTarget);
           fs.files.erase(from);
           return kFileNotFound;
         };
       }, kFileNotFound, "<missing>", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    fs.files[kTarget].bytes = "old";
    c.setUp(fs);
    const ReplaceResult result = replaceFileContents(fs, kTarget, "new");
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(fs.bytesAt(kTarget), c.targetBytes);
    EXPECT_EQ(result.newBytesKeptAt, c.keptAt);
    if (!c.keptAt.empty()) EXPECT_EQ(fs.bytesAt(c.keptAt), "new");
    EXPECT_EQ(fs.paths(), c.paths);
  }
}

TEST(SafeReplace, AFileInUseForAMomentIsReplacedOnceItIsFree) {
  using std::chrono::milliseconds;
  struct Case {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    ErrorCode error;
    std::string targetBytes;
    size_t pauses;
  } cases[] = {
      {"another program reads the file and closes it after the third wait",
       [](MemoryFileSystem& fs) {
         fs.files[kTarget].openElsewhere = true;
         fs.afterPause = [&fs] {
           if (fs.pauses.size() == 3) fs.files[kTarget].openElsewhere = false;
         };
       }, 0, "new", 3},
      {"a scanner holds the new temporary file for two tries",
       [](MemoryFileSystem& fs) {
         fs.fault = [n = 0](Op op, const std::string&, const std::string&) mutable -> ErrorCode {
           return op == Op::kMove && n++ < 2 ? kSharingViolation : 0;
         };
       }, 0, "new", 2},
      {"a lock that is never released: it gives up",
       [](MemoryFileSystem& fs) {
         fs.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kMove ? kLockViolation : 0; };
       }, kLockViolation, "old", 8},
      {"the file is made read-only while it waits: it stops at once",
       [](MemoryFileSystem& fs) {
         fs.files[kTarget].openElsewhere = true;
         fs.afterPause = [&fs] { fs.files[kTarget].readOnly = true; };
       }, kAccessDenied, "old", 1},
      {"a failure that waiting cannot mend is not tried again",
       [](MemoryFileSystem& fs) {
         fs.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kMove ? kWriteProtect : 0; };
       }, kWriteProtect, "old", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    fs.files[kTarget].bytes = "old";
    c.setUp(fs);
    EXPECT_EQ(replaceFileContents(fs, kTarget, "new").error, c.error);
    EXPECT_EQ(fs.bytesAt(kTarget), c.targetBytes);
    EXPECT_EQ(fs.paths(), std::set<std::string>{kTarget}) << "no temporary file is left";
    EXPECT_EQ(fs.pauses.size(), c.pauses);
    milliseconds waited{0};
    for (const milliseconds pause : fs.pauses) waited += pause;
    EXPECT_LE(waited, milliseconds(1100)) << "never long enough to look frozen";
  }
}

TEST(SafeReplace, ANewFileWhoseRenameFailsLeavesNothingBehind) {
  MemoryFileSystem fs;
  fs.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kMove ? kAccessDenied : 0; };
  EXPECT_EQ(replaceFileContents(fs, kTarget, "new").error, kAccessDenied);
  EXPECT_TRUE(fs.paths().empty());
}

TEST(SafeReplace, StaleTemporaryFilesOfThisProgramAreRemovedAtTheNextSave) {
  MemoryFileSystem fs;
  const std::set<std::string> others = {
      "C:\\docs\\notes.tmp",    "C:\\docs\\qnv.tmp",    "C:\\docs\\qnv12345.tmp",
      "C:\\docs\\qnvXYZ.tmp",   "C:\\docs\\qnv1.txt",   "C:\\docs\\rf1A2B.tmp",
  };
  for (const std::string& path : others) fs.files[path].bytes = "someone else's";
  for (const char* stale : {"C:\\docs\\qnv1A2B.tmp", "C:\\docs\\QNV0f.TMP", "C:\\docs\\qnvbeef.tmp"}) {
    fs.files[stale].bytes = "partial";
  }
  fs.files["C:\\docs\\qnvAAAA.tmp"] = {"a save under way elsewhere", false, true};
  fs.files["C:\\docs\\qnvBBBB.tmp"] = {"bytes a failed save kept", true, false};
  fs.files["C:\\other\\qnv1111.tmp"].bytes = "another folder";

  ASSERT_EQ(replaceFileContents(fs, kTarget, "new").error, 0u);
  std::set<std::string> expected = others;
  expected.insert({kTarget, "C:\\docs\\qnvAAAA.tmp", "C:\\docs\\qnvBBBB.tmp", "C:\\other\\qnv1111.tmp"});
  EXPECT_EQ(fs.paths(), expected);
}

TEST(SafeReplace, TemporaryNamesStepPastTakenOnes) {
  MemoryFileSystem fs;
  fs.firstNumber = 0x1234;
  // Names in use by saves under way elsewhere (open, so not stale).
  std::set<std::string> taken;
  for (uint32_t attempt = 0; attempt < 5; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "C:\\docs\\qnv%04X.tmp", (0x1234 + attempt * 40503u) & 0xFFFF);
    fs.files[name] = {"busy", false, true};
    taken.insert(name);
  }
  ASSERT_EQ(replaceFileContents(fs, kTarget, "new").error, 0u);
  EXPECT_EQ(fs.bytesAt(kTarget), "new");
  EXPECT_EQ(fs.paths().size(), taken.size() + 1);

  // When every name it tries is taken, it gives up and writes nothing.
  MemoryFileSystem full;
  full.fault = [](Op op, const std::string&, const std::string&) { return op == Op::kWrite ? kFileExists : 0; };
  full.files[kTarget].bytes = "old";
  EXPECT_EQ(replaceFileContents(full, kTarget, "new").error, kFileExists);
  EXPECT_EQ(full.paths(), std::set<std::string>{kTarget});
}

TEST(SafeReplace, TheTwoHalvesSeparately) {
  MemoryFileSystem fs;
  fs.files[kTarget].bytes = "old";
  const TemporaryFile temporary = writeTemporaryBeside(fs, kTarget, "copy");
  ASSERT_EQ(temporary.error, 0u);
  EXPECT_TRUE(isTemporaryName(temporary.path.substr(std::string("C:\\docs\\").size())));
  fs.files[temporary.path].bytes += " completed";
  EXPECT_EQ(moveIntoPlace(fs, temporary.path, kTarget, true).error, 0u);
  EXPECT_EQ(fs.bytesAt(kTarget), "copy completed");
  EXPECT_EQ(fs.paths().size(), 1u);
}

TEST(SafeReplace, TemporaryNames) {
  struct Case {
    const char* name;
    bool ours;
  } cases[] = {
      {"qnv1A2B.tmp", true}, {"qnv0.tmp", true},   {"QNVbeef.TMP", true},   {"qnvFFFF.tmp", true},
      {"qnv.tmp", false},    {"qnv12345.tmp", false}, {"qnvG.tmp", false}, {"qnv1A2B.tmp.txt", false},
      {"xqnv1.tmp", false},  {"qnv1.tm", false},  {"", false},            {"qnv-1.tmp", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isTemporaryName(c.name), c.ours) << c.name;
}

TEST(SafeReplace, FolderOf) {
  struct Case {
    const char* path;
    const char* folder;
  } cases[] = {
      {"C:\\docs\\a.txt", "C:\\docs"}, {"C:\\a.txt", "C:\\"},   {"a.txt", "."},     {"C:a.txt", "C:"},
      {"\\a.txt", "\\"},               {"d/e/f.qnv", "d/e"},     {"\\\\server\\share\\x", "\\\\server\\share"},
      {"C:\\深\\层\\笔记.qnv", "C:\\深\\层"},
  };
  for (const Case& c : cases) EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
}

}  // namespace
}  // namespace qnv::files
