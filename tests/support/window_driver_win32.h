#pragma once
// What a person does to a real window under test: runs its messages, clicks,
// presses keys, answers popup menus and dialogs, and photographs it.
#include "platform/windows_win32.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace hw::test {

/// Runs messages for `ms`; with `dialog`, its keyboard navigation too, as
/// the program's message loop does.
void PumpFor(DWORD ms, HWND dialog = nullptr);
/// Runs messages until WM_QUIT comes or `ms` have passed; its code, or -1.
int PumpUntilQuit(DWORD ms);
/// Drops a quit message a window of an earlier test left behind.
void DropQuitMessages();

std::string WindowText(HWND window);
/// The first window below `parent`, at any depth, of `className` (and with `text`).
HWND FindChild(HWND parent, const char* className, const char* text = nullptr);
std::string ClipboardText();

/// Saves the window as build/screenshots/<name>.png for a person to look at.
bool Screenshot(HWND window, const std::string& name);

/// A mouse press and release posted to a point of a control.
void PostClick(HWND control, POINT at);
void PostClickMiddle(HWND control);
/// A real press and release (left or right) through the input queue, at a
/// point of `control`'s client area (of the screen without one).
void RealClick(HWND control, POINT at, bool right = false);
/// A key posted to the focused window; `mods` held meanwhile.
void PressKey(UINT vk, std::initializer_list<int> mods = {});
/// Alt with a letter: a mnemonic.
void PressAlt(char letter);

/// Runs `action` once a top-level window of `className` (or with `title`)
/// shows, checked on a timer while the test's or a modal loop runs.
void WhenWindowShows(const char* className, const char* title, std::function<void(HWND)> action);

/// A person facing a popup menu: notes its items and clicks the one with
/// `caption` (or closes the menu when there is none).
struct MenuAnswer {
  std::vector<std::string> offered;
  bool clicked = false;
};
void AnswerNextMenu(const std::string& caption, MenuAnswer& answer, HWND photographed = nullptr,
                    const std::string& picture = std::string());

/// A program of this build (or of Windows), started with `arguments` in
/// the build folder; ended if it still runs when this goes.
class StartedProgram {
 public:
  explicit StartedProgram(const std::string& arguments, const std::string& program = "hivewright.exe");
  ~StartedProgram();
  /// The exit code once it has ended within `ms`; -1 while it still runs.
  long EndedWith(DWORD ms);
  /// Its visible main window, waited for up to `ms`.
  HWND MainWindow(DWORD ms);

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

}  // namespace hw::test
