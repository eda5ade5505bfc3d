#include "repair/backup_survey.h"

#include "registry/module1.h"
#include "platform/runtime_error.h"

namespace hw {

ValueNow CompareWithRegistry(RegistryApi& registry, const BackupRecord& record) {
  if (Module1::RootKeyName(record.RootKey).empty()) return ValueNow::kAbsent;
  RegKey key = 0;
  if (registry.OpenKeyEx(record.RootKey, record.KeyName, 0, kKeyRead, &key) != kErrorSuccess) return ValueNow::kAbsent;
  std::uint32_t type = 0, size = 0;
  std::vector<std::uint8_t> data;
  long st = registry.QueryValueEx(key, record.ValueName, &type, nullptr, &size);
  if (st == kErrorSuccess) {
    data.resize(size);
    st = registry.QueryValueEx(key, record.ValueName, &type, data.empty() ? nullptr : data.data(), &size);
    data.resize(size);
  }
  registry.CloseKey(key);
  if (st == kErrorFileNotFound) return ValueNow::kAbsent;
  // A value that cannot be read is not taken for the same.
  if (st != kErrorSuccess) return ValueNow::kOther;
  return type == record.ValueType && data == RestoreData(record) ? ValueNow::kSame : ValueNow::kOther;
}

BackupSurvey SurveyBackup(RegistryApi& registry, FileServices& files, const std::string& path) {
  BackupSurvey survey;
  std::vector<std::uint8_t> image;
  try {
    image = ReadBackupImage(files, path);
  } catch (const RuntimeError&) {
    return survey;
  }
  const BackupContents contents = ParseBackupFile(image);
  bool anyValid = contents.damaged.size() > (contents.incompleteTail ? 1u : 0u);
  for (const BackupRecord& r : contents.records) anyValid = anyValid || !Module1::RootKeyName(r.RootKey).empty();
  survey.foreign = !image.empty() && !anyValid;
  for (const BackupRecord& r : contents.records) {
    try {
      if (CompareWithRegistry(registry, r) == ValueNow::kOther) ++survey.valuesWithOtherData;
    } catch (const RuntimeError&) {
    }
  }
  return survey;
}

}  // namespace hw
