#pragma once
// Message boxes, the input box and the folder picker of Windows.
#include "platform/windows_win32.h"

#include "platform/user_dialogs.h"

namespace hw {

/// Control ids of the input box, for whoever drives it (tests).
constexpr int kInputBoxPromptId = 1001;
constexpr int kInputBoxEditId = 1002;

class Win32UserDialogs : public UserDialogs {
 public:
  explicit Win32UserDialogs(HWND owner = nullptr) : owner_(owner) {}
  /// The window the dialogs are modal to.
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND Owner() const { return owner_; }

  MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                       MsgIcon icon = MsgIcon::kNone) override;
  std::string InputBox(const std::string& prompt, const std::string& title) override;
  /// Needs COM on the calling thread (the shortcut reader's apartment).
  /// The shell's folder picker (IFileOpenDialog, which also makes new
  /// folders); the older one where that is missing.
  std::string BrowseForFolder(const std::string& title, const std::string& startFolder) override;

 private:
  HWND owner_;
};

}  // namespace hw
