#pragma once
// The backups of one folder as the backup manager and the command-line
// program use them: listed, restored (values and kept shortcut files),
// written out for the registry editor, deleted.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_services.h"
#include "platform/registry_api.h"

namespace hw {

struct BackupListing {
  /// The file's name without ".bak".
  std::string name;
  FileTime created;
  std::uint64_t size = 0;
};

struct BackupsRestore {
  /// Values and shortcut files put back (or found back already).
  int restored = 0;
  /// Values and shortcut files that could not be put back.
  int failed = 0;
  /// Values left as they are because they hold other data and the
  /// overwrite question was answered no.
  int skipped = 0;
  /// Every value or file not put back (failed and skipped), described for
  /// the user.
  std::vector<std::string> notRestored;
  /// Backups kept because not all of theirs came back (names).
  std::vector<std::string> kept;
  /// Files that are no backups of ours, left alone ("<name>.bak").
  std::vector<std::string> foreign;
};

class BackupStore {
 public:
  /// Asked once per restore, with the number of values that exist with
  /// other data by now: true overwrites them.
  using OverwriteQuestion = std::function<bool(int valuesWithOtherData)>;

  BackupStore(RegistryApi& registry, FileServices& files, std::string folder)
      : registry_(registry), files_(files), folder_(std::move(folder)) {}

  /// The ".bak" files of the folder, in the folder's order. Throws
  /// RuntimeError when the folder cannot be listed.
  std::vector<BackupListing> List();
  /// Restores the backups by name, asking `overwrite` once when any of
  /// their values holds other data by now. A backup whose every value and
  /// file came back is used up and deleted; the others are kept.
  /// `damagedNote` ends the description of a damaged record.
  BackupsRestore Restore(const std::vector<std::string>& names, const OverwriteQuestion& overwrite,
                         const std::string& damagedNote = "damaged record: not restored, the backup is kept");
  /// Writes the backup as "<name>.reg" beside it; returns how many values
  /// went in (0: it holds none and nothing is written). Throws RuntimeError.
  int Export(const std::string& name);
  /// Deletes the backup and its kept shortcut files. Throws RuntimeError.
  void Delete(const std::string& name);

  /// The name a repair gives its backup when the user names none: the
  /// first "Automatic Backup[N]", N counting from 1, without a file here.
  std::string AutomaticName() const;

  std::string PathOf(const std::string& name) const { return folder_ + "\\" + name + ".bak"; }
  std::string RegPathOf(const std::string& name) const { return folder_ + "\\" + name + ".reg"; }

 private:
  RegistryApi& registry_;
  FileServices& files_;
  std::string folder_;
};

}  // namespace hw
