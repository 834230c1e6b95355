#include "app/win/Recovery.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "app/win/AppState.h"
#include "app/win/EditorWindow.h"
#include "crypto/Wipe.h"
#include "files/win/ModulePath.h"
#include "ui/win/Prompts.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

constexpr std::wstring_view kQuestionCaption = L"恢复";

LocalMinute localMinuteOf(std::uint64_t ticks) {
  const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{}, local{};
  FileTimeToSystemTime(&utc, &universal);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) local = universal;
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute};
}

// The lock handed over by the editor that started this one: "<identity>:<handle>", the
// handle inherited and naming that identity's lock file.
std::optional<SnapshotLock> handedOverLock() {
  const DWORD size = GetEnvironmentVariableW(kHandOverVariable, nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(kHandOverVariable, value.data(), size));
  SetEnvironmentVariableW(kHandOverVariable, nullptr);  // for this process only

  const size_t colon = value.find(L':');
  if (colon == std::wstring::npos) return std::nullopt;
  const std::string identity = ui::narrow(value.substr(0, colon));
  const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(wcstoull(value.c_str() + colon + 1, nullptr, 10)));
  if (!isEditorIdentity(identity) || GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetFinalPathNameByHandleW(handle, path, static_cast<DWORD>(std::size(path)), 0);
  const std::wstring name = ui::widen(identity) + ui::widen(kLockSuffix);
  if (length == 0 || length >= std::size(path) || !std::wstring_view(path, length).ends_with(L"\\" + name)) {
    return std::nullopt;
  }
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
  return SnapshotLock(identity, ui::UniqueFile(handle));
}

std::optional<RecoveredDocument> takeHandedOver(const std::wstring& folder) {
  std::optional<SnapshotLock> lock = handedOverLock();
  if (!lock) return std::nullopt;
  std::optional<RecoverySnapshot> snapshot = readSnapshotFile(folder, lock->identity());
  if (!snapshot) {
    ui::showMessage(L"无法读取要恢复的内容，文件已保留。\r\n" + snapshotPath(folder, lock->identity()));
    return std::nullopt;
  }
  return RecoveredDocument{std::move(*snapshot), std::move(*lock)};
}

// Sets aside what cannot be read and says so once, with where it is kept.
void setAsideUnreadable(const std::wstring& folder, const std::vector<LeftSnapshot>& left) {
  int count = 0;
  for (const LeftSnapshot& l : left) {
    if (l.snapshot) continue;
    setSnapshotAside(folder, l.lock.identity());
    ++count;
  }
  if (count == 0) return;
  ui::showMessage(L"有" + std::to_wstring(count) +
                  L"个恢复文件无法读取（可能已损坏，或属于其他用户），已原样保留在以下文件夹中，以后不再提示。\r\n" + folder);
}

// Starts another editor process with the program's own path.
unsigned long startEditorProcess(const SecondEditor& second) {
  const std::wstring program = files::programModulePath();
  if (program.empty()) return GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND;
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!second.documentPath.empty()) commandLine += L" \"" + second.documentPath + L"\"";

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  std::vector<char> attributes;
  HANDLE lock = second.snapshot ? second.snapshot->handle() : nullptr;
  if (lock) {
    // The lock passes to the new process, and nothing else of this one does.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributes.resize(size);
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    if (!InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size) ||
        !UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &lock, sizeof lock,
                                   nullptr, nullptr)) {
      return GetLastError();
    }
    SetHandleInformation(lock, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    const std::wstring handOver =
        ui::widen(second.snapshot->identity()) + L":" + std::to_wstring(reinterpret_cast<uintptr_t>(lock));
    SetEnvironmentVariableW(kHandOverVariable, handOver.c_str());
  }
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, lock != nullptr,
                                     lock ? EXTENDED_STARTUPINFO_PRESENT : 0, nullptr, nullptr, &startup.StartupInfo,
                                     &process);
  const unsigned long error = started ? 0 : GetLastError();
  if (lock) {
    SetEnvironmentVariableW(kHandOverVariable, nullptr);
    SetHandleInformation(lock, HANDLE_FLAG_INHERIT, 0);
    DeleteProcThreadAttributeList(startup.lpAttributeList);
  }
  if (started) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return error;
}

}  // namespace

RecoveryWork::RecoveryWork() : startEditor(startEditorProcess) {}

std::optional<RecoveredDocument> recoverUnsavedWork() {
  AppState& state = appState();
  const RecoveryWork& work = state.recovery;
  if (work.folder.empty()) return std::nullopt;
  if (std::optional<RecoveredDocument> handed = takeHandedOver(work.folder)) return handed;

  std::vector<LeftSnapshot> left = claimLeftSnapshots(work.folder);
  setAsideUnreadable(work.folder, left);
  std::vector<LeftSnapshot*> offered;
  for (LeftSnapshot& l : left) {
    if (l.snapshot) offered.push_back(&l);
  }
  std::sort(offered.begin(), offered.end(), [](const LeftSnapshot* a, const LeftSnapshot* b) {
    if (a->snapshot->takenAt != b->snapshot->takenAt) return a->snapshot->takenAt < b->snapshot->takenAt;
    return a->lock.identity() < b->lock.identity();
  });

  std::optional<RecoveredDocument> here;
  for (LeftSnapshot* l : offered) {
    const std::string question = recoveryQuestion(l->snapshot->documentPath, localMinuteOf(l->snapshot->takenAt));
    const bool yes =
        ui::showMessage(ui::widen(question), kQuestionCaption, ui::MessageButtons::YesNo) == ui::MessageAnswer::Yes;
    if (!yes) {
      deleteSnapshotFile(work.folder, l->lock.identity());
    } else if (!here) {
      here = RecoveredDocument{std::move(*l->snapshot), std::move(l->lock)};
    } else if (const unsigned long error = work.startEditor({std::wstring(), &l->lock})) {
      ui::showMessage(L"无法启动另一个编辑器窗口来恢复这份内容。它已保留，下次启动时会再次询问。\r\n" + ui::systemMessage(error));
    }
    if (l->snapshot) crypto::wipe(l->snapshot->document);
  }

  if (here && !state.documentPath.empty()) {
    const std::wstring path = ui::widen(state.documentPath);
    state.documentPath.clear();
    if (const unsigned long error = work.startEditor({path, nullptr})) {
      ui::showMessage(L"无法在另一个编辑器窗口中打开文档，请稍后再打开它。\r\n" + path + L"\r\n" + ui::systemMessage(error));
    }
  }
  return here;
}

void restoreUnsavedWork(EditorWindow& window, RecoveredDocument recovered) {
  AppState& state = appState();
  RecoverySnapshot& snapshot = recovered.snapshot;
  ui::EditorBox& box = window.editorBox();
  box.setContextType(ui::EditorBox::kRichText);
  box.setContext(snapshot.document);
  crypto::wipe(snapshot.document);
  box.setContextType(snapshot.richText ? ui::EditorBox::kRichText : ui::EditorBox::kPlainText);

  state.documentPath = snapshot.documentPath;
  state.displayName = snapshot.displayName;
  state.documentPathDetached = !snapshot.savesToDocument;
  window.saveDialog().fileName = ui::widen(snapshot.dialogName);
  if (snapshot.protection == SnapshotProtection::Legacy) {
    Protection protection;
    protection.checkValue = snapshot.checkValue;
    state.keptProtection.keep(protection);
  } else if (snapshot.protection == SnapshotProtection::Strong) {
    state.keptProtection.keepAskingForPassword();
  }

  std::optional<FileStamp> source = snapshot.source;
  if (snapshot.savesToDocument && !snapshot.documentPath.empty()) {
    const std::wstring path = ui::widen(snapshot.documentPath);
    const std::optional<FileStamp> now = fileStampOf(path);
    if (now != snapshot.source) {
      ui::showMessage((now ? L"恢复的内容所属的文件在此之后已被修改。为免覆盖这些修改，保存时将询问文件名。\r\n"
                           : L"恢复的内容所属的文件已不存在，保存时将询问文件名。\r\n") +
                      path);
      state.documentPathDetached = true;
      window.saveDialog().fileName = path;
      source.reset();
    }
  }
  state.isModified = 1;
  window.updateCaption(std::to_string(box.textLength()));
  window.snapshots().takeOver(std::move(recovered.lock), source);
}

}  // namespace qnv::app
