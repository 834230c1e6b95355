#pragma once
// The callback a RichEdit control needs before it holds embedded objects: it accepts every
// object and data format it is offered, gives each new object its own sub-storage of one
// root storage, and leaves clipboard data, drag effects and context menus to the control.
//
// The object is owned by its RichEditHelper and lives as long as the helper. Its reference
// count is kept for the control's benefit only: it has no lower bound and never frees the
// object.
#include <windows.h>
#include <ole2.h>
#include <richole.h>

#include <cstdint>

namespace qnv::richedit {

// The mode of every storage made for embedded objects, the root included.
inline constexpr DWORD kObjectStorageMode = STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
static_assert(kObjectStorageMode == 0x00011012);

class OleCallback final : public IRichEditOleCallback {
 public:
  OleCallback() = default;
  OleCallback(const OleCallback&) = delete;
  OleCallback& operator=(const OleCallback&) = delete;
  ~OleCallback() = default;

  // Back to the state before installation: both counters 0, no root storage.
  void reset() noexcept;
  // The storage new object storages are created under; no reference is taken.
  void setRootStorage(IStorage* root) noexcept { rootStorage_ = root; }

  std::int32_t referenceCount() const noexcept { return static_cast<std::int32_t>(references_); }
  std::int32_t storageCount() const noexcept { return static_cast<std::int32_t>(storages_); }
  IStorage* rootStorage() const noexcept { return rootStorage_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) noexcept override;
  STDMETHODIMP_(ULONG) AddRef() noexcept override;
  STDMETHODIMP_(ULONG) Release() noexcept override;

  // IRichEditOleCallback
  STDMETHODIMP GetNewStorage(LPSTORAGE* storage) noexcept override;
  STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* document,
                                 LPOLEINPLACEFRAMEINFO frameInfo) noexcept override;
  STDMETHODIMP ShowContainerUI(WINBOOL show) noexcept override;
  STDMETHODIMP QueryInsertObject(LPCLSID clsid, LPSTORAGE storage, LONG cp) noexcept override;
  STDMETHODIMP DeleteObject(LPOLEOBJECT object) noexcept override;
  STDMETHODIMP QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD operation,
                               WINBOOL really, HGLOBAL metafilePicture) noexcept override;
  STDMETHODIMP ContextSensitiveHelp(WINBOOL enterMode) noexcept override;
  STDMETHODIMP GetClipboardData(CHARRANGE* range, DWORD operation,
                                LPDATAOBJECT* data) noexcept override;
  STDMETHODIMP GetDragDropEffect(WINBOOL drag, DWORD keyState, LPDWORD effect) noexcept override;
  STDMETHODIMP GetContextMenu(WORD selectionType, LPOLEOBJECT object, CHARRANGE* range,
                              HMENU* menu) noexcept override;

 private:
  // Unsigned so that counting past either end wraps instead of overflowing; read as signed.
  std::uint32_t references_ = 0;
  IStorage* rootStorage_ = nullptr;
  std::uint32_t storages_ = 0;
};

}  // namespace qnv::richedit
