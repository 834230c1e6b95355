#pragma once
// The recovery folder, %LOCALAPPDATA%\qnv编辑器\恢复: one snapshot per running editor that has
// unsaved changes, "<identity>.snapshot", encrypted for the user, and how an editor tells its
// own snapshots from those of editors that are no longer running.
//
// Ownership: an editor that keeps a snapshot holds its lock file "<identity>.lock" open, with
// no sharing and deleted by the system when closed, for as long as it runs. The system closes
// it when the process ends, however it ends (a crash, TerminateProcess, a logoff). So a
// snapshot whose lock can be opened belongs to no running editor, and whoever opens the lock
// holds it from then on: another editor starting at the same moment finds it held and leaves
// that snapshot alone. Identities are 128 random bits, never reused as process ids are.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/RecoverySnapshot.h"
#include "ui/win/Handles.h"

namespace qnv::app {

// %LOCALAPPDATA%\qnv编辑器\恢复 (the system's local application data folder when the variable
// is not set); empty when neither can be found.
std::wstring defaultRecoveryFolder();

// A fresh identity for an editor.
std::string newEditorIdentity();

// The lock of one identity, held while this lives (or until handed to another process).
class SnapshotLock {
 public:
  SnapshotLock() = default;
  SnapshotLock(std::string identity, ui::UniqueFile file) : identity_(std::move(identity)), file_(std::move(file)) {}

  // Opens the lock of `identity` in `folder` (creating it), unless another process (or
  // another open in this one) holds it. An empty lock when it is held elsewhere or cannot
  // be opened; GetLastError tells why.
  static SnapshotLock hold(const std::wstring& folder, const std::string& identity);

  bool held() const { return static_cast<bool>(file_); }
  const std::string& identity() const { return identity_; }
  HANDLE handle() const { return file_.get(); }

 private:
  std::string identity_;
  ui::UniqueFile file_;
};

std::wstring snapshotPath(const std::wstring& folder, const std::string& identity);

// Creates the folder and its parents; the system's error code when that fails.
std::optional<unsigned long> makeRecoveryFolder(const std::wstring& folder);

// Encrypts the snapshot for the user and writes it in place of the one there, in one step;
// the system's error code when that fails. Wipes the record's plain bytes afterwards.
std::optional<unsigned long> writeSnapshotFile(const std::wstring& folder, const RecoverySnapshot& snapshot);

// The snapshot of `identity`, decrypted and read; nullopt when the file cannot be read,
// belongs to another user, is damaged, or names another owner.
std::optional<RecoverySnapshot> readSnapshotFile(const std::wstring& folder, const std::string& identity);

void deleteSnapshotFile(const std::wstring& folder, const std::string& identity);

// Renames an unreadable snapshot to "<identity>.unreadable", where it is kept and no longer
// looked at.
bool setSnapshotAside(const std::wstring& folder, const std::string& identity);

// A snapshot whose editor is no longer running, claimed by holding its lock; `snapshot` is
// nullopt when it could not be read.
struct LeftSnapshot {
  SnapshotLock lock;
  std::optional<RecoverySnapshot> snapshot;
};

// Claims every snapshot in the folder that no running editor holds, and reads it. Lock files
// of editors that are gone and left no snapshot (a power cut) are removed on the way.
std::vector<LeftSnapshot> claimLeftSnapshots(const std::wstring& folder);

// The last write time and size of a file, or nullopt when it does not exist.
std::optional<FileStamp> fileStampOf(const std::wstring& path);

}  // namespace qnv::app
