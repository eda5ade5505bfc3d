#pragma once
// Turning registry text into an existence verdict: pull a drive path out of
// a value's text, test a path that may carry arguments, expand a leading
// environment reference. Pure functions of the text and the file system.
#include <string>

#include "platform/system_info.h"
#include "platform/file_services.h"

namespace hw {

class PathTests {
 public:
  PathTests(FileServices& files, SystemInfo& system) : files_(files), system_(system) {}

  /// The drive path in `text` (cut at a NUL; a leading quotation mark
  /// dropped and the text cut at the closing one), or "" when the result
  /// has no ":" at position 2. A quotation mark that is never closed takes
  /// the whole remainder as the path.
  std::string ExtractPath(const std::string& text);

  /// True when the text, or its part in front of " /", " -" or a space,
  /// names an existing file (or, bare or before " /", a folder).
  bool FileOrFolderExists(const std::string& text);

  /// True when the text, after expanding an environment reference that
  /// starts it, names an existing folder.
  bool ExpandedFolderExists(const std::string& text);
  /// The folder ExpandedFolderExists tests.
  std::string ExpandedPath(const std::string& text);
  /// The command's path in a text with arguments: cut in front of " /" or
  /// " -" (what a report names as the path that was tested).
  std::string CommandPath(const std::string& text);

 private:
  FileServices& files_;
  SystemInfo& system_;
};

}  // namespace hw
