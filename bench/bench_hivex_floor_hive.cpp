// The offline backend against hivex's own walk of the same hive: the bare
// enumeration through RegistryApi, the DoSearch walk and hivex_node_children
// / hivex_node_values on the SOFTWARE hive file.
#include <hivex.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "engine/mani.h"
#include "registry/registry_api_hive.h"
#include "support/registry_builder.h"
#include "support/test_paths.h"

namespace hw {
namespace {

constexpr char kBase[] = "SOFTWARE\\HwBenchWalk";

double Seconds(const std::function<void()>& work) {
  auto t0 = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BareWalk(RegistryApi& api, const std::string& path, long& items) {
  RegKey h = 0;
  if (api.OpenKeyEx(kHkeyLocalMachine, path, 0, kKeyRead, &h) != 0) return;
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
    BareWalk(api, path + "\\" + name, items);
  }
  api.CloseKey(h);
}

// The same, each subkey opened relative to its parent's handle.
void BareWalkRelative(RegistryApi& api, RegKey parent, const std::string& name, long& items) {
  RegKey h = 0;
  if (api.OpenKeyEx(parent, name, 0, kKeyRead, &h) != 0) return;
  char sub[kMaxNameChars];
  std::uint8_t data[kMaxDataBytes];
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t nameChars = kMaxNameChars, dataBytes = kMaxDataBytes, type = 0;
    if (api.EnumValue(h, i, sub, &nameChars, &type, data, &dataBytes) != 0) break;
    ++items;
  }
  for (std::uint32_t i = 0;; ++i) {
    if (api.EnumKey(h, i, sub, kMaxNameChars) != 0) break;
    ++items;
    BareWalkRelative(api, h, sub, items);
  }
  api.CloseKey(h);
}

// hivex's walk with the same work per item: the name of every key and the
// name and data of every value.
void HivexWalk(hive_h* h, hive_node_h node, long& items) {
  hive_value_h* values = hivex_node_values(h, node);
  if (values) {
    for (hive_value_h* v = values; *v; ++v) {
      char* name = hivex_value_key(h, *v);
      hive_type type;
      size_t len = 0;
      char* data = hivex_value_value(h, *v, &type, &len);
      std::free(name);
      std::free(data);
      ++items;
    }
    std::free(values);
  }
  hive_node_h* children = hivex_node_children(h, node);
  if (children) {
    for (hive_node_h* c = children; *c; ++c) {
      char* name = hivex_node_name(h, *c);
      std::free(name);
      ++items;
      HivexWalk(h, *c, items);
    }
    std::free(children);
  }
}

class Counter : public ManiEvents {
 public:
  long items = 0;
  void SearchFound(const std::string&, const std::string&, const std::string&, const std::string&,
                   const std::vector<std::uint8_t>&, std::int32_t) override {
    ++items;
  }
  void SearchKeyChanged(const std::string&) override { ++items; }
};

int Run() {
  const std::string folder = test::MakeTempFolder("hw-bench-hivex");
  OfflineMachine m;
  m.softwareHive = folder + "/SOFTWARE";
  m.settingsHive = folder + "/settings.hiv";
  std::string error;
  if (!HiveRegistry::WriteBlankHive(m.softwareHive, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  {
    auto reg = HiveRegistry::Open(m, &error);
    if (!reg) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    char name[32];
    double build = Seconds([&] {
      for (int g = 0; g < 100; ++g)
        for (int k = 0; k < 1000; ++k) {
          std::snprintf(name, sizeof name, "\\g%03d\\k%04d", g, k);
          RegKey h = 0;
          reg->CreateKeyEx(kHkeyLocalMachine, std::string(kBase) + name, kKeyReadWrite, &h);
          for (int v = 0; v < 3; ++v) {
            test::Bytes b = test::Sz("C:\\Program Files\\App" + std::to_string(k) + "\\file" + std::to_string(v) + ".dll");
            reg->SetValueEx(h, "v" + std::to_string(v), kRegSz, b.data(), static_cast<std::uint32_t>(b.size()));
          }
          reg->CloseKey(h);
        }
      reg->Flush();
    });
    std::printf("built 100100 keys, 300000 values in %.1f s\n", build);
  }

  auto reg = HiveRegistry::Open(m, &error);
  long bareItems = 0;
  double bare = 1e9;
  for (int i = 0; i < 2; ++i) {
    bareItems = 0;
    bare = std::min(bare, Seconds([&] { BareWalk(*reg, kBase, bareItems); }));
  }

  long relItems = 0;
  double rel = 1e9;
  for (int i = 0; i < 2; ++i) {
    relItems = 0;
    rel = std::min(rel, Seconds([&] { BareWalkRelative(*reg, kHkeyLocalMachine, kBase, relItems); }));
  }

  NullMessagePump pump;
  SearchParameters params{kHkeyLocalMachine, kSearchValueNames, "v", kBase};
  Mani sReg(*reg, pump, params);
  Counter counter;
  sReg.SetEvents(&counter);
  double walk = 1e9;
  for (int i = 0; i < 2; ++i) {
    counter.items = 0;
    walk = std::min(walk, Seconds([&] { sReg.DoSearch(); }));
  }

  hive_h* h = hivex_open(m.softwareHive.c_str(), 0);
  if (!h) {
    std::perror("hivex_open");
    return 1;
  }
  long hivexItems = 0;
  double hx = 1e9;
  for (int i = 0; i < 2; ++i) {
    hivexItems = 0;
    hx = std::min(hx, Seconds([&] {
      hive_node_h base = hivex_node_get_child(h, hivex_root(h), "HwBenchWalk");
      HivexWalk(h, base, hivexItems);
    }));
  }
  hivex_close(h);

  std::printf("hivex walk:            %ld items in %.3f s = %.0f items/s\n", hivexItems, hx, hivexItems / hx);
  std::printf("bare RegistryApi walk: %ld items in %.3f s = %.0f items/s (%.2f x hivex time per item)\n",
              bareItems, bare, bareItems / bare, (bare / bareItems) / (hx / hivexItems));
  std::printf("bare, relative opens: %ld items in %.3f s = %.0f items/s (%.2f x hivex time per item)\n",
              relItems, rel, relItems / rel, (rel / relItems) / (hx / hivexItems));
  std::printf("DoSearch walk:         %ld items in %.3f s = %.0f items/s (%.2f x bare time per item)\n",
              counter.items, walk, counter.items / walk, (walk / counter.items) / (bare / bareItems));
  reg.reset();
  test::RemoveTree(folder);
  return 0;
}

}  // namespace
}  // namespace hw

int main() { return hw::Run(); }
