#include "repair/shortcut_backup.h"

#include "platform/file_services.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {
namespace {

constexpr char kIndexName[] = "index.txt";

struct Kept {
  std::string stored, original;
};

std::string ReadAll(FileServices& files, const std::string& path) {
  auto f = files.OpenRecordFile(path);
  std::string bytes(static_cast<std::size_t>(f->Length()), '\0');
  bytes.resize(f->ReadAt(0, bytes.data(), bytes.size()));
  f->Close();
  return bytes;
}

// The index is read as the bytes it was written with: paths are program
// text, which the text-file reader would take for the ANSI code page.
std::vector<Kept> ReadIndex(FileServices& files, const std::string& folder) {
  std::vector<Kept> kept;
  const std::string index = folder + "\\" + kIndexName;
  if (!files.FileExists(index)) return kept;
  const std::string bytes = ReadAll(files, index);
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find("\r\n", at);
    // A line cut short by a stop has no line end, no tab or no path yet.
    if (end == std::string::npos) break;
    const std::string line = bytes.substr(at, end - at);
    at = end + 2;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0 || tab + 1 == line.size()) continue;
    kept.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return kept;
}

void EnsureFolders(FileServices& files, const std::string& path) {
  const std::size_t last = path.rfind('\\');
  if (last == std::string::npos || last < 3) return;
  const std::string parent = path.substr(0, last);
  if (files.FolderExists(parent)) return;
  EnsureFolders(files, parent);
  files.CreateFolder(parent);
}

}  // namespace

std::string ShortcutFolderOf(const std::string& backupPath) {
  std::string base = backupPath;
  if (base.size() >= 4 && UCase(base.substr(base.size() - 4)) == ".BAK") base.resize(base.size() - 4);
  return base + ".shortcuts";
}

void KeepShortcutFile(FileServices& files, const std::string& backupPath, const std::string& shortcutPath) {
  const std::string folder = ShortcutFolderOf(backupPath);
  // The backup manager lists record files: one must exist for the backup
  // to show, also when it holds shortcut files only.
  files.OpenRecordFile(backupPath)->Close();
  if (!files.FolderExists(folder)) files.CreateFolder(folder);
  const std::vector<Kept> kept = ReadIndex(files, folder);
  std::string stored;
  for (std::size_t n = kept.size() + 1;; ++n) {
    stored = std::to_string(n) + ".lnk";
    if (!files.FileExists(folder + "\\" + stored)) break;
  }
  const std::string line = stored + "\t" + shortcutPath + "\r\n";
  auto index = files.OpenRecordFile(folder + "\\" + kIndexName);
  index->WriteAt(index->Length(), line.data(), line.size());
  index->Sync();
  index->Close();
  files.MoveFile(shortcutPath, folder + "\\" + stored);
}

ShortcutRestore RestoreShortcutFiles(FileServices& files, const std::string& backupPath) {
  ShortcutRestore result;
  const std::string folder = ShortcutFolderOf(backupPath);
  if (!files.FolderExists(folder)) return result;
  std::vector<Kept> kept;
  try {
    kept = ReadIndex(files, folder);
  } catch (const RuntimeError& e) {
    result.failed.push_back(folder + " (" + e.Description() + ")");
    return result;
  }
  for (const Kept& k : kept) {
    const std::string stored = folder + "\\" + k.stored;
    try {
      if (!files.FileExists(stored)) {
        // Never moved in, or already put back.
        if (files.FileExists(k.original)) {
          ++result.restored;
        } else {
          result.failed.push_back(k.original + " (not in the backup)");
        }
        continue;
      }
      if (files.FileExists(k.original)) {
        if (ReadAll(files, k.original) != ReadAll(files, stored)) {
          result.failed.push_back(k.original + " (another file is at its place)");
          continue;
        }
        files.DeleteFile(stored, true);
        ++result.restored;
        continue;
      }
      EnsureFolders(files, k.original);
      files.MoveFile(stored, k.original);
      ++result.restored;
    } catch (const RuntimeError& e) {
      result.failed.push_back(k.original + " (" + e.Description() + ")");
    }
  }
  return result;
}

void DeleteShortcutFiles(FileServices& files, const std::string& backupPath) {
  const std::string folder = ShortcutFolderOf(backupPath);
  if (!files.FolderExists(folder)) return;
  for (const FolderFile& f : files.GetFolderFiles(folder)) files.DeleteFile(folder + "\\" + f.name, true);
  files.DeleteFolder(folder);
}

}  // namespace hw
