#pragma once
// Connects the OleCallback to the editor's RichEdit control: creates the temporary compound
// file that holds the storages of embedded objects and installs the callback in the control.
// The program has one helper; the editor window calls attach() from its creation handler,
// and the program's clean-up calls destroy().
#include <windows.h>
#include <ole2.h>

#include "richedit/win/OleCallback.h"
#include "ui/win/Handles.h"

namespace qnv::richedit {

class RichEditHelper {
 public:
  RichEditHelper() = default;
  ~RichEditHelper() { destroy(); }
  // The control holds the callback's address, so the helper stays where it was made.
  RichEditHelper(const RichEditHelper&) = delete;
  RichEditHelper& operator=(const RichEditHelper&) = delete;

  // Installs the callback in the control `controlId` of `window`; true when the control took
  // it. Runs once: after the control has been found, every later call returns false and
  // changes nothing, whatever the first outcome. When the control is not found, a later call
  // tries again.
  bool attach(HWND window, int controlId) noexcept;

  // Sends EM_SETOLECALLBACK with `callback` to the control named by the window and control
  // id given to attach(); true when the control answers non-zero.
  bool setOleCallback(IRichEditOleCallback* callback) noexcept;

  // Revokes the callback from the control if it still exists, then releases the root
  // storage. Safe to call more than once; the destructor calls it too.
  void destroy() noexcept;

  HWND windowId() const noexcept { return windowId_; }
  int controlId() const noexcept { return controlId_; }
  HWND controlHandle() const noexcept { return controlHandle_; }
  IStorage* rootStorage() const noexcept { return rootStorage_.get(); }
  OleCallback& callback() noexcept { return callback_; }

 private:
  HWND windowId_ = nullptr;
  int controlId_ = 0;
  HWND controlHandle_ = nullptr;  // set by attach() and never cleared
  OleCallback callback_;
  ui::ComPtr<IStorage> rootStorage_;  // the one reference the helper holds
};

}  // namespace qnv::richedit
