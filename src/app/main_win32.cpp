// hivewright.exe: the Windows backends, the main window and the start-up.
#include "registry/windows_win32.h"

#include "engine/message_pump_win32.h"
#include "engine/shortcut_reader_win32.h"
#include "engine/system_info_win32.h"
#include "registry/file_services_win32.h"
#include "registry/platform.h"
#include "registry/registry_api_win32.h"
#include "ui/startup.h"
#include "ui/win32/form1_window_win32.h"
#include "ui/win32/shell_win32.h"
#include "ui/win32/splash_win32.h"
#include "ui/win32/user_dialogs_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
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
  hw::SplashWindow splash(window);
  hw::Startup startup(window.Form(), splash);
  splash.SetStartup(startup);
  // Only the arguments count: the program's own path may be quoted.
  startup.Main(hw::ArgumentsOf(GetCommandLineA()));
  if (pump.QuitSeen() || !window.Handle()) return 0;
  return window.RunMessageLoop();
}
