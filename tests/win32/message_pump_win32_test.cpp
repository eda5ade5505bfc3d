#include <gtest/gtest.h>

#include "platform/message_pump_win32.h"
#include "platform/windows_win32.h"

namespace hw {
namespace {

int g_received = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP + 1) {
    ++g_received;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Win32MessagePump, DispatchesPostedMessagesCheaplyAndKeepsQuit) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "HwPumpTest";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA("HwPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, hwnd);

  Win32MessagePump pump;
  g_received = 0;
  PostMessageA(hwnd, WM_APP + 1, 0, 0);
  pump.DoEvents();  // the first call always looks
  EXPECT_EQ(1, g_received);

  // Within the interval the queue is not looked at; after it, it is.
  PostMessageA(hwnd, WM_APP + 1, 0, 0);
  pump.DoEvents();
  EXPECT_EQ(1, g_received);
  Sleep(20);
  pump.DoEvents();
  EXPECT_EQ(2, g_received);

  // A quit request seen by the pump stays for the main loop.
  Sleep(20);
  PostQuitMessage(3);
  pump.DoEvents();
  EXPECT_TRUE(pump.QuitSeen());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(3u, msg.wParam);

  // The paused wait sleeps until a message comes, then runs it even inside
  // the interval; with nothing queued it returns by itself.
  PostMessageA(hwnd, WM_APP + 1, 0, 0);
  pump.WaitForEvents();
  EXPECT_EQ(3, g_received);
  pump.WaitForEvents();
  EXPECT_EQ(3, g_received);

  DestroyWindow(hwnd);
  UnregisterClassA("HwPumpTest", wc.hInstance);
}

}  // namespace
}  // namespace hw
