#pragma once
// The target of a shortcut (.lnk) file. Backends: shortcut_reader_win32.cpp
// (the shell's IShellLinkW) and shortcut_reader_posix.cpp (a reader of the
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

/// A link keeps its target twice: in single-byte fields in the code page of
/// whoever made it, and in its ID list with the names in UTF-16. No Windows
/// path holds '?', so a '?' is a character the single-byte form lost: then
/// the other form is taken, and when both lost characters the target is not
/// known exactly and reported as none (so a working shortcut is never
/// judged by a spelling that names nothing).
inline std::string ExactTarget(const std::string& preferred, const std::string& other) {
  if (preferred.find('?') == std::string::npos) return preferred;
  if (!other.empty() && other.find('?') == std::string::npos) return other;
  return std::string();
}

}  // namespace hw
