// The yardstick for start-up: the least a Win32 program does to show a RichEdit.
#include <windows.h>
#include <richedit.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  LoadLibraryW(L"riched20.dll");
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, m, w, l);
  };
  wc.hInstance = instance;
  wc.lpszClassName = L"minimal";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, L"minimal", L"minimal", WS_OVERLAPPEDWINDOW, 50, 50, 600, 500, nullptr, nullptr,
                           instance, nullptr);
  CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 584, 461, w, nullptr, instance,
                  nullptr);
  ShowWindow(w, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
