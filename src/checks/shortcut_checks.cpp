// The shortcut section's rule: a shortcut is broken when nothing exists at
// its target any more; the problem is the shortcut file itself.
#include "checks/section_checks.h"

#include "platform/file_services.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace hw {
namespace {

constexpr int kShortcutCounter = 10;

// A target with a three- or four-character extension reads as a file.
bool LooksLikeFile(const std::string& target) {
  const std::size_t n = target.size();
  return (n >= 4 && target[n - 4] == '.') || (n >= 5 && target[n - 5] == '.');
}

}  // namespace

void SectionChecks::sReg_ShortFound(const std::string& short_path) {
  try {
    if (short_path.empty()) return;
    FileServices& files = m_.platform().files;
    bool folderTarget = false;
    bool broken = false;
    if (short_path.size() == 3) {
      if (short_path.compare(1, 2, ":\\") != 0) return;
      broken = !files.DriveExists(short_path);
    } else {
      // The name's shape only decides what alerr.log records: a folder
      // called "data.old" still exists, and deleting its shortcut would
      // break a working link.
      folderTarget = !LooksLikeFile(short_path);
      broken = !files.FileExists(short_path) && !files.FolderExists(short_path);
    }
    const std::string shortcutFile = state_.ShortcutFilePath;
    if (!broken) return;
    if (exclusions && (exclusions->Contains(shortcutFile) || exclusions->Contains(short_path))) return;
    if (!RoomForProblem()) return;
    FoundProblem found;
    found.number = state_.ProblemNumber;
    RecordProblem(shortcutFile, folderTarget ? short_path : shortcutFile, false, {}, "",
                  kShortcutCounter);
    if (!ProblemSink) return;
    found.section = "Scan";
    found.data = found.path = short_path;
    found.missing = MissingPart(short_path, "target");
    found.shortcut = shortcutFile;
    ProblemSink(found);
  } catch (const RuntimeError& e) {
    Tell(e.Description(), false);
    view_.RestoreFirstPageLayout();
    // The window is back on its first page: a search that went on behind it
    // would repeat the same message for every further broken shortcut.
    if (stopWalk_) stopWalk_();
  }
}

}  // namespace hw
