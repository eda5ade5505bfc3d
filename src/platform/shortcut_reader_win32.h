#pragma once
// Shortcut targets through the shell's shell-link object.
#include "platform/shortcut_reader.h"

namespace hw {

/// Make and use it on the UI thread: it joins the thread to a
/// single-threaded COM apartment for its lifetime (a no-op when the thread
/// already has one).
class Win32ShortcutReader : public ShortcutReader {
 public:
  Win32ShortcutReader();
  ~Win32ShortcutReader() override;
  Win32ShortcutReader(const Win32ShortcutReader&) = delete;
  Win32ShortcutReader& operator=(const Win32ShortcutReader&) = delete;

  /// A target whose name does not fit the ANSI code page is given by its
  /// short (8.3) name when the target exists, so that it is not taken for
  /// missing.
  std::string TargetPath(const std::string& shortcutPath) override;

 private:
  bool uninitialize_ = false;
};

}  // namespace hw
