// A repair of 30,000 ticked registry problems with a backup of each value,
// against 30,000 bare value deletions through RegistryApi (open, delete,
// close, one flush), on the platform's backend.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "checks/problem_logs.h"
#include "registry/settings.h"
#include "repair/backup_file.h"
#include "support/registry_builder.h"
#include "support/stopwatch.h"
#include "support/test_platform.h"
#include "ui/form1.h"

namespace hw {
namespace {

constexpr int kKeys = 300;
constexpr int kValuesPerKey = 100;
constexpr char kBase[] = "SOFTWARE\\HwBenchRepair";

using test::Seconds;

std::string KeyPath(int k) { return std::string(kBase) + "\\k" + std::to_string(k); }
std::string ValueName(int v) { return "v" + std::to_string(v); }

void BuildValues(RegistryApi& api) {
  for (int k = 0; k < kKeys; ++k) {
    RegKey h = 0;
    api.CreateKeyEx(kHkeyLocalMachine, KeyPath(k), kKeyReadWrite, &h);
    for (int v = 0; v < kValuesPerKey; ++v) {
      test::Bytes data = test::Sz("C:\\Gone\\app" + std::to_string(k) + "\\file" + std::to_string(v) + ".exe /x");
      api.SetValueEx(h, ValueName(v), kRegSz, data.data(), static_cast<std::uint32_t>(data.size()));
    }
    api.CloseKey(h);
  }
  api.Flush();
}

long CountValues(RegistryApi& api) {
  long n = 0;
  for (int k = 0; k < kKeys; ++k) {
    RegKey h = 0;
    if (api.OpenKeyEx(kHkeyLocalMachine, KeyPath(k), 0, kKeyRead, &h) != 0) continue;
    char name[300];
    std::uint32_t nameChars = sizeof name, type = 0, dataBytes = 0;
    for (std::uint32_t i = 0;; ++i) {
      nameChars = sizeof name;
      dataBytes = 0;
      if (api.EnumValue(h, i, name, &nameChars, &type, nullptr, &dataBytes) != 0) break;
      ++n;
    }
    api.CloseKey(h);
  }
  return n;
}

void WriteLogs(test::TestPlatform& tp, Module1& m) {
  std::string err = "[Startup Programmes]\r\n", alerr;
  err.reserve(3u << 20);
  alerr.reserve(3u << 20);
  int n = 0;
  for (int k = 0; k < kKeys; ++k) {
    for (int v = 0; v < kValuesPerKey; ++v) {
      const std::string num = std::to_string(++n);
      err += num + ".C:\\Gone\\app" + std::to_string(k) + "\\file" + std::to_string(v) + ".exe\r\n";
      alerr += num + ".HKEY_LOCAL_MACHINE,/" + KeyPath(k) + "#(" + ValueName(v) + ")\r\n";
    }
  }
  const std::string folder = m.GetLogFolder();
  tp.Folder().WriteFile(folder + "\\" + kErrLogName, err);
  tp.Folder().WriteFile(folder + "\\" + kAlErrLogName, alerr);
}

void Run() {
  const int total = kKeys * kValuesPerKey;
  test::TestPlatform tp;

  // The floor.
  BuildValues(tp.Registry());
  const double floor = Seconds([&] {
    RegistryApi& api = tp.Registry();
    for (int k = 0; k < kKeys; ++k) {
      for (int v = 0; v < kValuesPerKey; ++v) {
        RegKey h = 0;
        if (api.OpenKeyEx(kHkeyLocalMachine, KeyPath(k), 0, kKeyWrite, &h) != 0) continue;
        api.DeleteValue(h, ValueName(v));
        api.CloseKey(h);
      }
    }
    api.Flush();
  });
  const long leftAfterFloor = CountValues(tp.Registry());

  // The repair, with a backup of every value.
  BuildValues(tp.Registry());
  NullForm1View view;
  Form1 form{tp.Get(), view};
  form.Form_Load();
  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  WriteLogs(tp, form.module1);
  form.FillSectionResults("Startup Programmes", "SuP");
  const std::size_t nodes = form.tvwTree.Count();
  const double repair = Seconds([&] { form.nxt_Click(); });
  const long leftAfterRepair = CountValues(tp.Registry());
  auto backup = tp.Files().OpenRecordFile(form.BackupFilePath());
  const std::uint64_t backupBytes = backup->Length();
  backup->Close();

  // And back.
  RestoreResult restored;
  const double restore =
      Seconds([&] { restored = RestoreBackupFile(tp.Registry(), tp.Files(), form.BackupFilePath()); });

  std::printf("problems: %d (tree nodes %zu)\n", total, nodes);
  std::printf("bare deletions (floor):   %8.3f s  (%ld values left)\n", floor, leftAfterFloor);
  std::printf("repair with backup:       %8.3f s  (%ld values left, %d repaired, backup %llu bytes)\n", repair,
              leftAfterRepair, form.lastRepair.repaired, static_cast<unsigned long long>(backupBytes));
  std::printf("ratio repair / floor:     %8.2f (target <= 3)\n", repair / floor);
  std::printf("restore of the backup:    %8.3f s  (%d restored, %zu failed, %ld values now)\n", restore,
              restored.restored, restored.failed.size(), CountValues(tp.Registry()));
}

}  // namespace
}  // namespace hw

int main() {
  hw::Run();
  return 0;
}
