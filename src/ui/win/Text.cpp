#include "ui/win/Text.h"

#include <windows.h>

namespace qnv::ui {
namespace {

std::wstring toWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string fromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return {};
  const int n =
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring widen(std::string_view utf8) { return toWide(CP_UTF8, utf8); }
std::string narrow(std::wstring_view wide) { return fromWide(CP_UTF8, wide); }
std::string toAnsi(std::wstring_view wide) { return fromWide(CP_ACP, wide); }
std::wstring fromAnsi(std::string_view ansi) { return toWide(CP_ACP, ansi); }

std::optional<std::string> toAnsiExactly(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                      nullptr, &usedDefault);
  // The way back must give the same characters: no look-alike stood in for one.
  std::wstring back = toWide(CP_ACP, bytes);
  const bool exact = !usedDefault && back == wide;
  if (!back.empty()) SecureZeroMemory(back.data(), back.size() * sizeof(wchar_t));
  if (exact) return bytes;
  SecureZeroMemory(bytes.data(), bytes.size());
  return std::nullopt;
}

bool representableInAnsi(std::wstring_view wide) {
  if (wide.empty()) return true;
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, &usedDefault);
  return n > 0 && !usedDefault;
}

namespace {

// Our own words for the file errors a user meets, for systems that have no text for them
// (Wine has none for some).
const wchar_t* ownErrorText(unsigned long errorCode) {
  switch (errorCode) {
    case ERROR_FILE_NOT_FOUND: return L"找不到文件。";
    case ERROR_PATH_NOT_FOUND: return L"找不到路径。";
    case ERROR_ACCESS_DENIED: return L"拒绝访问。";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return L"内存不足。";
    case ERROR_WRITE_PROTECT: return L"介质受写入保护。";
    case ERROR_NOT_READY: return L"设备未就绪。";
    case ERROR_WRITE_FAULT: return L"无法写入设备。";
    case ERROR_READ_FAULT: return L"无法读取设备。";
    case ERROR_SHARING_VIOLATION: return L"文件正被另一个程序使用，无法访问。";
    case ERROR_LOCK_VIOLATION: return L"文件的一部分已被另一个程序锁定，无法访问。";
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return L"磁盘空间不足。";
    case ERROR_BAD_NETPATH: return L"找不到网络路径。";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return L"文件已存在。";
    case ERROR_INVALID_NAME: return L"文件名、目录名或卷标语法不正确。";
    case ERROR_FILENAME_EXCED_RANGE: return L"文件名或扩展名太长。";
    case ERROR_BAD_FILE_TYPE: return L"不支持此文件类型。";
    case ERROR_FILE_TOO_LARGE: return L"文件太大。";
    case ERROR_DIRECTORY: return L"目录名称无效。";
    case ERROR_USER_MAPPED_FILE: return L"文件正被另一个程序映射到内存中，无法修改。";
    default: return nullptr;
  }
}

}  // namespace

std::wstring systemMessage(unsigned long errorCode) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (!text.empty()) return text;
  if (const wchar_t* own = ownErrorText(errorCode)) return own;
  return L"错误代码 " + std::to_wstring(errorCode);
}

}  // namespace qnv::ui
