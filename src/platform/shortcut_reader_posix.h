#pragma once
// A reader of shell-link (.lnk) files of its own, after the published
// MS-SHLLINK format. The target is what the shell reports as TargetPath:
// LinkInfo's local base path (the Unicode one when present) joined with the
// common path suffix; without a local path, the path spelt by the ID list
// (My Computer, a drive, then file-system items with their long names);
// empty when neither gives a file-system path (network-only targets, web
// addresses, special folders) or the file is malformed.
//
// The reader is given Windows-form paths, like every caller of
// ShortcutReader, and maps them to host paths through a resolver, normally
// PosixFileServices::HostPath, so it sees the same drives as the rest of the
// program.
#include <functional>
#include <string>

#include "platform/shortcut_reader.h"

namespace hw {

class PosixFileServices;

/// What a shell-link file says about its target. `valid` is false for a
/// file that is not a shell link or whose sizes, counts or offsets do not
/// fit; the paths are then empty.
struct ShortcutPaths {
  bool valid = false;
  std::string linkInfoPath;  // LinkInfo local base path + common suffix
  std::string idListPath;    // the path spelt by the target ID list
};

/// Parses shell-link bytes; never reads outside `bytes`.
ShortcutPaths ParseShortcutPaths(const std::string& bytes);

class PosixShortcutReader : public ShortcutReader {
 public:
  /// Maps a Windows-form path to a host path; false when it cannot.
  using Resolver = std::function<bool(const std::string& windowsPath, std::string* hostPath)>;

  explicit PosixShortcutReader(Resolver resolver);
  /// Resolves through `files`, which must outlive the reader.
  explicit PosixShortcutReader(const PosixFileServices& files);

  std::string TargetPath(const std::string& shortcutPath) override;

 private:
  Resolver resolver_;
};

}  // namespace hw
