#pragma once
// A non-owning reference to a storage: it never takes or drops a reference by itself.
// Creating, copying or discarding one calls nothing on the target.
#include <windows.h>
#include <ole2.h>

namespace qnv::richedit {

class ComPointer {
 public:
  ComPointer() = default;

  // Points at `target` without taking a reference; true when it is non-null.
  bool attach(IStorage* target) noexcept;

  // Calls the target's Release and returns its result; `target` keeps its value.
  // Without a target there is nothing to release and the result is 0.
  ULONG release() noexcept;

  // IStorage::CreateStorage on the target with `name` converted from the ANSI code page to
  // UTF-16. E_NOINTERFACE without any call when there is no target.
  HRESULT createStorage(const char* name, DWORD mode, DWORD reserved1, DWORD reserved2,
                        IStorage** out) noexcept;

  IStorage* target() const noexcept { return target_; }

 private:
  IStorage* target_ = nullptr;
};

}  // namespace qnv::richedit
