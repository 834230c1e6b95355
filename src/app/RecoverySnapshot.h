#pragma once
// A recovery snapshot: what an editor keeps of its modified document so that the next start
// can bring the document back after the program has died without saving it. This is the
// record's plain form; it reaches the disk only encrypted for the user by the system, so
// that the file shows nothing of it, not even the header.
//
// Byte layout (numbers little-endian; a "text" is a 4-byte length, then that many bytes of
// UTF-8):
//
//   "qnv-snapshot" (12 bytes), then the version, 1 (1 byte)
//   owner            text  the identity of the editor that keeps it (its file's name)
//   takenAt          8     when it was taken: 100-ns units since 1601 (UTC)
//   documentPath     text  the document's file, or empty for an unnamed document
//   displayName      text  the name the caption showed (empty for a protected document)
//   savesToDocument  1     1: saves write back to documentPath; 0: they ask for a name
//   dialogName       text  the name chosen last in the save dialog, shown there again
//   richText         1     1: saves write RTF; 0: plain text
//   protection       1     0 none, 1 the legacy format, 2 the strong format
//   checkValue       text  legacy: the password's check value (the file stores it too);
//                          otherwise empty. Never a key or a password.
//   sourceKnown      1     1 when the next two fields describe documentPath's file (else zeros)
//   sourceWrittenAt  8     that file's last write time (as takenAt) and
//   sourceSize       8     its size, when the document was read from it or last saved to it
//   documentSize     8     then the document, as RTF, exactly to the end of the record
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qnv::app {

enum class SnapshotProtection : std::uint8_t { None = 0, Legacy = 1, Strong = 2 };

// A file's state, to notice a change made to it behind the editor's back.
struct FileStamp {
  std::uint64_t writtenAt = 0;  // 100-ns units since 1601 (UTC)
  std::uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

struct RecoverySnapshot {
  std::string owner;
  std::uint64_t takenAt = 0;
  std::string documentPath;
  std::string displayName;
  bool savesToDocument = false;
  std::string dialogName;
  bool richText = true;
  SnapshotProtection protection = SnapshotProtection::None;
  std::string checkValue;
  std::optional<FileStamp> source;
  std::string document;
};

// The record's bytes.
std::string snapshotBytes(const RecoverySnapshot& snapshot);

// The record in `bytes`; nullopt for anything that is not exactly one whole record of this
// version (another marker or version, a length past the end, a flag other than 0 or 1, an
// unknown protection, a check value on an unprotected document, a file's state without its
// flag, an owner that is not an editor's identity, bytes after the document).
std::optional<RecoverySnapshot> readSnapshot(std::string_view bytes);

// An editor's identity: 32 lower-case hexadecimal digits (128 random bits), which name its
// snapshot "<identity>.snapshot" and the lock it holds while it runs, "<identity>.lock".
bool isEditorIdentity(std::string_view text);
inline constexpr std::string_view kSnapshotSuffix = ".snapshot";
inline constexpr std::string_view kLockSuffix = ".lock";
// A snapshot that could not be read is renamed so, kept, and not reported again.
inline constexpr std::string_view kUnreadableSuffix = ".unreadable";
// The identity in a snapshot's file name, or nullopt for any other name.
std::optional<std::string> identityOfSnapshotFile(std::string_view fileName);

// A moment in the user's local time, to the minute.
struct LocalMinute {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

// "发现未保存的内容（<file name or 未命名>，<YYYY-MM-DD hh:mm>）。是否恢复？"
std::string recoveryQuestion(std::string_view documentPath, const LocalMinute& takenAt);

}  // namespace qnv::app
