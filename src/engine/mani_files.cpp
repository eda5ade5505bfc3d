// The search engine's file search: shortcut files below a folder.
#include "engine/mani.h"
#include "platform/runtime_error.h"

namespace hw {

std::string Mani::ShortcutTarget(const std::string& path) {
  if (shortcutFilePath_) *shortcutFilePath_ = path;
  return shortcuts_ ? shortcuts_->TargetPath(path) : std::string();
}

void Mani::DoSearchFiles(const std::string& start_dir, const std::string& pattern) {
  // A stop (Abort, or a handler that gave up) ends the search at the next
  // pause point: the window is back on its first page by then, and a whole
  // drive searched behind it would go on writing into the problem logs.
  if (!files_ || lStopSearch != 0) return;
  // A folder met again through a link or junction (or a loop of them) is
  // not searched again; one that cannot be identified cannot be listed.
  FolderIdentity id;
  if (!files_->GetFolderIdentity(start_dir, &id) || !searchedFolders_.insert(id).second) return;

  // Errors are passed over step by step: a folder or file that fails adds
  // nothing and the search goes on.
  std::vector<DirEntry> files;
  try {
    files = files_->ListDirectory(start_dir, pattern, false);
  } catch (const RuntimeError&) {
  }
  for (const DirEntry& file : files) {
    Yield();
    ++ItemsWalked;
    const std::string target = ShortcutTarget(start_dir + "\\" + file.name);
    if (events_) events_->ShortFound(target);
    if (events_) events_->FolderSearched(start_dir);
    WaitWhilePaused();
    if (lStopSearch != 0) return;
  }

  // The whole listing is read before any descent. Only folders are asked
  // for: the files were taken above, and reading the attributes of every
  // plain file again would cost the search more than the listing itself.
  std::vector<std::string> subfolders;
  try {
    subfolders = files_->ListSubfolders(start_dir);
  } catch (const RuntimeError&) {
  }
  // Every folder is shown while it is searched, also one without files or
  // subfolders (the folder listing's "." entry did that).
  if (events_) events_->FolderSearched(start_dir);
  Yield();
  for (std::size_t i = 0; i < subfolders.size(); ++i) {
    WaitWhilePaused();
    if (lStopSearch != 0) return;
    Yield();
    if (events_) events_->FolderSearched(start_dir);
  }

  for (const std::string& name : subfolders) {
    Yield();
    DoSearchFiles(start_dir + "\\" + name, pattern);
    WaitWhilePaused();
    if (lStopSearch != 0) return;
  }
}

}  // namespace hw
