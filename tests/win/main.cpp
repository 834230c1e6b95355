// Entry of the in-process tests under Wine: one UI thread with OLE, the rich-edit and
// common-controls libraries loaded and per-monitor DPI awareness, as in the program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ui/win/Handles.h"

int wmain(int argc, wchar_t** argv) {
  // Aware of each display's scale, as the program's manifest declares it.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  qnv::ui::OleInit ole;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryW(L"riched20.dll");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
