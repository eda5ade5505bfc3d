#include "repair/backup_store.h"

#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "repair/backup_file.h"
#include "repair/backup_survey.h"
#include "repair/reg_export.h"
#include "repair/shortcut_backup.h"

namespace hw {

std::string BackupStore::AutomaticName() const {
  for (long n = 1;; ++n) {
    const std::string name = "Automatic Backup[" + std::to_string(n) + "]";
    if (!files_.FileExists(PathOf(name))) return name;
  }
}

std::vector<BackupListing> BackupStore::List() {
  std::vector<BackupListing> out;
  for (const FolderFile& file : files_.GetFolderFiles(folder_)) {
    if (!Contains(file.name, ".bak", true)) continue;
    out.push_back({file.name.size() >= 4 ? file.name.substr(0, file.name.size() - 4) : std::string(), file.created,
                   file.size});
  }
  return out;
}

BackupsRestore BackupStore::Restore(const std::vector<std::string>& names, const OverwriteQuestion& overwrite,
                                    const std::string& damagedNote) {
  BackupsRestore out;
  // First a look at all of them: another program's file is left alone, and
  // newer data is overwritten only when the user says so, asked once.
  std::vector<std::string> backups;
  int withOtherData = 0;
  for (const std::string& name : names) {
    const std::string path = PathOf(name);
    const BackupSurvey survey = files_.FileExists(path) ? SurveyBackup(registry_, files_, path) : BackupSurvey{};
    if (survey.foreign) {
      out.foreign.push_back(name + ".bak");
      continue;
    }
    backups.push_back(name);
    withOtherData += survey.valuesWithOtherData;
  }
  const bool overwriteOther = withOtherData == 0 || (overwrite && overwrite(withOtherData));

  for (const std::string& name : backups) {
    const std::string path = PathOf(name);
    RestoreResult r;
    if (files_.FileExists(path)) r = RestoreBackupFile(registry_, files_, path, overwriteOther, damagedNote);
    const ShortcutRestore s = RestoreShortcutFiles(files_, path);
    out.restored += r.restored + s.restored;
    out.skipped += r.skipped;
    out.failed += static_cast<int>(r.failed.size() + s.failed.size()) - r.skipped;
    r.failed.insert(r.failed.end(), s.failed.begin(), s.failed.end());
    // A backup is used up only when every value in it is back.
    if (!r.Complete()) {
      out.kept.push_back(name);
      out.notRestored.insert(out.notRestored.end(), r.failed.begin(), r.failed.end());
      continue;
    }
    try {
      Delete(name);
    } catch (const RuntimeError&) {
      // Left in the list; restoring it again writes the same values.
    }
  }
  return out;
}

int BackupStore::Export(const std::string& name) { return ExportBackupAsRegFile(files_, PathOf(name), RegPathOf(name)); }

void BackupStore::Delete(const std::string& name) {
  const std::string path = PathOf(name);
  DeleteShortcutFiles(files_, path);
  if (files_.FileExists(path)) files_.DeleteFile(path, true);
}

}  // namespace hw
