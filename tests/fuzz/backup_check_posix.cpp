#include <set>

#include "fuzz/fuzz_checks.h"
#include "platform/registry_api.h"
#include "repair/backup_file.h"
#include "support/scratch_folder.h"
#include "support/scratch_registry.h"
#include "support/registry_tree_count.h"
#include "support/registry_values.h"

namespace hw::fuzz {
namespace {

// Keys and values of both roots, however deep.
std::size_t CountAll(RegistryApi& api) {
  test::TreeCount count;
  for (RegKey root : {kHkeyLocalMachine, kHkeyCurrentUser}) test::CountTree(api, root, &count);
  return count.keys + count.values;
}

}  // namespace

void CheckBackupFile(const std::string& input) {
  static auto folder = test::MakeScratchFolder();
  static const std::size_t blankCount = CountAll(test::MakeScratchRegistry()->Api());
  const std::string path = folder->Root() + "\\input.bak";
  folder->WriteFile(path, input);

  const BackupContents contents = ParseBackupFile(std::vector<std::uint8_t>(input.begin(), input.end()));
  auto scratch = test::MakeScratchRegistry();
  RegistryApi& api = scratch->Api();
  const RestoreResult result = RestoreBackupFile(api, folder->Files(), path);

  const std::size_t records = contents.records.size();
  Require(result.restored >= 0 && static_cast<std::size_t>(result.restored) <= records,
          "more values restored than the file holds");
  Require(result.restored + result.failed.size() == records + contents.damaged.size(),
          "restored and failed do not add up to the records of the file");
  if (records == 0) Require(CountAll(api) == blankCount, "a file without a usable record changed the registry");

  // A record not reported as failed is in the registry as its bytes say,
  // unless a later record wrote the same place (the later one then wins).
  const std::multiset<std::string> failed(result.failed.begin(), result.failed.end());
  for (std::size_t i = 0; i < records; ++i) {
    const BackupRecord& r = contents.records[i];
    if (failed.count(r.Describe())) continue;
    const test::ValueState v = test::ReadValue(api, {r.RootKey, r.KeyName, r.ValueName});
    Require(v.present, "restored but not there: " + r.Describe());
    bool matches = false;
    for (std::size_t j = i; j < records && !matches; ++j) {
      const BackupRecord& later = contents.records[j];
      matches = !failed.count(later.Describe()) && later.ValueType == v.type && RestoreData(later) == v.data;
    }
    Require(matches, "restored with other type or bytes than the record's: " + r.Describe());
  }
}

}  // namespace hw::fuzz
