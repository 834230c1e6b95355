#include <gtest/gtest.h>

#include <string>

#include "app/RecoverySnapshot.h"

namespace qnv::app {
namespace {

const std::string kIdentity = "0123456789abcdef0123456789abcdef";

RecoverySnapshot fullSnapshot() {
  RecoverySnapshot s;
  s.owner = kIdentity;
  s.takenAt = 0x01DB'1234'5678'9ABCull;
  s.documentPath = "C:\\笔记\\日记.qnv";
  s.displayName = "日记.qnv";
  s.savesToDocument = true;
  s.dialogName = "D:\\另存\\副本.txt";
  s.richText = false;
  s.protection = SnapshotProtection::Legacy;
  s.checkValue = "0A1B2C3D4";
  s.source = FileStamp{0x01DB'0000'0000'0001ull, 1234567};
  s.document = std::string("{\\rtf1 \xD6\xD0\xCE\xC4}", 13) + std::string(1, '\0') + "tail";
  return s;
}

void expectSame(const RecoverySnapshot& a, const RecoverySnapshot& b) {
  EXPECT_EQ(a.owner, b.owner);
  EXPECT_EQ(a.takenAt, b.takenAt);
  EXPECT_EQ(a.documentPath, b.documentPath);
  EXPECT_EQ(a.displayName, b.displayName);
  EXPECT_EQ(a.savesToDocument, b.savesToDocument);
  EXPECT_EQ(a.dialogName, b.dialogName);
  EXPECT_EQ(a.richText, b.richText);
  EXPECT_EQ(a.protection, b.protection);
  EXPECT_EQ(a.checkValue, b.checkValue);
  EXPECT_EQ(a.source, b.source);
  EXPECT_EQ(a.document, b.document);
}

TEST(RecoverySnapshot, EveryFieldComesBack) {
  RecoverySnapshot unnamed;
  unnamed.owner = kIdentity;
  RecoverySnapshot strong = fullSnapshot();
  strong.protection = SnapshotProtection::Strong;
  strong.checkValue.clear();
  strong.source.reset();
  for (const RecoverySnapshot& s : {fullSnapshot(), unnamed, strong}) {
    const std::optional<RecoverySnapshot> back = readSnapshot(snapshotBytes(s));
    ASSERT_TRUE(back) << s.documentPath;
    expectSame(*back, s);
  }
}

TEST(RecoverySnapshot, TheLayoutIsAsDescribed) {
  RecoverySnapshot s;
  s.owner = kIdentity;
  s.takenAt = 0x0102030405060708ull;
  s.documentPath = "a";
  s.document = "xy";
  const std::string bytes = snapshotBytes(s);
  const std::string expected = std::string("qnv-snapshot\x01", 13) + std::string("\x20\0\0\0", 4) + kIdentity +
                               std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8) + std::string("\x01\0\0\0", 4) + "a" +
                               std::string("\0\0\0\0", 4) +    // display name
                               std::string("\0", 1) +          // saves to the document
                               std::string("\0\0\0\0", 4) +    // dialog name
                               std::string("\x01\0", 2) +      // RTF, not protected
                               std::string("\0\0\0\0", 4) +    // check value
                               std::string(17, '\0') +         // no source stamp
                               std::string("\x02\0\0\0\0\0\0\0", 8) + "xy";
  EXPECT_EQ(bytes, expected);
}

TEST(RecoverySnapshot, AnythingButOneWholeRecordIsRefused) {
  const std::string good = snapshotBytes(fullSnapshot());
  const size_t kindAt = 13 + 4 + 32 + 8;  // after the marker, version, owner and time
  const auto changed = [&](size_t at, char value) {
    std::string bytes = good;
    bytes[at] = value;
    return bytes;
  };
  const size_t pathSize = fullSnapshot().documentPath.size();
  const size_t nameSize = fullSnapshot().displayName.size();
  const size_t savesAt = kindAt + 4 + pathSize + 4 + nameSize;
  const size_t dialogSize = fullSnapshot().dialogName.size();
  const size_t richAt = savesAt + 1 + 4 + dialogSize;
  const size_t protectionAt = richAt + 1;
  const size_t sourceAt = protectionAt + 1 + 4 + fullSnapshot().checkValue.size();
  ASSERT_EQ(good[sourceAt], 1);

  // The writer leaves a check value out unless the format is the legacy one.
  const std::string checkOnUnprotected = changed(protectionAt, 0);
  RecoverySnapshot foreignOwner = fullSnapshot();
  foreignOwner.owner = "0123456789ABCDEF0123456789ABCDEF";

  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"marker only", "qnv-snapshot"},
      {"another marker", changed(0, 'Q')},
      {"another version", changed(12, 2)},
      {"a flag of 2", changed(savesAt, 2)},
      {"RTF flag of 2", changed(richAt, 2)},
      {"unknown protection", changed(protectionAt, 3)},
      {"source flag of 2", changed(sourceAt, 2)},
      {"a text longer than the record", changed(kindAt + 3, '\x7F')},
      {"a file's state without its flag", changed(sourceAt, 0)},
      {"a check value without the legacy format", checkOnUnprotected},
      {"an owner that is no identity", snapshotBytes(foreignOwner)},
      {"a byte after the document", good + "x"},
      {"the document cut short", good.substr(0, good.size() - 1)},
  };
  for (const Case& c : cases) EXPECT_FALSE(readSnapshot(c.bytes)) << c.name;
  // Every shorter prefix, too.
  for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(readSnapshot(good.substr(0, n))) << "prefix of " << n;
  EXPECT_TRUE(readSnapshot(good));
}

TEST(RecoverySnapshot, IdentitiesAndFileNames) {
  struct Case {
    const char* fileName;
    bool snapshot;
  } cases[] = {
      {"0123456789abcdef0123456789abcdef.snapshot", true},
      {"0123456789ABCDEF0123456789abcdef.snapshot", false},
      {"0123456789abcdef0123456789abcdef.lock", false},
      {"0123456789abcdef0123456789abcdef.unreadable", false},
      {"0123456789abcdef0123456789abcde.snapshot", false},
      {"0123456789abcdef0123456789abcdefa.snapshot", false},
      {"0123456789abcdef0123456789abcdeg.snapshot", false},
      {"qnv1234.tmp", false},
      {".snapshot", false},
      {"", false},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> identity = identityOfSnapshotFile(c.fileName);
    EXPECT_EQ(identity.has_value(), c.snapshot) << c.fileName;
    if (identity) EXPECT_EQ(*identity + ".snapshot", c.fileName);
  }
  EXPECT_TRUE(isEditorIdentity(kIdentity));
  EXPECT_FALSE(isEditorIdentity(""));
}

TEST(RecoverySnapshot, Question) {
  const LocalMinute t{2026, 3, 7, 9, 5};
  EXPECT_EQ(recoveryQuestion("C:\\笔记\\日记.qnv", t), "发现未保存的内容（日记.qnv，2026-03-07 09:05）。是否恢复？");
  EXPECT_EQ(recoveryQuestion("", t), "发现未保存的内容（未命名，2026-03-07 09:05）。是否恢复？");
  EXPECT_EQ(recoveryQuestion("D:\\a.txt", {2026, 12, 31, 23, 59}), "发现未保存的内容（a.txt，2026-12-31 23:59）。是否恢复？");
}

}  // namespace
}  // namespace qnv::app
