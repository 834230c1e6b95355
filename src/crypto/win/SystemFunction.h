#pragma once
// A function of a system library that only some commands need, loaded at its first use:
// under Wine, loading crypt32.dll and bcrypt.dll with the program costs its start-up about
// 50 ms, for protection that most sessions never use.
#include <windows.h>

namespace qnv::crypto {

// The function `name` of the system library `library` (from the system folder only), or
// nullptr when either is missing. Keep the result in a static: the library stays loaded.
template <typename Function>
Function* systemFunction(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace qnv::crypto
