// The shortcut search (DoSearchFiles with the shortcut rule listening)
// against a bare recursive listing of the same tree that only counts .lnk
// names, on the platform's file backend (the drive map natively, the real
// file system and shell under Wine). Shortcuts are made the platform's way.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/caption_view.h"
#include "checks/section_checks.h"
#include "engine/mani.h"
#include "platform/shortcut_reader.h"
#include "platform/vb_text.h"
#include "support/real_message_pump.h"
#include "support/shortcut_maker.h"
#include "support/stopwatch.h"
#include "support/test_platform.h"

namespace hw {
namespace {
namespace fs = std::filesystem;

constexpr int kTops = 100;
constexpr int kLeavesPerTop = 100;
constexpr int kFilesPerLeaf = 10;
constexpr int kShortcutEvery = 10;  // one shortcut in every tenth leaf folder

using test::Seconds;

std::string Leaf(const std::string& base, int t, int l) {
  char name[32];
  std::snprintf(name, sizeof name, "\\d%03d\\s%03d", t, l);
  return base + name;
}

// 100 folders of 100 folders, ten plain files in each of these, and 1000
// shortcuts: half to a file of the tree, half to a file that is gone.
std::vector<std::string> BuildTree(test::ScratchFolder& scratch, const std::string& base) {
  std::vector<std::string> shortcuts;
  for (int t = 0; t < kTops; ++t) {
    for (int l = 0; l < kLeavesPerTop; ++l) {
      const std::string leaf = Leaf(base, t, l);
      for (int f = 0; f < kFilesPerLeaf; ++f)
        scratch.WriteFile(leaf + "\\file" + std::to_string(f) + (f % 2 ? ".txt" : ".dat"), "x");
      if (l % kShortcutEvery == 0) {
        const std::string link = leaf + "\\link.lnk";
        const std::string target = (shortcuts.size() % 2) ? leaf + "\\file0.dat" : leaf + "\\gone.exe";
        if (!test::MakeShortcutFile(scratch, link, target)) std::fprintf(stderr, "cannot make %s\n", link.c_str());
        shortcuts.push_back(link);
      }
    }
  }
  return shortcuts;
}

long BareListing(const std::string& host) {
  long links = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".lnk")) ++links;
  }
  return links;
}

int Run() {
  test::TestPlatform tp;
  const std::string base = tp.Root() + "\\Bench";
  std::vector<std::string> shortcuts;
  double build = Seconds([&] { shortcuts = BuildTree(tp.Folder(), base); });
  std::printf("built %d folders, %d files and %zu shortcuts in %.1f s\n", kTops * (kLeavesPerTop + 1) + 1,
              kTops * kLeavesPerTop * kFilesPerLeaf, shortcuts.size(), build);

  Module1 m(tp.Get());
  PathTests paths(tp.Files(), tp.Get().system);
  ProblemLogs logs(m);
  ScanState state;
  test::CaptionView view;
  SearchParameters params;
  auto pump = test::MakeRealMessagePump();
  Mani sReg(tp.Registry(), *pump, params);
  SectionChecks checks(m, paths, logs, state, view, [&] { sReg.StopSearch(); });
  sReg.SetEvents(&checks);
  sReg.UseFiles(tp.Files(), tp.Get().shortcuts, state.ShortcutFilePath);

  auto search = [&] {
    state.StartCounting();
    for (int i = 0; i <= 10; ++i) view.numSecEr[i] = "0";
    logs.StartProblemLogs(state);
    sReg.SetlStartSearch();
    double s = Seconds([&] { sReg.DoSearchFiles(base, "*.lnk"); });
    ProblemLogs::FinishProblemLogs(state);
    return s;
  };
  const std::string host = tp.Folder().Host(base);
  long links = 0, links2 = 0;
  double floor1 = Seconds([&] { links = BareListing(host); });
  double search1 = search();
  const int problems = state.ProblemsFound;
  double search2 = search();
  double floor2 = Seconds([&] { links2 = BareListing(host); });
  const double floor = std::min(floor1, floor2), whole = std::min(search1, search2);

  // What the 1000 shortcuts cost on their own: resolving each and judging it.
  state.StartCounting();
  logs.StartProblemLogs(state);
  double reading = Seconds([&] {
    for (const std::string& link : shortcuts) checks.ShortFound(sReg.ShortcutTarget(link));
  });
  ProblemLogs::FinishProblemLogs(state);

  std::printf("bare listing:     %ld .lnk names in %.3f s (%ld the second time)\n", links, floor, links2);
  std::printf("DoSearchFiles:    %zu shortcuts, %d problems in %.3f s\n", shortcuts.size(), problems, whole);
  std::printf("reading and judging the %zu shortcuts alone: %.3f s (%.1f us each)\n", shortcuts.size(), reading,
              reading / shortcuts.size() * 1e6);
  std::printf("search / (2 x floor + reading) = %.2f (target <= 1); search - reading = %.2f x floor\n",
              whole / (2 * floor + reading), (whole - reading) / floor);
  return problems == static_cast<int>(shortcuts.size() / 2) ? 0 : 1;
}

}  // namespace
}  // namespace hw

int main() { return hw::Run(); }
