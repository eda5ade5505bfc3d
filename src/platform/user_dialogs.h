#pragma once
// Message boxes, the input box and the folder picker. Win32:
// user_dialogs_win32.cpp; tests use a scripted one that records the texts.
#include <string>

namespace hw {

enum class MsgButtons { kOk, kYesNo };
enum class MsgIcon { kNone, kInformation, kQuestion, kExclamation, kCritical };
enum class MsgAnswer { kOk, kYes, kNo };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                               MsgIcon icon = MsgIcon::kNone) = 0;
  /// The typed answer; empty when the user cancelled.
  virtual std::string InputBox(const std::string& prompt, const std::string& title) = 0;
  /// The chosen folder's path; empty when the user cancelled. The picker
  /// opens at `startFolder` when that exists.
  virtual std::string BrowseForFolder(const std::string& title, const std::string& startFolder) = 0;
};

}  // namespace hw
