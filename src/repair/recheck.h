#pragma once
// The second look just before a repair deletes something: a problem found
// by the scan is deleted only while it is still that problem.
#include <cstdint>
#include <string>
#include <vector>

#include "checks/problem_logs.h"
#include "platform/registry_api.h"

namespace hw {

class SectionChecks;
class FileServices;
class ShortcutReader;

/// What the scan logged of one registry problem.
struct ScannedProblem {
  std::string sectionCode;  ///< empty: not known, no second look
  std::string loggedText;   ///< its err.log text
  /// Its BinaryEntries.log record (the first 257 data bytes at scan time);
  /// null when not known.
  const BinaryEntry* scannedBytes = nullptr;
};

/// True when the value, as it is now (`type`, `data`), is still the problem
/// the scan logged: its section's rule still reports it with the same text
/// and, where the scan kept them, its first data bytes are unchanged.
bool StillAProblem(SectionChecks& checks, const ScannedProblem& problem, RegKey root, const std::string& key,
                   const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data);

/// True when the shortcut file still points where nothing exists and, when
/// the scan logged its target (`loggedTarget` not empty), still there.
bool ShortcutStillBroken(FileServices& files, ShortcutReader& shortcuts, const std::string& shortcutPath,
                         const std::string& loggedTarget);

/// The section code of an err.log header line ("[Startup Programmes]");
/// empty when it is none.
std::string SectionOfHeader(const std::string& line);

}  // namespace hw
