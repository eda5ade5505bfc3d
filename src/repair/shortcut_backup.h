#pragma once
// Broken shortcut files a repair removed, kept beside the backup they belong
// to so the backup manager can put them back.
//
// The backup "X\Name.bak" keeps them in the companion folder
// "X\Name.shortcuts" (the record file itself holds registry values only, so
// every reader of its slots is unaffected):
//   index.txt  one line per kept file, "<stored name><TAB><original path>"
//              (the path in UTF-8)
//              with CR LF, written and synced before the file is moved in;
//   1.lnk ...  the files themselves, moved (not copied), so their bytes,
//              times and attributes are the shortcut's own.
// A line whose stored file is not there stands for a move that never
// happened (the file is still at its place).
#include <string>
#include <vector>

namespace hw {

class FileServices;

/// "X\Name.shortcuts" for the backup file "X\Name.bak".
std::string ShortcutFolderOf(const std::string& backupPath);

/// Moves the shortcut file into the backup's companion folder. Throws
/// RuntimeError (the file then stays where it was).
void KeepShortcutFile(FileServices& files, const std::string& backupPath, const std::string& shortcutPath);

struct ShortcutRestore {
  int restored = 0;
  /// Shortcut files that could not be put back, described for the user.
  std::vector<std::string> failed;
};

/// Puts every kept shortcut file of the backup back at its path. A file
/// already back (the same bytes at its place) counts as restored.
ShortcutRestore RestoreShortcutFiles(FileServices& files, const std::string& backupPath);

/// Removes the companion folder and the files in it (a used-up or deleted
/// backup). Throws RuntimeError.
void DeleteShortcutFiles(FileServices& files, const std::string& backupPath);

}  // namespace hw
