#pragma once
// The texts a repair gives as the reason a problem was not repaired. The
// window fills them from its language file; the defaults are its English.
#include <string>

namespace hw {

struct RepairTexts {
  std::string reasonNotListed = "its line is no longer in the problem log";
  std::string reasonNoLocation = "its registry location is not known";
  std::string reasonNoKey = "its registry key no longer exists or cannot be opened";
  std::string reasonGone = "the registry value no longer exists";
  std::string reasonUnreadable = "the value could not be read for the backup, so it was left in place";
  std::string reasonBackupFailed = "the backup could not be written, so the value was left in place";
  std::string reasonRefused = "the registry refused to delete the value";
  std::string reasonNotSaved = "the registry could not be saved";
  std::string reasonShortcutGone = "the shortcut file no longer exists";
  std::string reasonShortcutLocked = "the shortcut file could not be deleted";
  std::string reasonShortcutNotKept =
      "the shortcut file could not be moved into the backup, so it was left in place";
  std::string reasonShortcutNotRecycled =
      "the shortcut file could not be moved to the Recycle Bin, so it was left in place";
};

}  // namespace hw
