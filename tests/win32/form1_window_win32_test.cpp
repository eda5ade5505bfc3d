// The real main window under Wine: controls made, state shown, clicks
// reaching the page logic, pages and the splash photographed.
#include <gtest/gtest.h>

#include "registry/windows_win32.h"

#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "engine/message_pump_win32.h"
#include "registry/settings.h"
#include "support/program_folder_system_info.h"
#include "support/registry_builder.h"
#include "support/scratch_folder.h"
#include "support/scratch_registry.h"
#include "support/scripted_dialogs.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/startup.h"
#include "ui/win32/button_face_win32.h"
#include "ui/win32/form1_window_win32.h"
#include "ui/win32/screenshot_win32.h"
#include "ui/win32/splash_win32.h"

namespace hw {
namespace {

/// The machine's own system facts, its drives seen as network drives, so a
/// test that ticks the whole tree does not walk every disk of the host.
class NoFixedDrives : public test::ProgramFolderSystemInfo {
 public:
  using ProgramFolderSystemInfo::ProgramFolderSystemInfo;
  std::uint32_t DriveType(const std::string&) override { return kDriveRemote; }
};

/// The real message loop, plus what a person does at a given yield of a
/// running scan (a click on Pause, a look at the screen).
class ClickingPump : public MessagePump {
 public:
  void At(long yield, std::function<void()> action) { actions_[yield] = std::move(action); }
  void DoEvents() override {
    ++count_;
    real_.DoEvents();
    auto it = actions_.find(count_);
    if (it == actions_.end()) return;
    auto action = std::move(it->second);
    actions_.erase(it);
    action();
    real_.DoEvents();
  }
  long Count() const { return count_; }

 private:
  Win32MessagePump real_{0};
  long count_ = 0;
  std::map<long, std::function<void()>> actions_;
};

void PumpFor(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() < end);
}

std::string Screenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpFor(100);
  const std::string dir = test::BuildDir() + "\\screenshots";
  std::filesystem::create_directories(dir);
  const std::string path = dir + "\\" + name + ".png";
  EXPECT_TRUE(SaveWindowPng(window, path)) << path;
  return path;
}

std::string WindowText(HWND h) {
  char text[512] = {};
  GetWindowTextA(h, text, sizeof text);
  return text;
}

/// A real mouse click (press and release) at a point of a control.
void MouseClick(HWND control, POINT at) {
  const LPARAM pos = MAKELPARAM(at.x, at.y);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  PostMessageA(control, WM_LBUTTONUP, 0, pos);
}

void ClickButton(Form1Window& w, const std::string& name) {
  HWND b = w.ControlWindow(name);
  RECT r{};
  GetClientRect(b, &r);
  MouseClick(b, POINT{r.right / 2, r.bottom / 2});
}

class Form1WindowTest : public ::testing::Test {
 protected:
  Form1WindowTest()
      : registry_(test::MakeScratchRegistry()),
        folder_(test::MakeScratchFolder()),
        system_(std::make_unique<NoFixedDrives>(test::MakeRealSystemInfo(*folder_, ProgramFolder()), ProgramFolder())),
        shortcuts_(test::MakeRealShortcutReader(*folder_)),
        platform_{registry_->Api(), folder_->Files(), *system_, *shortcuts_, pump, dialogs, shell},
        window(platform_) {
    folder_->MakeFolder(ProgramFolder());
  }
  void SetUp() override {
    ASSERT_TRUE(window.Create(GetModuleHandleA(nullptr)));
    form().settings.Write(kLocalMachine, kPathKey, "LogFile", folder_->Root() + "\\Logs");
    folder_->MakeFolder(folder_->Root() + "\\Logs");
  }
  std::string ProgramFolder() const { return folder_->Root() + "\\Prog"; }
  Form1& form() { return window.Form(); }
  void Load() {
    form().Form_Load();
    form().DrawControls();
    window.Show();
    PumpFor(150);
  }
  TreeNode& Node(const std::string& key) {
    TreeNode* n = form().tvwTree.Find(key);
    EXPECT_NE(nullptr, n) << key;
    return *n;
  }
  /// The middle of a node's picture or text, in tree pixels.
  POINT NodePoint(const std::string& key, bool onPicture) {
    RECT text{};
    HTREEITEM item = window.TreeItemOf(&Node(key));
    TreeView_GetItemRect(window.ControlWindow(ctl::tvwTree), item, &text, TRUE);
    const LONG y = (text.top + text.bottom) / 2;
    return onPicture ? POINT{text.left - 10, y} : POINT{(text.left + text.right) / 2, y};
  }
  int ImageOf(const std::string& key) {
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = window.TreeItemOf(&Node(key));
    SendMessageA(window.ControlWindow(ctl::tvwTree), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
  }

  std::unique_ptr<test::ScratchRegistry> registry_;
  std::unique_ptr<test::ScratchFolder> folder_;
  std::unique_ptr<SystemInfo> system_;
  std::unique_ptr<ShortcutReader> shortcuts_;
  ClickingPump pump;
  test::ScriptedDialogs dialogs;
  test::RecordingShell shell;
  Platform platform_;
  Form1Window window;
};

TEST_F(Form1WindowTest, FirstPageShowsTheStateOfTheLogic) {
  Load();
  HWND w = window.Handle();
  EXPECT_EQ("Hivewright", WindowText(w));
  EXPECT_EQ("Scan", WindowText(window.ControlWindow(ctl::ScanBtn)));
  EXPECT_TRUE(IsWindowVisible(window.ControlWindow(ctl::ScanBtn)));
  EXPECT_TRUE(window.Showing(ctl::ScanBtnDescLb));
  EXPECT_FALSE(IsWindowVisible(window.ControlWindow(ctl::secondFram)));
  EXPECT_FALSE(IsWindowVisible(window.ControlWindow(ctl::fraBackUp)));
  EXPECT_FALSE(IsWindowVisible(window.ControlWindow(ctl::nxt)));

  // The status bar's panels and the tree mirror the logic.
  HWND status = FindWindowExA(w, nullptr, STATUSCLASSNAMEA, nullptr);
  ASSERT_NE(nullptr, status);
  char panel[256] = {};
  SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(panel));
  EXPECT_STREQ("  Hivewright: Version 1.0 (20020225)", panel);
  HWND tree = window.ControlWindow(ctl::tvwTree);
  EXPECT_EQ(form().tvwTree.Count(), static_cast<std::size_t>(TreeView_GetCount(tree)));
  char text[128] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT | TVIF_STATE;
  item.hItem = TreeView_GetRoot(tree);
  item.pszText = text;
  item.cchTextMax = sizeof text;
  item.stateMask = TVIS_BOLD | TVIS_EXPANDED;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ("My Computer", text);
  EXPECT_EQ(static_cast<UINT>(TVIS_BOLD | TVIS_EXPANDED), item.state & (TVIS_BOLD | TVIS_EXPANDED));

  // Nothing of the left column or the first page lies over another control.
  const char* const firstPage[] = {ctl::emblemImg, ctl::HivewrightLB, ctl::hlpBtn,  ctl::SuprBtn,
                                   ctl::lblVersion, ctl::CopyrightLb, ctl::tvwTree, ctl::ScanBtn,
                                   ctl::BackupBtn, ctl::ConfBtn, ctl::ScanBtnDescLb, ctl::BackupBtnDescLb,
                                   ctl::ConfBtnDescLb};
  RECT client{};
  GetClientRect(w, &client);
  const std::size_t count = sizeof firstPage / sizeof firstPage[0];
  for (std::size_t i = 0; i < count; ++i) {
    RECT ra = window.ClientRectOf(firstPage[i]), inside{};
    EXPECT_TRUE(IntersectRect(&inside, &ra, &client) && EqualRect(&inside, &ra)) << firstPage[i] << " is cut off";
    for (std::size_t j = i + 1; j < count; ++j) {
      RECT rb = window.ClientRectOf(firstPage[j]), both{};
      EXPECT_FALSE(IntersectRect(&both, &ra, &rb)) << firstPage[i] << " overlaps " << firstPage[j];
    }
  }
  Screenshot(w, "first_page");
}

TEST_F(Form1WindowTest, ClicksOnTheTreeReachTheSelectionWithRealHitTests) {
  Load();
  HWND tree = window.ControlWindow(ctl::tvwTree);
  // On the picture of "Reg": the registry and its sections ticked once.
  MouseClick(tree, NodePoint("Reg", true));
  PumpFor(200);
  EXPECT_EQ("AllReg", Node("Reg").image);
  EXPECT_EQ("AllReg", Node("SL").image);
  EXPECT_EQ("SomeComp", Node("My").image);
  EXPECT_EQ(3, ImageOf("Reg"));  // "AllReg" in the tree's image list
  EXPECT_EQ(3, ImageOf("SL"));
  // On the picture of "SL": that section alone cleared.
  MouseClick(tree, NodePoint("SL", true));
  PumpFor(200);
  EXPECT_EQ("NoneReg", Node("SL").image);
  EXPECT_EQ("SomeReg", Node("Reg").image);
  EXPECT_EQ(5, ImageOf("SL"));
  // On the text of "Reg" (Some): toggled twice, to All and then None.
  MouseClick(tree, NodePoint("Reg", false));
  PumpFor(200);
  EXPECT_EQ("NoneReg", Node("Reg").image);
  EXPECT_EQ("NoneReg", Node("CC").image);
  EXPECT_EQ("NoneComp", Node("My").image);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowTest, HelpAndSupportOpenWhatTheSettingsSayAndHelpHandsFocusToTheTree) {
  Load();
  ClickButton(window, ctl::SuprBtn);
  PumpFor(150);
  ClickButton(window, ctl::hlpBtn);
  PumpFor(150);
  ASSERT_EQ(2u, shell.calls.size());
  EXPECT_EQ("url", shell.calls[0].kind);
  EXPECT_EQ(kSupportPageDefault, shell.calls[0].target);
  EXPECT_EQ("help", shell.calls[1].kind);
  EXPECT_EQ(ProgramFolder() + "\\help.chm", shell.calls[1].target);
  EXPECT_EQ("main.html", shell.calls[1].topic);
  EXPECT_EQ(ProgramFolder() + "\\help.chm", form().settings.Read(kLocalMachine, kSettingsKey, "Help"));

  // Help to Support keeps Support; Help to anything else on the first page
  // goes on into the tree.
  SetFocus(window.ControlWindow(ctl::hlpBtn));
  PumpFor(50);
  SetFocus(window.ControlWindow(ctl::SuprBtn));
  PumpFor(100);
  EXPECT_EQ(std::string(ctl::SuprBtn), window.FocusedControl());
  SetFocus(window.ControlWindow(ctl::hlpBtn));
  PumpFor(50);
  SetFocus(window.ControlWindow(ctl::ConfBtn));
  PumpFor(100);
  EXPECT_EQ(std::string(ctl::tvwTree), window.FocusedControl());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowTest, TheSplashShowsItsPictureThenTheWholeTreeIsTicked) {
  SplashWindow splash(window, 300);
  Startup startup(form(), splash);
  splash.SetStartup(startup);
  bool shown = false;
  splash.onShown = [&](HWND h) {
    shown = true;
    EXPECT_FALSE(IsWindowVisible(window.Handle()));  // the main window waits for the splash
    PumpFor(50);
    Screenshot(h, "splash");
  };
  startup.Main("");
  EXPECT_TRUE(shown);
  EXPECT_FALSE(startup.StartupScanMode);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  for (TreeNode* n : form().tvwTree.Nodes()) EXPECT_EQ("All", n->image.substr(0, 3)) << n->key;
  EXPECT_EQ(0, ImageOf("My"));  // "AllComp"
  EXPECT_EQ(45.0f, form().mx);
  EXPECT_FALSE(form().scanFinished);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

class Form1WindowScanTest : public Form1WindowTest {
 protected:
  void SetUp() override {
    Form1WindowTest::SetUp();
    const std::string root = folder_->Root();
    folder_->WriteFile(root + "\\App\\app.exe", "MZ");
    test::RegistryBuilder b(registry_->Api());
    const std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
    ASSERT_TRUE(b.Value(kHkeyLocalMachine, ap + "\\a.exe", "", 1, test::Sz(root + "\\App\\app.exe")));
    ASSERT_TRUE(b.Value(kHkeyLocalMachine, ap + "\\b.exe", "", 1, test::Sz(root + "\\Missing\\b.exe")));
    ASSERT_TRUE(b.Value(kHkeyLocalMachine, ap + "\\c.exe", "", 1, test::Sz(root + "\\Missing\\c.exe")));
    Load();
    MouseClick(window.ControlWindow(ctl::tvwTree), NodePoint("SL", true));
    PumpFor(150);
    ASSERT_EQ("AllReg", Node("SL").image);
  }
};

TEST_F(Form1WindowScanTest, AScanClickedThroughShowsItsPagesAndPauseWorksBetweenYields) {
  bool sawScanPage = false;
  std::string pausedCaption;
  const long start = pump.Count();  // the bands' painting yields too
  pump.At(start + 2, [&] {
    sawScanPage = window.Showing(ctl::secondFram) && !window.Showing(ctl::firstfrm) &&
                  !IsWindowEnabled(window.ControlWindow(ctl::tvwTree));
    Screenshot(window.Handle(), "scan_page");
    ClickButton(window, ctl::cmdPause);
  });
  pump.At(start + 3, [&] {
    pausedCaption = WindowText(window.ControlWindow(ctl::cmdPause));
    Screenshot(window.Handle(), "scan_page_paused");
  });
  // Still paused many yields later; then the user resumes.
  pump.At(start + 60, [&] { ClickButton(window, ctl::cmdPause); });
  ClickButton(window, ctl::ScanBtn);
  PumpFor(300);
  EXPECT_TRUE(sawScanPage);
  EXPECT_EQ("Resume", pausedCaption);
  EXPECT_GT(pump.Count(), start + 60);
  EXPECT_EQ("Pause", WindowText(window.ControlWindow(ctl::cmdPause)));

  // The results page: the two problems under their section, Repair, Backup, Return.
  ASSERT_TRUE(form().scanFinished);
  EXPECT_EQ(2u, Node("SL").ChildCount());
  EXPECT_EQ(form().tvwTree.Count(), static_cast<std::size_t>(TreeView_GetCount(window.ControlWindow(ctl::tvwTree))));
  EXPECT_TRUE(window.Showing(ctl::nxt));
  EXPECT_TRUE(window.Showing(ctl::cmdBackUp));
  EXPECT_EQ("Return", WindowText(window.ControlWindow(ctl::ext)));
  EXPECT_EQ("2  Problems Detected", form().controls.Text(ctl::lblErrDetectedProb1));
  EXPECT_FALSE(window.Showing(ctl::secondFram));
  EXPECT_TRUE(window.Showing(ctl::lblErrHead1));
  RECT tree = window.ClientRectOf(ctl::tvwTree), bar = window.ClientRectOf(ctl::Frame1), both{};
  EXPECT_FALSE(IntersectRect(&both, &tree, &bar)) << "the command bar lies below the widened tree";
  Screenshot(window.Handle(), "results_page");

  // Return: the first page with a fresh tree.
  ClickButton(window, ctl::ext);
  PumpFor(150);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_FALSE(window.Showing(ctl::nxt));
  EXPECT_EQ(0u, Node("SL").ChildCount());
  EXPECT_EQ(form().tvwTree.Count(), static_cast<std::size_t>(TreeView_GetCount(window.ControlWindow(ctl::tvwTree))));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowScanTest, AbortClickedDuringTheScanReturnsToTheFirstPage) {
  pump.At(pump.Count() + 2, [&] { ClickButton(window, ctl::ext); });
  ClickButton(window, ctl::ScanBtn);
  PumpFor(300);
  EXPECT_FALSE(form().scanFinished);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_FALSE(window.Showing(ctl::secondFram));
  EXPECT_TRUE(IsWindowEnabled(window.ControlWindow(ctl::tvwTree)));
  EXPECT_EQ("NoneReg", Node("SL").image);  // the tree was rebuilt
  EXPECT_EQ(form().tvwTree.Count(), static_cast<std::size_t>(TreeView_GetCount(window.ControlWindow(ctl::tvwTree))));
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

TEST_F(Form1WindowScanTest, StartedWithSlashSTheSplashStartsAScanOfEverything) {
  window.Hide();
  SplashWindow splash(window, 200);
  Startup startup(form(), splash);
  splash.SetStartup(startup);
  bool scanning = false;
  splash.onShown = [&](HWND) {
    const long start = pump.Count();
    pump.At(start + 3, [&] { scanning = window.Showing(ctl::secondFram) && startup.StartupScanMode; });
  };
  startup.Main("  /s");
  EXPECT_TRUE(scanning);
  EXPECT_FALSE(startup.StartupScanMode);
  EXPECT_TRUE(form().scanFinished);
  EXPECT_EQ(2u, Node("SL").ChildCount());
  EXPECT_TRUE(window.Showing(ctl::nxt));
  EXPECT_EQ(45.0f, form().mx);
  EXPECT_EQ(105.0f, form().my);
  Screenshot(window.Handle(), "startup_scan_results");
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

TEST_F(Form1WindowScanTest, ARepairWithABackupThenTheBackupManagerRestoresIt) {
  form().settings.Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  ClickButton(window, ctl::ScanBtn);
  PumpFor(300);
  ASSERT_TRUE(form().scanFinished);
  ClickButton(window, ctl::nxt);
  PumpFor(300);
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(form().texts.repairDoneMessage, dialogs.messages.back().text);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  const std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\b.exe";
  RegKey key = 0;
  ASSERT_EQ(kErrorSuccess, registry_->Api().OpenKeyEx(kHkeyLocalMachine, ap, 0, kKeyRead, &key));
  std::uint32_t type = 0, size = 0;
  EXPECT_NE(kErrorSuccess, registry_->Api().QueryValueEx(key, "", &type, nullptr, &size)) << "repaired";
  registry_->Api().CloseKey(key);

  // The backup manager lists the automatic backup; ticked and restored,
  // the value is back and the panel closes.
  ClickButton(window, ctl::BackupBtn);
  PumpFor(300);
  HWND list = window.ControlWindow(ctl::ListVW1);
  EXPECT_TRUE(window.Showing(ctl::fraBackUp));
  ASSERT_EQ(1, ListView_GetItemCount(list));
  char name[128] = {};
  ListView_GetItemText(list, 0, 0, name, sizeof name);
  EXPECT_STREQ("Automatic Backup[1]", name);
  Screenshot(window.Handle(), "backup_manager");
  ListView_SetCheckState(list, 0, TRUE);
  PumpFor(50);
  ClickButton(window, ctl::cmdRestore);
  PumpFor(300);
  EXPECT_FALSE(window.Showing(ctl::fraBackUp));
  ASSERT_EQ(kErrorSuccess, registry_->Api().OpenKeyEx(kHkeyLocalMachine, ap, 0, kKeyRead, &key));
  EXPECT_EQ(kErrorSuccess, registry_->Api().QueryValueEx(key, "", &type, nullptr, &size)) << "restored";
  registry_->Api().CloseKey(key);
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

/// A person in the settings dialog: picks a language and presses OK.
struct SettingsPerson {
  static std::string language;
  static bool acted;
  static BOOL CALLBACK FindButton(HWND child, LPARAM out) {
    char cls[32] = {}, text[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (std::string(cls) == "Button" && std::string(text) == "&OK") {
      *reinterpret_cast<HWND*>(out) = child;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Act(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA(nullptr, "Custom Settings");
    if (!dialog) return;
    KillTimer(nullptr, timer);
    HWND combo = FindWindowExA(dialog, nullptr, "ComboBox", nullptr);
    for (HWND page = nullptr; !combo && (page = FindWindowExA(dialog, page, nullptr, nullptr));)
      combo = FindWindowExA(page, nullptr, "ComboBox", nullptr);
    if (combo) {
      const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(language.c_str()));
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    }
    HWND ok = nullptr;
    EnumChildWindows(dialog, &FindButton, reinterpret_cast<LPARAM>(&ok));
    if (ok) PostMessageA(ok, BM_CLICK, 0, 0);
    acted = combo && ok;
  }
};
std::string SettingsPerson::language;
bool SettingsPerson::acted = false;

TEST_F(Form1WindowTest, TheSettingsButtonOpensTheDialogAndAnotherLanguageRetextsTheWindow) {
  const std::string ref = folder_->Root() + "\\Ref";
  folder_->MakeFolder(ref);
  std::filesystem::copy_file(test::SourceDir() + "\\resources\\Ref\\Deutsch.ini", folder_->Host(ref + "\\Deutsch.ini"));
  std::filesystem::copy_file(test::SourceDir() + "\\resources\\Ref\\English.ini", folder_->Host(ref + "\\English.ini"));
  form().settings.Write(kLocalMachine, kPathKey, "RefFile", ref);
  Load();
  EXPECT_EQ("Scan", form().controls.Text(ctl::ScanBtn));

  SettingsPerson::language = "Deutsch";
  SettingsPerson::acted = false;
  SetTimer(nullptr, 0, 200, &SettingsPerson::Act);
  ClickButton(window, ctl::ConfBtn);
  PumpFor(1500);
  ASSERT_TRUE(SettingsPerson::acted);

  EXPECT_EQ("Deutsch", form().settings.Language());
  EXPECT_EQ("Arbeitsplatz", Node("My").text);
  EXPECT_EQ(u8"Prüfen", form().controls.Text(ctl::ScanBtn));  // read from the file's Windows-1252
  Screenshot(window.Handle(), "first_page_de");
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

TEST_F(Form1WindowScanTest, StartedWithSlashSAndNoConfirmationTheScanRepairsByItself) {
  form().settings.Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
  form().settings.Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  window.Hide();
  SplashWindow splash(window, 200);
  Startup startup(form(), splash);
  splash.SetStartup(startup);
  startup.Main("/S");

  // Nobody was asked anything; the repair's closing message is the one box.
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ(form().texts.repairDoneMessage, dialogs.messages[0].text);
  const std::string ap = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
  for (const char* missing : {"\\b.exe", "\\c.exe"}) {
    RegKey h = 0;
    ASSERT_EQ(0, registry_->Api().OpenKeyEx(kHkeyLocalMachine, ap + missing, 0, kKeyRead, &h));
    std::uint32_t type = 0, size = 0;
    EXPECT_NE(0, registry_->Api().QueryValueEx(h, "", &type, nullptr, &size)) << missing;
    registry_->Api().CloseKey(h);
  }
  EXPECT_TRUE(folder_->Exists(ProgramFolder() + "\\backup\\Automatic Backup[1].bak"));
  EXPECT_TRUE(window.Showing(ctl::firstfrm));
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

TEST_F(Form1WindowTest, AColourSchemeChangeRecomposesTheFacesAndClosingFreesThem) {
  Load();
  const char* buttons[] = {ctl::ScanBtn, ctl::BackupBtn, ctl::ConfBtn, ctl::hlpBtn, ctl::SuprBtn};
  std::vector<HBITMAP> before;
  for (const char* b : buttons) {
    before.push_back(ButtonFaceOf(window.ControlWindow(b)));
    EXPECT_NE(nullptr, before.back()) << b;
  }
  SendMessageA(window.Handle(), WM_SYSCOLORCHANGE, 0, 0);
  PumpFor(100);
  std::vector<HBITMAP> after;
  for (std::size_t i = 0; i < before.size(); ++i) {
    after.push_back(ButtonFaceOf(window.ControlWindow(buttons[i])));
    EXPECT_NE(nullptr, after.back()) << buttons[i];
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(after.back()))) << buttons[i];
    // A new face, and one face per button at a time: the one before is gone.
    EXPECT_NE(before[i], after.back()) << buttons[i];
    EXPECT_EQ(0u, GetObjectType(before[i])) << buttons[i];
  }
  DestroyWindow(window.Handle());
  PumpFor(50);
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(0u, GetObjectType(after[i])) << buttons[i];
}

}  // namespace
}  // namespace hw
