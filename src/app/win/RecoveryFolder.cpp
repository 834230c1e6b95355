#include "app/win/RecoveryFolder.h"

#include <shlobj.h>

#include <array>
#include <cstdint>
#include <set>

#include "crypto/Wipe.h"
#include "crypto/win/SystemRandom.h"
#include "crypto/win/UserProtection.h"
#include "files/win/FileWrite.h"
#include "ui/win/Text.h"

namespace qnv::app {
namespace {

// Snapshot files are read whole; a document is at most 256 MiB, its RTF and the encryption
// somewhat more.
constexpr std::uint64_t kMaxSnapshotBytes = 1ull << 30;

std::wstring inFolder(const std::wstring& folder, const std::string& identity, std::string_view suffix) {
  return folder + L"\\" + ui::widen(identity) + ui::widen(suffix);
}

std::wstring localAppData() {
  const DWORD size = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (size > 1) {
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), size));
    if (!value.empty()) return value;
  }
  PWSTR known = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known))) path = known;
  CoTaskMemFree(known);
  return path;
}

bool isFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint64_t ticksOf(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The names of the files in the folder.
std::vector<std::string> fileNamesIn(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(ui::narrow(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

std::wstring defaultRecoveryFolder() {
  const std::wstring base = localAppData();
  if (base.empty()) return {};
  return base + L"\\qnv编辑器\\恢复";
}

std::string newEditorIdentity() {
  std::array<std::uint8_t, 16> bits{};
  if (!crypto::systemRandomBytes(bits)) {
    // Never expected; the process, the time and the counter still tell editors apart.
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t a = (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ ticksOf(now);
    const std::uint64_t b = static_cast<std::uint64_t>(counter.QuadPart);
    for (int i = 0; i < 8; ++i) {
      bits[i] = static_cast<std::uint8_t>(a >> (8 * i));
      bits[8 + i] = static_cast<std::uint8_t>(b >> (8 * i));
    }
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string identity;
  for (std::uint8_t b : bits) {
    identity += kDigits[b >> 4];
    identity += kDigits[b & 15];
  }
  return identity;
}

SnapshotLock SnapshotLock::hold(const std::wstring& folder, const std::string& identity) {
  ui::UniqueFile file(CreateFileW(inFolder(folder, identity, kLockSuffix).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                  0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file) return {};
  return SnapshotLock(identity, std::move(file));
}

std::wstring snapshotPath(const std::wstring& folder, const std::string& identity) {
  return inFolder(folder, identity, kSnapshotSuffix);
}

std::optional<unsigned long> makeRecoveryFolder(const std::wstring& folder) {
  if (isFolder(folder)) return std::nullopt;
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (isFolder(folder)) return std::nullopt;
  // A file of that name, for one.
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : static_cast<unsigned long>(result);
}

std::optional<unsigned long> writeSnapshotFile(const std::wstring& folder, const RecoverySnapshot& snapshot) {
  std::string plain = snapshotBytes(snapshot);
  std::optional<std::string> sealed = crypto::protectForUser(plain);
  crypto::wipe(plain);
  if (!sealed) return GetLastError() ? GetLastError() : ERROR_ENCRYPTION_FAILED;
  const files::ReplaceResult written = files::replaceFileContents(snapshotPath(folder, snapshot.owner), *sealed);
  if (written.error == 0) return std::nullopt;
  return static_cast<unsigned long>(written.error);
}

std::optional<RecoverySnapshot> readSnapshotFile(const std::wstring& folder, const std::string& identity) {
  const files::FileReadResult file = files::readWholeFile(snapshotPath(folder, identity), kMaxSnapshotBytes);
  if (file.error != 0) return std::nullopt;
  std::optional<std::string> plain = crypto::unprotectForUser(file.bytes);
  if (!plain) return std::nullopt;
  std::optional<RecoverySnapshot> snapshot = readSnapshot(*plain);
  crypto::wipe(*plain);
  if (!snapshot || snapshot->owner != identity) return std::nullopt;
  return snapshot;
}

void deleteSnapshotFile(const std::wstring& folder, const std::string& identity) {
  DeleteFileW(snapshotPath(folder, identity).c_str());
}

bool setSnapshotAside(const std::wstring& folder, const std::string& identity) {
  return MoveFileExW(snapshotPath(folder, identity).c_str(), inFolder(folder, identity, kUnreadableSuffix).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != FALSE;
}

std::vector<LeftSnapshot> claimLeftSnapshots(const std::wstring& folder) {
  const std::vector<std::string> names = fileNamesIn(folder);
  std::set<std::string> withSnapshot;
  for (const std::string& name : names) {
    if (std::optional<std::string> identity = identityOfSnapshotFile(name)) withSnapshot.insert(std::move(*identity));
  }
  std::vector<LeftSnapshot> left;
  for (const std::string& identity : withSnapshot) {
    SnapshotLock lock = SnapshotLock::hold(folder, identity);
    if (!lock.held()) continue;  // its editor runs, or another one has just claimed it
    std::optional<RecoverySnapshot> snapshot = readSnapshotFile(folder, identity);
    left.push_back({std::move(lock), std::move(snapshot)});
  }
  for (const std::string& name : names) {
    if (!name.ends_with(kLockSuffix)) continue;
    const std::string identity = name.substr(0, name.size() - kLockSuffix.size());
    // Deleting fails while the lock is held, so only the locks of gone editors go.
    if (isEditorIdentity(identity) && !withSnapshot.count(identity)) DeleteFileW((folder + L"\\" + ui::widen(name)).c_str());
  }
  return left;
}

std::optional<FileStamp> fileStampOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return FileStamp{ticksOf(data.ftLastWriteTime),
                   (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow};
}

}  // namespace qnv::app
