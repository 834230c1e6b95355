#include "richedit/win/OleCallback.h"

#include <cstdio>

#include "richedit/win/ComPointer.h"

namespace qnv::richedit {

void OleCallback::reset() noexcept {
  references_ = 0;
  rootStorage_ = nullptr;
  storages_ = 0;
}

STDMETHODIMP OleCallback::QueryInterface(REFIID riid, void** object) noexcept {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IRichEditOleCallback)) {
    *object = static_cast<IRichEditOleCallback*>(this);
    ++references_;
    return S_OK;
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) OleCallback::AddRef() noexcept { return ++references_; }

// Never frees: the helper that owns this object decides its life.
STDMETHODIMP_(ULONG) OleCallback::Release() noexcept { return --references_; }

STDMETHODIMP OleCallback::GetNewStorage(LPSTORAGE* storage) noexcept {
  IStorage* root = rootStorage_;
  // The number is used up before the creation is tried, so a name is never handed out twice,
  // not even after a failure.
  ++storages_;
  char name[32];
  std::snprintf(name, sizeof name, "REOLEStorage%d", static_cast<int>(storageCount()));
  if (!root && storage) *storage = nullptr;
  ComPointer parent;
  parent.attach(root);
  return parent.createStorage(name, kObjectStorageMode, 0, 0, storage);
}

// The control asks here for a frame and a document window for in-place activation of an
// object. This editor offers neither: both out-values are set to null (when the control
// passed somewhere to write them) and the frame information is left alone, which lets the
// control activate objects without in-place UI of the host.
STDMETHODIMP OleCallback::GetInPlaceContext(LPOLEINPLACEFRAME* frame,
                                            LPOLEINPLACEUIWINDOW* document,
                                            LPOLEINPLACEFRAMEINFO) noexcept {
  if (frame) *frame = nullptr;
  if (document) *document = nullptr;
  return S_OK;
}

STDMETHODIMP OleCallback::ShowContainerUI(WINBOOL) noexcept { return S_OK; }

// Every object may be inserted.
STDMETHODIMP OleCallback::QueryInsertObject(LPCLSID, LPSTORAGE, LONG) noexcept { return S_OK; }

STDMETHODIMP OleCallback::DeleteObject(LPOLEOBJECT) noexcept { return S_OK; }

// Accepts the data in the format the control proposed, which is left unchanged.
STDMETHODIMP OleCallback::QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, WINBOOL,
                                          HGLOBAL) noexcept {
  return S_OK;
}

STDMETHODIMP OleCallback::ContextSensitiveHelp(WINBOOL) noexcept { return S_OK; }

// No clipboard object of our own: the control builds the data for cut and copy itself.
STDMETHODIMP OleCallback::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) noexcept {
  return E_NOINTERFACE;
}

// The effect stays as the control set it.
STDMETHODIMP OleCallback::GetDragDropEffect(WINBOOL, DWORD, LPDWORD) noexcept { return S_OK; }

// No menu: the editor shows its own from the control's right-button event.
STDMETHODIMP OleCallback::GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) noexcept {
  return S_OK;
}

}  // namespace qnv::richedit
