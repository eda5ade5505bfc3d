#pragma once
// The progress a window's taskbar button shows (ITaskbarList3). Where the
// shell has no such interface, nothing is shown and nothing fails.
#include "platform/windows_win32.h"

#include <shobjidl.h>

namespace hw {

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  ~TaskbarProgress();
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

  /// Shows `percent` (0 to 100) on the button of `window`.
  void Show(HWND window, int percent);
  /// Takes the progress off the button.
  void Clear(HWND window);

 private:
  bool Ready();
  ITaskbarList3* list_ = nullptr;
  bool tried_ = false;
};

}  // namespace hw
