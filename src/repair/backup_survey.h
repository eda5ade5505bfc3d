#pragma once
// A look at a backup before it is restored: whether it is one at all, and
// how many of its values the registry holds with other data by now.
#include <string>

#include "platform/file_services.h"
#include "platform/registry_api.h"
#include "repair/backup_file.h"

namespace hw {

/// The registry's value at a record's place, against what the record
/// writes back.
enum class ValueNow { kAbsent, kSame, kOther };
ValueNow CompareWithRegistry(RegistryApi& registry, const BackupRecord& record);

struct BackupSurvey {
  /// The file has bytes but not one record under a known root key, used or
  /// damaged: another program's file.
  bool foreign = false;
  /// Records whose value exists with other data.
  int valuesWithOtherData = 0;
};

/// Reads the backup file; one that cannot be read surveys as empty (the
/// restore then names the failure).
BackupSurvey SurveyBackup(RegistryApi& registry, FileServices& files, const std::string& path);

}  // namespace hw
