#pragma once
// frmSplash: the product's picture for a while at start, then its timer
// brings up the main window (Startup::Timer1_Timer).
#include "platform/windows_win32.h"

#include <functional>

#include "ui/startup.h"

namespace hw {

class Form1Window;

class SplashWindow : public SplashHost {
 public:
  /// `intervalMs` is Timer1's interval (4000 in the program).
  explicit SplashWindow(Form1Window& main, unsigned intervalMs = 4000) : main_(main), intervalMs_(intervalMs) {}
  ~SplashWindow() override;
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  /// The start-up whose Timer1_Timer the timer runs.
  void SetStartup(Startup& startup) { startup_ = &startup; }
  /// Called once the splash is on screen (tests take its picture).
  std::function<void(HWND)> onShown;

  void HideMain() override;
  void ShowMain() override;
  void ShowSplashModal() override;
  void UnloadSplash() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  /// What Timer1 does, once, however the splash ends (timer or close).
  void Timer1Fired();

  Form1Window& main_;
  unsigned intervalMs_;
  Startup* startup_ = nullptr;
  HWND hwnd_ = nullptr;
  bool done_ = false;
  bool fired_ = false;
};

}  // namespace hw
