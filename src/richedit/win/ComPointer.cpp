#include "richedit/win/ComPointer.h"

#include <cstring>
#include <string>

namespace qnv::richedit {

bool ComPointer::attach(IStorage* target) noexcept {
  target_ = target;
  return target_ != nullptr;
}

ULONG ComPointer::release() noexcept {
  return target_ ? target_->Release() : 0;
}

HRESULT ComPointer::createStorage(const char* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                  IStorage** out) noexcept {
  if (!target_) return E_NOINTERFACE;
  if (!name) name = "";
  try {
    // The length includes the terminating NUL, so the converted string keeps it.
    const int bytes = static_cast<int>(std::strlen(name)) + 1;
    const int units = MultiByteToWideChar(CP_ACP, 0, name, bytes, nullptr, 0);
    if (units <= 0) return HRESULT_FROM_WIN32(GetLastError());
    std::wstring wide(static_cast<size_t>(units), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, name, bytes, wide.data(), units) <= 0) {
      return HRESULT_FROM_WIN32(GetLastError());
    }
    return target_->CreateStorage(wide.c_str(), mode, reserved1, reserved2, out);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace qnv::richedit
