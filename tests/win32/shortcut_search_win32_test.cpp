// The shortcut section under Windows (Wine): shortcuts made by the real
// shell, Wine's user folders that are links to one home folder, and a
// search of the real drives.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "checks/caption_view.h"
#include "checks/section_checks.h"
#include "engine/mani.h"
#include "platform/system_info.h"
#include "platform/vb_text.h"
#include "support/shortcut_maker.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return "";
  return path;
}

bool MakeWebShortcut(const std::string& linkPath, const wchar_t* address) {
  LPITEMIDLIST item = nullptr;
  if (FAILED(SHParseDisplayName(address, nullptr, &item, 0, nullptr))) return false;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->SetIDList(item)) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (ok) ok = SUCCEEDED(file->Save(std::wstring(linkPath.begin(), linkPath.end()).c_str(), TRUE));
  if (file) file->Release();
  if (link) link->Release();
  CoTaskMemFree(item);
  return ok;
}

TEST(ShortcutSearchWin32, RealShellShortcutsAreJudgedByWhatExistsAtTheirTargets) {
  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
  form.Form_Load();
  ASSERT_TRUE(form.sReg);
  auto& f = tp.Folder();
  const std::string R = tp.Root(), S = R + "\\S";
  std::string missingDrive;
  for (char c = 'Y'; c > 'D' && missingDrive.empty(); --c)
    if (!tp.Files().DriveExists(std::string(1, c) + ":\\")) missingDrive = std::string(1, c) + ":\\";
  ASSERT_FALSE(missingDrive.empty());

  f.WriteFile(R + "\\T\\app.exe", "MZ");
  f.MakeFolder(R + "\\T\\Folder");
  f.MakeFolder(R + "\\T\\data.old");
  const std::vector<std::pair<std::string, std::string>> links = {
      {"file.lnk", R + "\\T\\app.exe"},      {"gonefile.lnk", R + "\\T\\gone.exe"},
      {"folder.lnk", R + "\\T\\Folder"},     {"gonefolder.lnk", R + "\\T\\Gone"},
      {"dataold.lnk", R + "\\T\\data.old"},  {"root.lnk", "C:\\"},
      {"goneroot.lnk", missingDrive}};
  for (const auto& l : links) ASSERT_TRUE(test::MakeShortcutFile(f, S + "\\" + l.first, l.second)) << l.first;
  // A shortcut to a web address, as the shell makes one: an item of its
  // Internet folder, with no file-system path. (Wine's SetPath would take the
  // address for a relative file name.)
  CreateDirectoryA((S + "\\Web").c_str(), nullptr);
  const bool web = MakeWebShortcut(S + "\\Web\\web.lnk", L"http://example.org/");
  if (web) {
    EXPECT_EQ("", tp.Get().shortcuts.TargetPath(S + "\\Web\\web.lnk"));
  }

  for (int i = 0; i <= 10; ++i) form.controls.SetText(ctl::NumSecEr(i), "0");
  form.scanState.StartCounting();
  form.problemLogs.StartProblemLogs(form.scanState);
  form.sReg->SetlStartSearch();
  form.sReg->DoSearchFiles(S, "*.lnk");
  ProblemLogs::FinishProblemLogs(form.scanState);

  // Three broken: the missing file, the missing folder, the missing drive.
  EXPECT_EQ("3", form.controls.Text(ctl::NumSecEr(10)));
  const std::string err = f.ReadFile(form.module1.GetLogFolder() + "\\err.log");
  const std::string alerr = f.ReadFile(form.module1.GetLogFolder() + "\\alerr.log");
  for (const char* name : {"gonefile.lnk", "gonefolder.lnk", "goneroot.lnk"})
    EXPECT_TRUE(Contains(err, "." + S + "\\" + name + "\r\n", true)) << name << "\n" << err;
  EXPECT_TRUE(Contains(alerr, "." + S + "\\gonefile.lnk\r\n", true)) << alerr;
  EXPECT_TRUE(Contains(alerr, "." + R + "\\T\\Gone\r\n", true)) << alerr;
  EXPECT_TRUE(Contains(alerr, "." + S + "\\goneroot.lnk\r\n", true)) << alerr;
  EXPECT_FALSE(Contains(err, "web.lnk", true));
  if (!web) std::printf("note: this shell cannot parse a web address into a shortcut; not tested\n");
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

// Counts what the search reports, and the shortcuts to `target`, and hands
// it on to the checks.
class CountingChecks : public ManiEvents {
 public:
  CountingChecks(SectionChecks& checks, const std::string& target) : checks_(checks), target_(target) {}
  long shortcuts = 0, withTarget = 0, toTarget = 0;
  std::set<std::string> folders;
  void ShortFound(const std::string& short_path) override {
    ++shortcuts;
    withTarget += !short_path.empty();
    toTarget += EqualsNoCase(short_path, target_);
    checks_.ShortFound(short_path);
  }
  void FolderSearched(const std::string& folder) override { folders.insert(folder); }

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
  for (const std::string& d : drives) {
    const long yieldsBefore = tp.pump.Count();
    auto t0 = std::chrono::steady_clock::now();
    sReg.DoSearchFiles(d, "*.lnk");
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("drive %s searched in %.1f s: %ld yields; so far %zu folders with entries, %ld shortcuts "
                "(%ld with a file-system target), %s broken\n",
                d.c_str(), s, tp.pump.Count() - yieldsBefore, counting.folders.size(), counting.shortcuts,
                counting.withTarget, view.numSecEr[10].c_str());
  }
  ProblemLogs::FinishProblemLogs(state);
  EXPECT_EQ(1, counting.toTarget);
  EXPECT_EQ(0, sReg.lStopSearch);
  EXPECT_TRUE(tp.dialogs.messages.empty());
  EXPECT_EQ(state.ProblemsFound, CaptionNumber(view.numSecEr[10]));
}

}  // namespace
}  // namespace hw
