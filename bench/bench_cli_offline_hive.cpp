// An offline scan by hivewright-cli (every section, JSON report) of an
// installation with a SOFTWARE-shaped hive of 100,000 keys built here, the
// real Windows 7 SYSTEM and the real Windows 10 NTUSER.DAT, against a bare
// enumeration of the same three hives by hivex (open, every key, every
// value's name and data). Prints both times and their ratio (target: at
// most 1.5).
//
//   bench_cli_offline_hive [keys] [--hive-cache FILE]
//
// Making the SOFTWARE hive takes minutes; with --hive-cache, a FILE that
// exists is used as the SOFTWARE hive, and one that does not receives the
// hive once it is made.
#include <hivex.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_main.h"
#include "platform/registry_api_hive.h"
#include "support/registry_builder.h"
#include "support/test_installation.h"
#include "hive_bench.h"

namespace {
namespace fs = std::filesystem;
using hw::RegKey;

using hw::bench::Count;
using hw::bench::Die;
using hw::bench::Seconds;

// The scanned areas of a SOFTWARE hive at the size of a used machine:
// class registrations, uninstall entries, application paths, shared
// libraries, start-up entries, help files, and vendor branches besides.
// One entry in a hundred names a file that is not there.
class SoftwareMaker : public hw::bench::KeyWriter {
 public:
  SoftwareMaker(hw::RegistryApi& api, long keys) : KeyWriter(api), target_(keys) {}

  void Make() {
    const std::string cv = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    RegKey clsid = Create(hw::kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID");
    for (long i = 0; i < target_ * 4 / 10; i += 2) {
      RegKey server = Create(clsid, Guid(i) + "\\InprocServer32");
      Text(server, "", File(i, "dll"));
      Text(server, "ThreadingModel", "Apartment");
      Close(server);
    }
    Close(clsid);
    RegKey uninstall = Create(hw::kHkeyLocalMachine, cv + "\\Uninstall");
    for (long i = 0; i < target_ / 20; ++i) {
      RegKey app = Create(uninstall, "App" + std::to_string(i));
      Text(app, "DisplayName", "Application " + std::to_string(i));
      Text(app, "InstallSource", Folder(i));
      Text(app, "ModifyPath", File(i, "exe") + " /modify");
      Close(app);
    }
    Close(uninstall);
    RegKey paths = Create(hw::kHkeyLocalMachine, cv + "\\App Paths");
    for (long i = 0; i < target_ / 20; ++i) {
      RegKey app = Create(paths, "tool" + std::to_string(i) + ".exe");
      Text(app, "", File(i, "exe"));
      Text(app, "Path", Folder(i));
      Close(app);
    }
    Close(paths);
    RegKey shared = Create(hw::kHkeyLocalMachine, cv + "\\SharedDLLs");
    for (long i = 0; i < target_ / 5; ++i) Dword(shared, File(i, "dll"), 1);
    Close(shared);
    RegKey run = Create(hw::kHkeyLocalMachine, cv + "\\Run");
    for (long i = 0; i < 40; ++i) Text(run, "Start" + std::to_string(i), "\"" + File(i, "exe") + "\" /tray");
    Close(run);
    RegKey help = Create(hw::kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help");
    for (long i = 0; i < 500; ++i) Text(help, "help" + std::to_string(i) + ".chm", Folder(i));
    Close(help);
    for (long v = 0; static_cast<long>(keys_) < target_; ++v) {
      RegKey vendor = Create(hw::kHkeyLocalMachine, "SOFTWARE\\Vendor" + std::to_string(v));
      for (int p = 0; p < 20 && static_cast<long>(keys_) < target_; ++p) {
        RegKey product = Create(vendor, "Product" + std::to_string(p) + "\\Settings");
        Text(product, "InstallPath", Folder(v * 20 + p));
        Dword(product, "Flags", std::uint32_t(v * 31 + p));
        Close(product);
      }
      Close(vendor);
    }
  }

  static constexpr int kFiles = 50;

 private:
  // Every hundredth entry names a file that is missing.
  static std::string File(long i, const char* ext) {
    if (i % 100 == 99) return "C:\\Program Files\\Gone\\missing" + std::to_string(i) + "." + ext;
    return "C:\\Program Files\\Vendor\\file" + std::to_string(i % kFiles) + "." + ext;
  }
  static std::string Folder(long i) {
    return i % 100 == 99 ? "C:\\Program Files\\Gone" + std::to_string(i) : "C:\\Program Files\\Vendor";
  }
  static std::string Guid(long i) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "{%08lX-1111-2222-3333-444455556666}", 0x1A2B0000ul + static_cast<unsigned long>(i));
    return buf;
  }
  long target_;
};

}  // namespace

int main(int argc, char** argv) {
  long target = 100000;
  std::string cache;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--hive-cache" && i + 1 < argc)
      cache = argv[++i];
    else
      target = std::atol(argv[i]);
  }
  if (const std::string why = hw::test::TestInstallation::SkipReason(); !why.empty()) {
    std::printf("bench_cli_offline_hive: skipped: %s\n", why.c_str());
    return 0;
  }
  hw::test::TestInstallation in;
  std::size_t keys = 0, values = 0;
  const auto making = std::chrono::steady_clock::now();
  if (!cache.empty() && fs::exists(cache)) {
    fs::copy_file(cache, in.SoftwareHive(), fs::copy_options::overwrite_existing);
    std::printf("SOFTWARE hive taken from %s\n", cache.c_str());
  } else {
    in.Edit([&](hw::test::RegistryBuilder&, hw::RegistryApi& api) {
      SoftwareMaker maker(api, target);
      maker.Make();
      keys = maker.keys();
      values = maker.values();
    });
    if (!cache.empty()) fs::copy_file(in.SoftwareHive(), cache);
  }
  for (int i = 0; i < SoftwareMaker::kFiles; ++i)
    for (const char* ext : {"dll", "exe"})
      in.MakeFile("Program Files/Vendor/file" + std::to_string(i) + "." + ext);
  if (keys > 0) std::printf("SOFTWARE: %zu keys, %zu values added (%.1f s to make)\n", keys, values, Seconds(making));
  std::printf("SOFTWARE %.1f MB, SYSTEM %.1f MB, NTUSER.DAT %.1f MB\n", fs::file_size(in.SoftwareHive()) / 1e6,
              fs::file_size(in.SystemHive()) / 1e6, fs::file_size(in.UserHive("anna")) / 1e6);

  double cliBest = 1e30, hivexBest = 1e30, cliCpu = 1e30, hivexCpu = 1e30;
  int status = -1;
  std::string report;
  // The best of several rounds: on a busy machine a single one says little.
  for (int round = 0; round < 7; ++round) {
    hw::CliConsole console;
    console.out = std::tmpfile();
    console.err = std::tmpfile();
    const auto start = std::chrono::steady_clock::now();
    double cpu = hw::bench::CpuSeconds();
    status = hw::RunCli({"scan", "--offline", in.Root(), "--format", "json", "--quiet"}, console);
    cliBest = std::min(cliBest, Seconds(start));
    cliCpu = std::min(cliCpu, hw::bench::CpuSeconds() - cpu);
    std::fseek(console.out, 0, SEEK_END);
    report = std::to_string(std::ftell(console.out)) + " bytes of JSON";
    std::fclose(console.out);
    std::fclose(console.err);

    Count c;
    const auto walk = std::chrono::steady_clock::now();
    cpu = hw::bench::CpuSeconds();
    for (const std::string& hive : {in.SoftwareHive(), in.SystemHive(), in.UserHive("anna")}) {
      hive_h* h = hivex_open(hive.c_str(), 0);
      if (!h) Die("hivex cannot open " + hive);
      hw::bench::HivexWalk(h, hivex_root(h), &c);
      hivex_close(h);
    }
    hivexBest = std::min(hivexBest, Seconds(walk));
    hivexCpu = std::min(hivexCpu, hw::bench::CpuSeconds() - cpu);
    if (round == 0) std::printf("hivex walk of the three hives: %zu keys, %zu values\n", c.keys, c.values);
  }
  std::printf("hivewright-cli scan --offline (all sections, json): %.3f s (exit status %d, %s)\n", cliBest, status,
              report.c_str());
  std::printf("bare hivex enumeration of the same hives:          %.3f s\n", hivexBest);
  std::printf("ratio: %.2fx (target at most 1.5x)\n", cliBest / hivexBest);
  std::printf("processor time: %.3f s against %.3f s, %.2fx\n", cliCpu, hivexCpu, cliCpu / hivexCpu);
  return 0;
}
