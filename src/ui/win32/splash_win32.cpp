#include "ui/win32/splash_win32.h"

#include "ui/win32/form1_window_win32.h"
#include "ui/win32/pictures_win32.h"

namespace hw {

namespace {
constexpr char kSplashClass[] = "HivewrightSplash";
constexpr UINT_PTR kTimer1 = 1;
}  // namespace

SplashWindow::~SplashWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void SplashWindow::HideMain() { main_.Hide(); }

void SplashWindow::ShowMain() { main_.Show(); }

void SplashWindow::UnloadSplash() {
  if (!hwnd_) return;
  HWND h = hwnd_;
  hwnd_ = nullptr;
  KillTimer(h, kTimer1);
  DestroyWindow(h);
}

void SplashWindow::ShowSplashModal() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &SplashWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_APPSTARTING);
  wc.lpszClassName = kSplashClass;
  RegisterClassExA(&wc);

  const SIZE size = PictureSize("Splash");
  const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
  done_ = false;
  fired_ = false;
  hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSplashClass, "Hivewright", WS_POPUP | WS_BORDER, x, y,
                          size.cx + 2, size.cy + 2, nullptr, nullptr, instance, this);
  if (!hwnd_) {
    // Without a splash the start goes on at once.
    Timer1Fired();
    return;
  }
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  if (onShown) onShown(hwnd_);
  SetTimer(hwnd_, kTimer1, intervalMs_, nullptr);

  // Modal: the caller goes on once the timer's work has finished.
  MSG msg;
  while (!done_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    // A splash destroyed by someone else took its timer with it.
    if (!hwnd_ && !fired_) Timer1Fired();
  }
  UnloadSplash();
}

void SplashWindow::Timer1Fired() {
  if (fired_) return;
  fired_ = true;
  if (hwnd_) KillTimer(hwnd_, kTimer1);
  // Through the main window's handler guard: a close of the main window
  // during the start-up scan waits until that scan has stopped.
  if (startup_) main_.RunHandler([this] { startup_->Timer1_Timer(); });
  done_ = true;
}

LRESULT CALLBACK SplashWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<SplashWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    return self->HandleMessage(hwnd, msg, wp, lp);
  } catch (...) {
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT SplashWindow::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(hwnd, &ps);
      Bitmap picture = MakePicture("Splash");
      if (picture) {
        BITMAP bm{};
        GetObjectA(picture.Get(), sizeof bm, &bm);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, picture.Get());
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (wp != kTimer1) break;
      Timer1Fired();
      return 0;
    case WM_CLOSE:
      // Closing the splash (Alt+F4) goes on to the main window as the
      // timer would, rather than leave the program running unseen.
      Timer1Fired();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      if (hwnd == hwnd_) hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace hw
