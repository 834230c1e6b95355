#include "richedit/win/RichEditHelper.h"

#include <richedit.h>


namespace qnv::richedit {

bool RichEditHelper::attach(HWND window, int controlId) noexcept {
  if (controlHandle_) return false;
  controlHandle_ = window ? GetDlgItem(window, controlId) : nullptr;
  windowId_ = window;
  controlId_ = controlId;
  rootStorage_.reset();
  callback_.reset();

  // No file name: the system makes a temporary compound file with a unique name.
  if (FAILED(StgCreateDocfile(nullptr, kObjectStorageMode, 0, rootStorage_.put())) || !rootStorage_) {
    rootStorage_.reset();
    return false;
  }
  callback_.setRootStorage(rootStorage_.get());

  if (setOleCallback(&callback_)) return true;

  // Refused: the control never saw the storage, so its one reference goes now.
  callback_.setRootStorage(nullptr);
  rootStorage_.reset();
  return false;
}

bool RichEditHelper::setOleCallback(IRichEditOleCallback* callback) noexcept {
  if (!windowId_) return false;
  return SendDlgItemMessageW(windowId_, controlId_, EM_SETOLECALLBACK, 0,
                             reinterpret_cast<LPARAM>(callback)) != 0;
}

void RichEditHelper::destroy() noexcept {
  if (rootStorage_) {
    // The callback is installed exactly while the root storage is held. The control would
    // keep calling it (GetNewStorage on the next paste, Release when the control goes) after
    // the storage is gone, so while the control window still exists it is told to forget
    // the callback first: EM_SETOLECALLBACK with a null address. A control that has already
    // been destroyed gave the callback up itself.
    if (controlHandle_ && IsWindow(controlHandle_)) {
      SendMessageW(controlHandle_, EM_SETOLECALLBACK, 0, 0);
    }
    rootStorage_.reset();
  }
  // From here on a stray call finds no root storage and creates nothing.
  callback_.setRootStorage(nullptr);
}

}  // namespace qnv::richedit
