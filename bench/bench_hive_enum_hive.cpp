// Enumeration speed of the offline hive backend against hivex's own walk of
// the same hive, and the cost of adding many keys under one parent.
//
// The hive (about 102,000 keys and 330,000 values, shaped like a SOFTWARE
// hive) is made once through HiveRegistry and kept in the temporary folder;
// delete it to measure the making again.
//
//   bench_hive_enum_hive [--enum-only] [hive-file]
//
// --enum-only leaves out the adding of keys (quicker under a profiler).
#include <hivex.h>

#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/blank_hive.h"
#include "platform/registry_api_hive.h"
#include "hive_bench.h"

namespace {
namespace fs = std::filesystem;
using hw::HiveRegistry;
using hw::RegKey;

using hw::bench::Count;
using hw::bench::Die;
using hw::bench::Seconds;

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Die("cannot write " + path);
}

// A small deterministic generator, so every run builds the same hive.
struct Rng {
  std::uint64_t s = 0x9E3779B97F4A7C15ull;
  std::uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<std::uint32_t>(s >> 11);
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
};

// Writes keys and values of a SOFTWARE-like hive: file classes, program
// identifiers with shell verbs, a large flat CLSID list, and vendor branches
// three to five keys deep holding settings of every common type.
class HiveMaker : public hw::bench::KeyWriter {
 public:
  explicit HiveMaker(HiveRegistry& api) : KeyWriter(api) {}

  void Make() {
    RegKey software = Create(hw::kHkeyLocalMachine, "SOFTWARE");
    keys_ = 0;  // the hive's root is not one of its subkeys
    RegKey classes = Create(software, "Classes");
    for (int i = 0; i < 4000; ++i) {
      RegKey ext = Create(classes, ".ext" + std::to_string(i));
      Text(ext, "", "Vendor" + std::to_string(i % 200) + ".Document." + std::to_string(i));
      Text(ext, "Content Type", "application/x-type-" + std::to_string(i));
      if (i % 2) Text(ext, "PerceivedType", i % 4 == 1 ? "document" : "image");
      RegKey progids = Create(ext, "OpenWithProgids");
      Binary(progids, "Vendor" + std::to_string(i % 200) + ".Document." + std::to_string(i), 0);
      if (i % 3 == 0) Binary(progids, "Shared.Viewer." + std::to_string(i % 7), 0);
      Close(progids);
      Close(ext);
    }
    for (int i = 0; i < 4000; ++i) {
      const std::string id = "Vendor" + std::to_string(i % 200) + ".Document." + std::to_string(i);
      RegKey prog = Create(classes, id);
      Text(prog, "", "Document of kind " + std::to_string(i));
      Dword(prog, "EditFlags", 0x10000 + i);
      RegKey command = Create(prog, "shell\\open\\command");
      Text(command, "", "\"" + ProgramPath(i) + "\" \"%1\"");
      Close(command);
      RegKey icon = Create(prog, "DefaultIcon");
      Text(icon, "", ProgramPath(i) + "," + std::to_string(i % 5));
      Close(icon);
      Close(prog);
    }
    RegKey clsid = Create(classes, "CLSID");
    for (int i = 0; i < 12000; ++i) {
      RegKey cls = Create(clsid, Guid(i));
      Text(cls, "", "Component " + std::to_string(i));
      RegKey server = Create(cls, "InprocServer32");
      Text(server, "", "C:\\Windows\\System32\\component" + std::to_string(i) + ".dll");
      Text(server, "ThreadingModel", i % 3 ? "Apartment" : "Both");
      Close(server);
      Close(cls);
    }
    Close(clsid);
    Close(classes);

    for (int v = 0; v < 200; ++v) {
      RegKey vendor = Create(software, "Vendor" + std::to_string(v));
      for (int p = 0; p < 10; ++p) {
        RegKey product = Create(vendor, "Product" + std::to_string(p));
        Text(product, "InstallPath", ProgramPath(v * 10 + p));
        Dword(product, "Installed", 1);
        for (const char* branch : {"Settings", "Recent", "Plugins", "Windows"}) {
          RegKey b = Create(product, branch);
          Dword(b, "Version", v * 100 + p);
          Text(b, "Owner", "user" + std::to_string(p));
          for (int leaf = 0; leaf < 5; ++leaf) {
            RegKey l = Create(b, LeafName(leaf));
            Text(l, "Path", ProgramPath(leaf + p) + "\\data\\" + std::string(rng_.Below(120), 'd'));
            Dword(l, "Flags", rng_.Next());
            Binary(l, "Placement", 16 + rng_.Below(240));
            Text(l, "Mru" + std::to_string(leaf), "C:\\Users\\Someone\\Documents\\file" + std::to_string(leaf) + ".txt");
            Dword(l, "Count", leaf);
            Text(l, LongName(leaf), std::string(40 + rng_.Below(160), 'x'));
            Close(l);
          }
          Close(b);
        }
        Close(product);
      }
      Close(vendor);
    }
    Close(software);
  }

 private:
  static std::string ProgramPath(int i) {
    return "C:\\Program Files\\Vendor " + std::to_string(i % 200) + "\\Program " + std::to_string(i) + "\\app.exe";
  }
  static std::string Guid(int i) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%04X-%012X}", 0x1A2B0000u + i, i % 0xFFFF, 0x11D0,
                  0x8000 + i % 0x7FFF, 0xABCDEF00u + i);
    return buf;
  }
  std::string LeafName(int leaf) {
    if (leaf == 4) return "A rather long key name for options that some programs like to write out in full " +
                          std::to_string(rng_.Below(1000));
    return "Item" + std::to_string(leaf);
  }
  static std::string LongName(int leaf) {
    return "Value with a long descriptive name kept by a program for its own reasons, number " +
           std::to_string(leaf) + std::string(60, 'n');
  }

  void Binary(RegKey key, const std::string& name, std::size_t length) {
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(rng_.Next());
    Set(key, name, length ? hw::kRegBinary : hw::kRegNone, bytes);
  }

  Rng rng_;
};

std::unique_ptr<HiveRegistry> OpenSoftware(const std::string& hive, const std::string& folder, bool readOnly) {
  hw::OfflineMachine m;
  m.softwareHive = hive;
  m.settingsHive = folder + "/settings.hiv";
  m.readOnly = readOnly;
  std::string error;
  auto api = HiveRegistry::Open(m, &error);
  if (!api) Die(error);
  return api;
}

// The values of an open key, by index, with the program's buffers.
void EnumValues(HiveRegistry& api, RegKey key, Count* c) {
  char name[hw::kMaxNameChars];
  std::uint8_t data[hw::kMaxDataBytes];
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t nameChars = hw::kMaxNameChars, type = 0, dataBytes = hw::kMaxDataBytes;
    if (api.EnumValue(key, i, name, &nameChars, &type, data, &dataBytes) != hw::kErrorSuccess) break;
    ++c->values;
  }
}

// (b) every key opened by its full path from the root, as the registry
// walker opens them; the parent stays open while its subkeys are walked.
void WalkByPath(HiveRegistry& api, const std::string& path, Count* c) {
  RegKey key = 0;
  if (api.OpenKeyEx(hw::kHkeyLocalMachine, path, 0, hw::kKeyRead, &key) != hw::kErrorSuccess) return;
  EnumValues(api, key, c);
  char name[hw::kMaxNameChars];
  for (std::uint32_t i = 0; api.EnumKey(key, i, name, hw::kMaxNameChars) == hw::kErrorSuccess; ++i) {
    ++c->keys;
    WalkByPath(api, path + "\\" + name, c);
  }
  api.CloseKey(key);
}

// (c) every key opened by its name below the parent's handle.
void WalkByParent(HiveRegistry& api, RegKey key, Count* c) {
  EnumValues(api, key, c);
  char name[hw::kMaxNameChars];
  for (std::uint32_t i = 0; api.EnumKey(key, i, name, hw::kMaxNameChars) == hw::kErrorSuccess; ++i) {
    ++c->keys;
    RegKey child = 0;
    if (api.OpenKeyEx(key, name, 0, hw::kKeyRead, &child) != hw::kErrorSuccess) continue;
    WalkByParent(api, child, c);
    api.CloseKey(child);
  }
}

struct Timing {
  double best = 1e30;
  Count count;
};

// Best of three; `run` does one whole walk, its set-up outside the clock.
Timing BestOfThree(const std::function<double(Count*)>& run) {
  Timing t;
  for (int i = 0; i < 3; ++i) {
    Count c;
    const double s = run(&c);
    if (s < t.best) t.best = s;
    t.count = c;
  }
  return t;
}

void Print(const char* what, const Timing& t, double floor) {
  std::printf("  %-44s %8zu items  %7.3f s  %6.2f M items/s  %5.2fx hivex\n", what, t.count.items(), t.best,
              t.count.items() / t.best / 1e6, t.best / floor);
}

std::string ChildName(int i) { return "Child number " + std::to_string(i); }

// Keys added one after another under one parent, as a big CLSID list grows.
double AddChildren(const std::string& folder, int n) {
  const std::string hive = folder + "/FLAT";
  WriteFile(hive, hw::MakeBlankHive("ROOT", "FLAT"));
  auto api = OpenSoftware(hive, folder, false);
  RegKey parent = 0;
  if (api->CreateKeyEx(hw::kHkeyLocalMachine, "SOFTWARE\\Flat", hw::kKeyReadWrite, &parent) != hw::kErrorSuccess)
    Die("create Flat");
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i) {
    RegKey key = 0;
    if (api->CreateKeyEx(parent, ChildName(i), hw::kKeyReadWrite, &key) != hw::kErrorSuccess)
      Die("create child");
    api->CloseKey(key);
  }
  const double s = Seconds(start);
  api->CloseKey(parent);
  api.reset();
  fs::remove(hive);
  return s;
}

// The same through hivex alone: its own list upkeep is the floor.
double HivexAddChildren(const std::string& folder, int n) {
  const std::string hive = folder + "/FLAT";
  WriteFile(hive, hw::MakeBlankHive("ROOT", "FLAT"));
  hive_h* h = hivex_open(hive.c_str(), HIVEX_OPEN_WRITE);
  if (!h) Die("hivex_open failed");
  const hive_node_h parent = hivex_node_add_child(h, hivex_root(h), "Flat");
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < n; ++i)
    if (!hivex_node_add_child(h, parent, ChildName(i).c_str())) Die("hivex_node_add_child failed");
  const double s = Seconds(start);
  hivex_close(h);
  fs::remove(hive);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = (fs::temp_directory_path() / "hw-bench-hive-enum").string();
  fs::create_directories(folder);
  bool enumOnly = false;
  std::string hive = folder + "/SOFTWARE-v1";
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--enum-only")
      enumOnly = true;
    else
      hive = argv[i];
  }

  if (!fs::exists(hive)) {
    std::printf("making %s\n", hive.c_str());
    std::fflush(stdout);
    const std::string making = hive + ".making";
    WriteFile(making, hw::MakeBlankHive("ROOT", "SOFTWARE"));
    const auto start = std::chrono::steady_clock::now();
    auto api = OpenSoftware(making, folder, false);
    HiveMaker maker(*api);
    maker.Make();
    if (api->Flush() != hw::kErrorSuccess) Die(api->LastFlushError());
    api.reset();
    fs::rename(making, hive);
    std::printf("  made %zu keys and %zu values in %.2f s\n", maker.keys(), maker.values(), Seconds(start));
  }
  std::printf("hive %s (%.1f MB)\n", hive.c_str(), fs::file_size(hive) / 1e6);

  const Timing hivex = BestOfThree([&](Count* c) {
    hive_h* h = hivex_open(hive.c_str(), 0);
    if (!h) Die("hivex_open failed");
    const auto start = std::chrono::steady_clock::now();
    hw::bench::HivexWalk(h, hivex_root(h), c);
    const double s = Seconds(start);
    hivex_close(h);
    return s;
  });
  // A fresh registry each time: the first walk of a scan finds no cache.
  const Timing byPath = BestOfThree([&](Count* c) {
    auto api = OpenSoftware(hive, folder, true);
    const auto start = std::chrono::steady_clock::now();
    WalkByPath(*api, "SOFTWARE", c);
    return Seconds(start);
  });
  const Timing byParent = BestOfThree([&](Count* c) {
    auto api = OpenSoftware(hive, folder, true);
    RegKey root = 0;
    if (api->OpenKeyEx(hw::kHkeyLocalMachine, "SOFTWARE", 0, hw::kKeyRead, &root) != hw::kErrorSuccess)
      Die("open SOFTWARE");
    const auto start = std::chrono::steady_clock::now();
    WalkByParent(*api, root, c);
    const double s = Seconds(start);
    api->CloseKey(root);
    return s;
  });
  // The same registry walked again, as the sections of one scan do.
  auto warmApi = OpenSoftware(hive, folder, true);
  const Timing warm = BestOfThree([&](Count* c) {
    const auto start = std::chrono::steady_clock::now();
    WalkByPath(*warmApi, "SOFTWARE", c);
    return Seconds(start);
  });

  std::printf("enumeration (best of 3):\n");
  Print("(a) hivex walk", hivex, hivex.best);
  Print("(b) HiveRegistry, open by path from root", byPath, hivex.best);
  Print("(c) HiveRegistry, open below parent", byParent, hivex.best);
  Print("(b) again on the same registry", warm, hivex.best);

  if (!enumOnly) {
    std::printf("adding keys under one parent:\n");
    // hivex rewrites the parent's whole subkey list for every key it adds,
    // so even its own cost grows with the square of the count.
    for (int n : {1000, 3000}) {
      const double floor = HivexAddChildren(folder, n);
      const double s = AddChildren(folder, n);
      std::printf("  %6d keys  hivex %7.3f s  HiveRegistry %7.3f s  %5.2fx hivex\n", n, floor, s, s / floor);
    }
  }

  // The backend leaves out nothing hivex can read in this hive.
  for (const Timing* t : {&byPath, &byParent, &warm})
    if (t->count.keys != hivex.count.keys || t->count.values != hivex.count.values) {
      std::fprintf(stderr, "walks disagree: hivex %zu keys %zu values, backend %zu keys %zu values\n",
                   hivex.count.keys, hivex.count.values, t->count.keys, t->count.values);
      return 1;
    }
  return 0;
}
