#pragma once
// Bringing unsaved work back at start-up. Before the editor window opens, every snapshot left
// by an editor that is no longer running is claimed and offered, oldest first:
// "发现未保存的内容（<file name or 未命名>，<time>）。是否恢复？". The first Yes is restored
// into this editor; each further Yes into another editor process, which takes the claim
// over; No deletes that snapshot. Snapshots that cannot be read are reported together, once,
// and set aside, never deleted. When something is restored here, the document named on the
// command line opens in another editor process instead, so that neither is lost.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/RecoverySnapshot.h"
#include "app/SnapshotSchedule.h"
#include "app/win/RecoveryFolder.h"

namespace qnv::app {

class EditorWindow;

// Another editor process to start: with a document, or taking over a claimed snapshot.
struct SecondEditor {
  std::wstring documentPath;
  const SnapshotLock* snapshot = nullptr;
};

// What recovery uses of its surroundings; the program uses the defaults, tests replace
// single members.
struct RecoveryWork {
  // Where snapshots are kept; empty: none are kept and none are looked for.
  std::wstring folder;
  SnapshotTiming timing;
  // Starts another editor process; 0 or the system's error code.
  std::function<unsigned long(const SecondEditor&)> startEditor;
  // A failure to keep a snapshot has been shown in this run.
  bool failureShown = false;

  RecoveryWork();
};

// A snapshot to restore into this editor, with the lock that makes it this editor's.
struct RecoveredDocument {
  RecoverySnapshot snapshot;
  SnapshotLock lock;
};

// Start-up, before the editor window exists: the snapshot handed over by the editor that
// started this one, if any; otherwise the questions above. documentPath is cleared when its
// document was passed on to another process.
std::optional<RecoveredDocument> recoverUnsavedWork();

// Puts a recovered document into the new editor as a modified document with its own save
// target, format and protection. When the document's file was changed or deleted after the
// snapshot, a message says so and saves ask for a name (the dialog offers the old one), so
// that the file is never overwritten unseen.
void restoreUnsavedWork(EditorWindow& window, RecoveredDocument recovered);

// The environment variable through which an editor hands a claimed snapshot to the one it
// starts: "<identity>:<inherited lock handle>".
inline constexpr wchar_t kHandOverVariable[] = L"QNV_RECOVER_SNAPSHOT";

}  // namespace qnv::app
