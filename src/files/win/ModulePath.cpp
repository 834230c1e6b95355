#include "files/win/ModulePath.h"

#include <windows.h>

#include <vector>

namespace qnv::files {

std::wstring programModulePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  while (true) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    if (buffer.size() >= 32768) return {};  // no path is longer
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace qnv::files
