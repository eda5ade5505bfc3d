#include "repair/recheck.h"

#include <algorithm>

#include "checks/section_catalogue.h"
#include "checks/section_checks.h"
#include "engine/mani.h"
#include "platform/shortcut_reader.h"
#include "platform/file_services.h"
#include "registry/module1.h"
#include "platform/vb_text.h"

namespace hw {

bool StillAProblem(SectionChecks& checks, const ScannedProblem& problem, RegKey root, const std::string& key,
                   const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (problem.sectionCode.empty()) return true;
  // The bytes as the walker hands them to the rules.
  std::vector<std::uint8_t> bytes(data.begin(), data.begin() + std::min<std::size_t>(data.size(), kMaxDataBytes));
  if (bytes.empty()) bytes.assign(1, 0);
  std::string byteLogText;
  const std::string text = checks.ProblemTextNow(problem.sectionCode, Module1::RootKeyName(root), key, name,
                                                 CutAtNul(RegDataText(type, bytes)), &byteLogText);
  if (text.empty() || text != problem.loggedText) return false;
  // A default value found by its key's name was logged without its bytes.
  if (!problem.scannedBytes || name.empty()) return true;
  BinaryEntry now;
  now.SetText(byteLogText);
  // A record of another problem (logs of different scans) says nothing.
  if (now.Text != problem.scannedBytes->Text) return true;
  std::copy_n(bytes.begin(), std::min(bytes.size(), kEntryBytes), now.Bytes.begin());
  return now.Bytes == problem.scannedBytes->Bytes;
}

bool ShortcutStillBroken(FileServices& files, ShortcutReader& shortcuts, const std::string& shortcutPath,
                         const std::string& loggedTarget) {
  const std::string target = shortcuts.TargetPath(shortcutPath);
  if (target.empty()) return false;
  if (!loggedTarget.empty() && UCase(target) != UCase(loggedTarget)) return false;
  if (target.size() == 3 && target.compare(1, 2, ":\\") == 0) return !files.DriveExists(target);
  return !files.FileExists(target) && !files.FolderExists(target);
}

std::string SectionOfHeader(const std::string& line) {
  for (const Section& s : SectionCatalogue())
    if (line == s.logHeader) return s.code;
  return std::string();
}

}  // namespace hw
