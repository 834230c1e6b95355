#include "files/win/FileWrite.h"

#include <windows.h>

#include <algorithm>

#include "ui/win/Handles.h"

namespace qnv::files {
namespace {

std::wstring folderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);  // "C:\"
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool writeAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::optional<unsigned long> replaceFileContents(const std::wstring& path, std::string_view bytes) {
  const DWORD targetAttributes = GetFileAttributesW(path.c_str());
  if (targetAttributes != INVALID_FILE_ATTRIBUTES && (targetAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return ERROR_ACCESS_DENIED;
  }
  if (targetAttributes != INVALID_FILE_ATTRIBUTES && (targetAttributes & FILE_ATTRIBUTE_READONLY)) {
    return ERROR_ACCESS_DENIED;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  const std::wstring folder = folderOf(path);
  if (!GetTempFileNameW(folder.c_str(), L"qnv", 0, temp)) return GetLastError();

  DWORD error = 0;
  {
    ui::UniqueFile file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      error = GetLastError();
    } else if (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
      error = GetLastError();
      if (error == 0) error = ERROR_WRITE_FAULT;
    }
  }
  if (error == 0) {
    bool replaced = false;
    if (targetAttributes != INVALID_FILE_ATTRIBUTES) {
      replaced = ReplaceFileW(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    }
    if (!replaced && !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      error = GetLastError();
    }
  }
  if (error != 0) {
    DeleteFileW(temp);
    return error;
  }
  return std::nullopt;
}

FileReadResult readWholeFile(const std::wstring& path, uint64_t maxBytes) {
  FileReadResult result;
  result.exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  ui::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
  size_t done = 0;
  while (done < result.bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(result.bytes.size() - done, 1u << 30));
    if (!ReadFile(file.get(), result.bytes.data() + done, want, &got, nullptr)) {
      result.error = GetLastError();
      result.bytes.clear();
      return result;
    }
    if (got == 0) break;
    done += got;
  }
  result.bytes.resize(done);
  return result;
}

}  // namespace qnv::files
