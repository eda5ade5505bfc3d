// The shortcut section under Windows (Wine): a search of the real drives,
// whose user folders are links to one home folder.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <shlobj.h>

#include <cstdlib>
#include <set>

#include "support/caption_view.h"
#include "checks/section_checks.h"
#include "engine/mani.h"
#include "platform/system_info.h"
#include "platform/vb_text.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"
#include "registry/module1.h"

namespace hw {
namespace {

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return "";
  return path;
}

// Counts the shortcuts to `target` and hands each on to the checks.
class CountingChecks : public ManiEvents {
 public:
  CountingChecks(SectionChecks& checks, const std::string& target) : checks_(checks), target_(target) {}
  long toTarget = 0;
  void ShortFound(const std::string& short_path) override {
    toTarget += EqualsNoCase(short_path, target_);
    checks_.ShortFound(short_path);
  }

 private:
  SectionChecks& checks_;
  std::string target_;
};

// Drive C: always, the other fixed drives when HW_SCAN_ALL_DRIVES is set.
// Wine's user folders are links to one home folder: a shortcut on the real
// Desktop is found once.
TEST(ShortcutSearchWin32, ASearchOfWinesFixedDrivesEndsAndMeetsTheUserFoldersOnce) {
  test::TestPlatform tp;
  const std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  ASSERT_EQ(0u, desktop.rfind("C:\\", 0)) << desktop;
  const std::string target = tp.Root() + "\\gone-" + std::to_string(GetCurrentProcessId()) + ".exe";
  const std::string once = desktop + "\\hw-once-" + std::to_string(GetCurrentProcessId()) + ".lnk";
  ASSERT_TRUE(test::MakeShortcutFile(tp.Folder(), once, target));
  struct Remove {
    std::string path;
    ~Remove() { DeleteFileA(path.c_str()); }
  } removeAfter{once};

  Module1 m(tp.Get());
  PathTests paths(tp.Files(), tp.Get().system);
  ProblemLogs logs(m);
  ScanState state;
  test::CaptionView view;
  SearchParameters params;
  Mani sReg{tp.Registry(), tp.pump, params};
  SectionChecks checks(m, paths, logs, state, view, [&] { sReg.StopSearch(); });
  CountingChecks counting(checks, target);
  sReg.SetEvents(&counting);
  sReg.UseFiles(tp.Files(), tp.Get().shortcuts, state.ShortcutFilePath);
  std::vector<std::string> drives;
  const std::string all = tp.Get().system.LogicalDriveStrings();
  for (std::size_t at = 0; at + 3 <= all.size(); at = all.find('\0', at) + 1) {
    const std::string root = all.substr(at, 3);
    if (tp.Get().system.DriveType(root) == kDriveFixed && (root[0] == 'C' || std::getenv("HW_SCAN_ALL_DRIVES")))
      drives.push_back(root.substr(0, 2));
  }
  ASSERT_FALSE(drives.empty());
  state.StartCounting();
  logs.StartProblemLogs(state);
  sReg.SetlStartSearch();
  for (const std::string& d : drives) sReg.DoSearchFiles(d, "*.lnk");
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_EQ(1, counting.toTarget);
  EXPECT_EQ(0, sReg.lStopSearch);
  EXPECT_TRUE(tp.dialogs.messages.empty());
  EXPECT_EQ(state.ProblemsFound, CaptionNumber(view.numSecEr[10]));
}

}  // namespace
}  // namespace hw
