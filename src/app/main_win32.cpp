// hivewright.exe: the Windows backends, the main window and the start-up.
#include "platform/windows_win32.h"

#include <string>

#include "platform/message_pump_win32.h"
#include "platform/shortcut_reader_win32.h"
#include "platform/system_info_win32.h"
#include "platform/file_services_win32.h"
#include "platform/platform.h"
#include "platform/registry_api_win32.h"
#include "ui/startup.h"
#include "ui/win32/form1_window_win32.h"
#include "platform/shell_win32.h"
#include "ui/win32/splash_win32.h"
#include "platform/user_dialogs_win32.h"

namespace {

// One program at a time: a second one (the start-up entry at logon and a
// start by hand) would write into the same logs. The mutex lives as long
// as this process.
constexpr char kRunningMutex[] = "Local\\Hivewright.Running";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Only the arguments count: the program's own path may be quoted.
  const std::string arguments = hw::ArgumentsOf(GetCommandLineA());
  HANDLE running = CreateMutexA(nullptr, FALSE, kRunningMutex);
  if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
    // A start-up scan finding the program open ends quietly; a start by
    // hand shows the window that is there.
    if (!hw::IsStartupScanRequest(arguments)) hw::Form1Window::BringRunningToFront();
    CloseHandle(running);
    return 0;
  }

  hw::Win32ShortcutReader shortcuts;  // joins this thread to a COM apartment first
  hw::Win32Registry registry;
  hw::Win32FileServices files;
  hw::Win32SystemInfo system;
  hw::Win32MessagePump pump;
  hw::Win32UserDialogs dialogs;
  hw::Win32Shell shell;
  hw::Platform platform{registry, files, system, shortcuts, pump, dialogs, shell};

  hw::Form1Window window(platform);
  if (!window.Create(instance)) return 1;
  dialogs.SetOwner(window.Handle());
  pump.SetDialogWindow(window.Handle());
  hw::SplashWindow splash(window);
  hw::Startup startup(window.Form(), splash);
  splash.SetStartup(startup);
  startup.Main(arguments);
  if (pump.QuitSeen() || !window.Handle()) return 0;
  return window.RunMessageLoop();
}
