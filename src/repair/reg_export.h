#pragma once
// A backup as a registry editor file, so its values can be brought back
// without this program: "Windows Registry Editor Version 5.00", UTF-16 LE
// with a byte-order mark, CR LF line ends.
#include <string>
#include <vector>

#include "platform/file_services.h"
#include "repair/backup_file.h"

namespace hw {

/// The file's bytes for these records: each value exactly as a restore
/// writes it back (RestoreData), every type, default values as "@".
/// Records under an unknown root key are left out.
std::string RegFileOf(const std::vector<BackupRecord>& records);

/// Reads the backup file and writes its records to `regPath` (replacing a
/// file there). Returns how many values went in; 0 when the backup holds
/// none (nothing is written then). Throws RuntimeError.
int ExportBackupAsRegFile(FileServices& files, const std::string& backupPath, const std::string& regPath);

}  // namespace hw
