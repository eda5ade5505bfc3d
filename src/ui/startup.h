#pragma once
// The program's start: the command line, the hidden main window, the splash
// and what its timer does (the whole tree ticked, the start-up scan).
#include <string>

namespace hw {

class Form1;

/// The arguments of a whole command line: everything after the program's
/// own path, which may be quoted and may contain spaces.
std::string ArgumentsOf(const std::string& commandLine);

/// True when the arguments ask for the start-up scan: trimmed of spaces,
/// upper-cased, they begin with "/S" (so "/s", "  /S" and "/Silent").
bool IsStartupScanRequest(const std::string& arguments);

/// What the start-up asks of the windows.
class SplashHost {
 public:
  virtual ~SplashHost() = default;
  virtual void HideMain() = 0;
  virtual void ShowMain() = 0;
  /// Shows the splash modally; returns when it has gone and the work its
  /// timer started (Startup::Timer1_Timer) has finished.
  virtual void ShowSplashModal() = 0;
  /// Closes the splash (from its own timer).
  virtual void UnloadSplash() = 0;
};

class Startup {
 public:
  Startup(Form1& form, SplashHost& host) : form_(form), host_(host) {}

  /// Program entry after the platform has made its windows: loads Form1,
  /// finds the Windows folder, shows the splash.
  void Main(const std::string& arguments);
  /// The splash's timer, once: the main window with everything ticked and,
  /// in start-up mode, the scan (and with NoConfirmation the repair).
  void Timer1_Timer();

  /// Set by Main for "/S", cleared once the scan it asked for has returned.
  bool StartupScanMode = false;

 private:
  Form1& form_;
  SplashHost& host_;
};

}  // namespace hw
