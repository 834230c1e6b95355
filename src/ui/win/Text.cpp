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

std::wstring systemMessage(unsigned long errorCode) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : L"错误代码 " + std::to_wstring(errorCode);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return text;
}

}  // namespace qnv::ui
