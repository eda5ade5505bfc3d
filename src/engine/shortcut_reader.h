#pragma once
// The target of a shortcut (.lnk) file. Backends: shortcut_reader_win32.cpp
// (the shell's IShellLinkA) and shortcut_reader_posix.cpp (a reader of the
// shell-link file format).
#include <string>

namespace hw {

class ShortcutReader {
 public:
  virtual ~ShortcutReader() = default;
  /// The file-system path the shortcut points to, as the shell reports it;
  /// empty when it has none (a web address, a special folder) or the file
  /// cannot be read. Never throws.
  virtual std::string TargetPath(const std::string& shortcutPath) = 0;
};

}  // namespace hw
