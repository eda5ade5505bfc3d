#pragma once
// One recorded problem as data, made where the checks record it: what the
// reports of the command-line program are made of, in exact UTF-8 (never
// the "?" forms of the logs).
#include <optional>
#include <string>
#include <vector>

namespace hw {

struct FoundProblem {
  /// The problem's number in the scan's logs (1, 2, ...).
  long number = 0;
  /// Section code ("RI", "CC", ..., "Scan" for the shortcut files).
  std::string section;
  /// "HKEY_LOCAL_MACHINE" and the key below it; empty for a shortcut file.
  std::string root, key;
  /// The value's name ("" for the default value); none for a key match and
  /// for a shortcut file.
  std::optional<std::string> value;
  /// The data as read (a shortcut's target as stored in the file).
  std::string data;
  /// The path that was tested.
  std::string path;
  /// What was missing: "file", "folder", "drive" or "target".
  std::string missing;
  /// The shortcut file, in the shortcut section only.
  std::optional<std::string> shortcut;
};

/// Problems of one section in a scan, in catalogue order.
struct SectionTotal {
  std::string code, caption;
  long problems = 0;
};

}  // namespace hw
