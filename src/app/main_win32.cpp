#include <windows.h>

#include "ui/win32/main_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  hw::MainWindow window;
  if (!window.Create(instance)) return 1;
  ShowWindow(window.Handle(), show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
