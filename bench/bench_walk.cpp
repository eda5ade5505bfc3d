// The registry walk against the bare enumeration of the same tree through
// RegistryApi, on the platform's backend (offline hive natively, Wine's
// registry under Wine), and one whole entry check against one bare
// existence test.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>

#include "support/caption_view.h"
#include "checks/section_checks.h"
#include "engine/mani.h"
#include "support/real_message_pump.h"
#include "support/registry_builder.h"
#include "support/scratch_registry.h"
#include "support/stopwatch.h"
#include "support/test_platform.h"

namespace hw {
namespace {

constexpr char kBase[] = "SOFTWARE\\HwBenchWalk";
constexpr int kGroups = 100;
constexpr int kLeavesPerGroup = 1000;
constexpr int kValuesPerLeaf = 3;

using test::Seconds;

// 100 group keys of 1000 leaf keys, each leaf with three string values.
// Key names hold no "v", value names all do: a walk for "v" on value names
// reports every value and enters every key.
void BuildTree(RegistryApi& api) {
  char name[32];
  for (int g = 0; g < kGroups; ++g) {
    for (int k = 0; k < kLeavesPerGroup; ++k) {
      std::snprintf(name, sizeof name, "\\g%03d\\k%04d", g, k);
      RegKey h = 0;
      if (api.CreateKeyEx(kHkeyLocalMachine, std::string(kBase) + name, kKeyReadWrite, &h) != 0) {
        std::fprintf(stderr, "cannot create %s\n", name);
        return;
      }
      for (int v = 0; v < kValuesPerLeaf; ++v) {
        std::string data = "C:\\Program Files\\App" + std::to_string(k) + "\\file" + std::to_string(v) + ".dll";
        test::Bytes bytes = test::Sz(data);
        api.SetValueEx(h, "v" + std::to_string(v), kRegSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
      }
      api.CloseKey(h);
    }
  }
  api.Flush();
}

// The floor: every key opened once, its values and subkeys enumerated by
// index into fixed buffers, nothing else.
void BareWalk(RegistryApi& api, RegKey root, const std::string& path, long& items) {
  RegKey h = 0;
  if (api.OpenKeyEx(root, path, 0, kKeyRead, &h) != 0) return;
  char name[kMaxNameChars];
  std::uint8_t data[kMaxDataBytes];
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t nameChars = kMaxNameChars, dataBytes = kMaxDataBytes, type = 0;
    if (api.EnumValue(h, i, name, &nameChars, &type, data, &dataBytes) != 0) break;
    ++items;
  }
  for (std::uint32_t i = 0;; ++i) {
    if (api.EnumKey(h, i, name, kMaxNameChars) != 0) break;
    ++items;
    BareWalk(api, root, path + "\\" + name, items);
  }
  api.CloseKey(h);
}

class CountingEvents : public ManiEvents {
 public:
  long found = 0, keys = 0;
  void SearchFound(const std::string&, const std::string&, const std::string&, const std::string&,
                   const std::vector<std::uint8_t>&, std::int32_t) override {
    ++found;
  }
  void SearchKeyChanged(const std::string&) override { ++keys; }
};

void BenchWalk() {
  auto scratch = test::MakeScratchRegistry();
  RegistryApi& api = scratch->Api();
  double build = Seconds([&] { BuildTree(api); });
  std::printf("built %d keys, %d values in %.1f s\n", kGroups * (kLeavesPerGroup + 1),
              kGroups * kLeavesPerGroup * kValuesPerLeaf, build);

  long bareItems = 0;
  double bare = Seconds([&] { BareWalk(api, kHkeyLocalMachine, kBase, bareItems); });

  auto pump = test::MakeRealMessagePump();
  SearchParameters params{kHkeyLocalMachine, kSearchValueNames, "v", kBase};
  Mani sReg(api, *pump, params);
  CountingEvents events;
  sReg.SetEvents(&events);
  double walk = Seconds([&] { sReg.DoSearch(); });
  long walkItems = events.found + events.keys;

  // Once more each, in the other order, so that neither gains from going second.
  long bareItems2 = 0;
  double bare2 = Seconds([&] { BareWalk(api, kHkeyLocalMachine, kBase, bareItems2); });
  CountingEvents events2;
  sReg.SetEvents(&events2);
  double walk2 = Seconds([&] { sReg.DoSearch(); });
  bare = std::min(bare, bare2);
  walk = std::min(walk, walk2);

  // A search nothing matches visits every key and value, like the floor,
  // but opens each key twice (values, then subkeys), as the walk must.
  params.sSearchText = "no such name";
  CountingEvents events3;
  sReg.SetEvents(&events3);
  double walkAll = Seconds([&] { sReg.DoSearch(); });

  std::printf("bare enumeration: %ld items in %.3f s = %.0f items/s\n", bareItems, bare, bareItems / bare);
  std::printf("DoSearch walk:    %ld items (%ld values reported, %ld keys entered) in %.3f s = %.0f items/s\n",
              walkItems, events.found, events.keys, walk, walkItems / walk);
  std::printf("walk / bare time ratio: %.2f (target <= 1.5)\n", walk / bare * bareItems / walkItems);
  std::printf("DoSearch, no match: %ld items visited in %.3f s = %.0f items/s, ratio to bare %.2f\n",
              bareItems, walkAll, bareItems / walkAll, walkAll / bare);
}

void BenchCheck() {
  test::TestPlatform tp;
  Module1 m(tp.Get());
  PathTests paths(tp.Files(), tp.Get().system);
  ProblemLogs logs(m);
  ScanState state;
  test::CaptionView view;
  SectionChecks checks(m, paths, logs, state, view, nullptr);
  const std::string file = tp.Root() + "\\Lib\\shared.dll";
  tp.Folder().MakeFolder(tp.Root() + "\\Lib");
  tp.Folder().WriteFile(file, "MZ");
  state.StartCounting();
  logs.StartProblemLogs(state);
  state.CurrentSection = "SP";
  const int n = 20000;
  const std::vector<std::uint8_t> data{1, 0, 0, 0};
  double bare = Seconds([&] {
    for (int i = 0; i < n; ++i)
      if (!paths.FileOrFolderExists(file)) std::abort();
  });
  double whole = Seconds([&] {
    for (int i = 0; i < n; ++i)
      checks.sReg_SearchFound("HKEY_LOCAL_MACHINE", "SOFTWARE\\X", file, "0x00000001(1)", data, 1);
  });
  if (state.ProblemsFound != 0) std::abort();
  std::printf("FileOrFolderExists: %.2f us per call; sReg_SearchFound (SP, path exists): %.2f us per entry; ratio %.2f\n",
              bare / n * 1e6, whole / n * 1e6, whole / bare);
  ProblemLogs::FinishProblemLogs(state);
}

}  // namespace
}  // namespace hw

int main() {
  hw::BenchWalk();
  hw::BenchCheck();
  return 0;
}
