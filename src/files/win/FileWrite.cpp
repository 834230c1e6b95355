#include "files/win/FileWrite.h"

#include <windows.h>

#include <algorithm>

#include "ui/win/Handles.h"
#include "ui/win/Text.h"

namespace qnv::files {
namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

std::wstring systemPath(const std::string& utf8) { return longPathForm(ui::widen(utf8)); }

bool writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

ErrorCode lastErrorOr(ErrorCode fallback) {
  const DWORD error = GetLastError();
  return error != 0 ? error : fallback;
}

ui::UniqueFile openForReading(const std::wstring& path) {
  return ui::UniqueFile(CreateFileW(longPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool existsAt(const std::wstring& path) {
  return GetFileAttributesW(longPathForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Reads up to `bytes.size()` bytes from the file's current position; false on a read error.
bool readInto(HANDLE file, std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file, bytes.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return true;
}

}  // namespace

std::wstring longPathForm(std::wstring_view path) {
  const std::wstring given(path);
  if (given.empty() || given.rfind(kLongPrefix, 0) == 0 || given.rfind(kDevicePrefix, 0) == 0) return given;
  std::wstring full(std::max<size_t>(given.size() + 1, MAX_PATH), L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return given;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n);  // n counts the terminator when the buffer was too small
  }
  if (full.rfind(kLongPrefix, 0) == 0 || full.rfind(kDevicePrefix, 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return std::wstring(kLongPrefix) + L"UNC\\" + full.substr(2);
  if (full.size() >= 3 && full[1] == L':') return std::wstring(kLongPrefix) + full;
  return full;
}

FileSystem::Entry SystemFileSystem::entryAt(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::kMissing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Entry::kFolder;
  if (attributes & FILE_ATTRIBUTE_READONLY) return Entry::kReadOnlyFile;
  return Entry::kFile;
}

ErrorCode SystemFileSystem::writeNewFile(const std::string& path, std::string_view bytes) {
  // No sharing while it is written: another copy of the program cannot take it for stale.
  ui::UniqueFile file(
      CreateFileW(systemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return lastErrorOr(ERROR_WRITE_FAULT);
  if (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) return lastErrorOr(ERROR_WRITE_FAULT);
  if (!CloseHandle(file.release())) return lastErrorOr(ERROR_WRITE_FAULT);
  return 0;
}

ErrorCode SystemFileSystem::moveFile(const std::string& from, const std::string& to, bool replace) {
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExW(systemPath(from).c_str(), systemPath(to).c_str(), flags)) return 0;
  return lastErrorOr(ERROR_WRITE_FAULT);
}

ErrorCode SystemFileSystem::removeFile(const std::string& path) {
  return DeleteFileW(systemPath(path).c_str()) ? 0 : lastErrorOr(ERROR_ACCESS_DENIED);
}

ErrorCode SystemFileSystem::markReadOnly(const std::string& path) {
  return SetFileAttributesW(systemPath(path).c_str(), FILE_ATTRIBUTE_READONLY) ? 0 : lastErrorOr(ERROR_ACCESS_DENIED);
}

std::vector<std::string> SystemFileSystem::namesIn(const std::string& folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::wstring search = systemPath(folder);
  if (!search.empty() && search.back() != L'\\') search += L'\\';
  search += ui::widen(pattern);
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileExW(search.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(ui::narrow(found.cFileName));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

uint32_t SystemFileSystem::firstNameNumber() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return GetCurrentProcessId() * 2654435761u ^ static_cast<uint32_t>(now.QuadPart);
}

void SystemFileSystem::pause(std::chrono::milliseconds duration) { Sleep(static_cast<DWORD>(duration.count())); }

ReplaceResult replaceFileContents(const std::wstring& path, std::string_view bytes) {
  SystemFileSystem fs;
  return files::replaceFileContents(fs, ui::narrow(path), bytes);
}

FileReadResult readWholeFile(const std::wstring& path, uint64_t maxBytes) {
  FileReadResult result;
  result.exists = existsAt(path);
  ui::UniqueFile file = openForReading(path);
  if (!file) {
    result.error = GetLastError();
    return result;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) {
    result.error = GetLastError();
    return result;
  }
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    result.error = ERROR_FILE_TOO_LARGE;
    return result;
  }
  result.bytes.resize(static_cast<size_t>(size.QuadPart));
  if (!readInto(file.get(), result.bytes)) {
    result.error = GetLastError();
    result.bytes = std::string();
  }
  return result;
}

FileHead readFileHead(const std::wstring& path, size_t count) {
  FileHead head;
  head.exists = existsAt(path);
  ui::UniqueFile file = openForReading(path);
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    head.error = GetLastError();
    return head;
  }
  head.size = static_cast<uint64_t>(size.QuadPart);
  head.bytes.resize(static_cast<size_t>(std::min<uint64_t>(head.size, count)));
  if (!readInto(file.get(), head.bytes)) {
    head.error = GetLastError();
    head.bytes.clear();
  }
  return head;
}

}  // namespace qnv::files
