// The exported file imported by the registry editor of the platform gives
// back every value of the backup byte for byte.
#include <gtest/gtest.h>

#include "platform/file_services_win32.h"
#include "repair/reg_export.h"
#include "support/scan_repair_machine.h"
#include "support/scratch_registry_win32.h"
#include "support/window_driver_win32.h"

namespace hw {
namespace {

TEST(RegExportWin32Test, TheRegistryEditorImportsExactlyTheBackedUpValues) {
  test::Win32ScratchRegistry scratch;  // a clean key, removed afterwards
  auto folder = test::MakeScratchFolder();
  const std::string R = folder->Root();
  const std::string base = scratch.KeyPath() + "\\Import";
  std::vector<BackupRecord> records;
  const auto every = test::EveryKindOfValue(R);
  for (std::size_t i = 0; i < every.size(); ++i)
    records.push_back({kHkeyCurrentUser, base + "\\" + std::to_string(i), every[i].value.name, every[i].type,
                       every[i].data});
  records.push_back({kHkeyCurrentUser, base + "\\cp", "gr\xC3\xBC\xC3\x9F\xD0\x94", kRegSz,
                     test::Sz("\xC3\xA4\xC3\xB6 \xE7\x94\xA8 \"q\" \\")});
  records.push_back({kHkeyCurrentUser, base + "\\cp", "empty", kRegSz, test::Sz("")});
  records.push_back({kHkeyCurrentUser, base + "\\cp", "nothing", kRegBinary, {}});
  const std::string backup = R + "\\x.bak", reg = R + "\\x.reg";
  for (const BackupRecord& r : records) WriteBackupRecord(folder->Files(), backup, r);

  ASSERT_EQ(static_cast<int>(records.size()), ExportBackupAsRegFile(folder->Files(), backup, reg));
  ASSERT_EQ(0, test::StartedProgram("/S \"" + reg + "\"", "regedit.exe").EndedWith(60000));
  Win32Registry real;
  for (const BackupRecord& r : records) {
    const test::ValueState want{true, r.ValueType, RestoreData(r)};
    EXPECT_EQ(want, test::ReadValue(real, {kHkeyCurrentUser, r.KeyName, r.ValueName}))
        << r.KeyName << " \"" << r.ValueName << "\"";
  }
}

}  // namespace
}  // namespace hw
