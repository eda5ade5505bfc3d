#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "support/test_paths.h"
#include "ui/win32/main_window_win32.h"
#include "ui/win32/screenshot_win32.h"

namespace hw {
namespace {

void PumpFor(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

TEST(FirstWindow, OpensWithTitleAndSavesScreenshot) {
  MainWindow window;
  ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
  ShowWindow(window.Handle(), SW_SHOW);
  UpdateWindow(window.Handle());
  PumpFor(300);
  char title[64] = {};
  GetWindowTextA(window.Handle(), title, sizeof title);
  EXPECT_STREQ("Hivewright", title);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));

  std::string dir = test::BuildDir() + "\\screenshots";
  std::filesystem::create_directories(dir);
  std::string png = dir + "\\first_window.png";
  ASSERT_TRUE(SaveWindowPng(window.Handle(), png));
  EXPECT_GT(std::filesystem::file_size(png), 100u);
}

}  // namespace
}  // namespace hw
