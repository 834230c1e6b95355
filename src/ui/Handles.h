#pragma once
// Small owners for Win32 handles and COM pointers: move-only, released once.
#include <windows.h>
#include <ole2.h>

#include <utility>

namespace qnv::ui {

template <typename H, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(H h) : h_(h) {}
  ~Unique() { reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
  Unique& operator=(Unique&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Traits::invalid());
    }
    return *this;
  }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::invalid(); }
  H release() { return std::exchange(h_, Traits::invalid()); }
  void reset(H h = Traits::invalid()) {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::invalid();
};

struct FileHandleTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct KernelHandleTraits {
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct GdiTraits {
  static HGDIOBJ invalid() { return nullptr; }
  static void close(HGDIOBJ h) { DeleteObject(h); }
};
struct MenuTraits {
  static HMENU invalid() { return nullptr; }
  static void close(HMENU h) { DestroyMenu(h); }
};
struct RegKeyTraits {
  static HKEY invalid() { return nullptr; }
  static void close(HKEY h) { RegCloseKey(h); }
};

using UniqueFile = Unique<HANDLE, FileHandleTraits>;
using UniqueHandle = Unique<HANDLE, KernelHandleTraits>;
using UniqueGdi = Unique<HGDIOBJ, GdiTraits>;
using UniqueMenu = Unique<HMENU, MenuTraits>;
using UniqueKey = Unique<HKEY, RegKeyTraits>;

// A COM interface pointer that holds one reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  T** put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

// COM/OLE initialisation for the calling thread, undone on destruction.
class OleInit {
 public:
  OleInit() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleInit() {
    if (ok_) OleUninitialize();
  }
  OleInit(const OleInit&) = delete;
  OleInit& operator=(const OleInit&) = delete;

 private:
  bool ok_;
};

}  // namespace qnv::ui
