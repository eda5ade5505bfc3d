// The real main window under Wine: controls made, state shown, clicks
// reaching the page logic, pages and the splash photographed.
#include <gtest/gtest.h>

#include "platform/windows_win32.h"

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>

#include "platform/message_pump_win32.h"
#include "platform/vb_text.h"
#include "registry/settings.h"
#include "support/program_folder_system_info.h"
#include "support/registry_builder.h"
#include "support/scratch_folder.h"
#include "support/scratch_registry.h"
#include "support/scripted_dialogs.h"
#include "support/shortcut_maker.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/results_page.h"
#include "ui/startup.h"
#include "ui/win32/button_face_win32.h"
#include "ui/win32/form1_window_win32.h"
#include "ui/win32/screenshot_win32.h"
#include "ui/win32/splash_win32.h"
#include "ui/win32/wide_text_win32.h"

namespace hw {
namespace {

/// The machine's own system facts, its drives seen as network drives
/// (except `fixed`, when set), so a test that ticks the whole tree does not
/// walk every disk of the host.
class NoFixedDrives : public test::ProgramFolderSystemInfo {
 public:
  using ProgramFolderSystemInfo::ProgramFolderSystemInfo;
  std::uint32_t DriveType(const std::string& root) override {
    return fixed && !root.empty() && root[0] == fixed ? kDriveFixed : kDriveRemote;
  }
  char fixed = 0;
};

/// The real message loop, plus what a person does at a given yield of a
/// running scan (a click on Pause, a look at the screen).
class ClickingPump : public MessagePump {
 public:
  void At(long yield, std::function<void()> action) { actions_[yield] = std::move(action); }
  /// Once, at the first yield where `condition` holds.
  void When(std::function<bool()> condition, std::function<void()> action) {
    when_ = std::move(condition);
    whenAction_ = std::move(action);
  }
  void DoEvents() override {
    ++count_;
    real_.DoEvents();
    std::function<void()> action;
    if (auto it = actions_.find(count_); it != actions_.end()) {
      action = std::move(it->second);
      actions_.erase(it);
    } else if (when_ && when_()) {
      action = std::move(whenAction_);
      when_ = nullptr;
    }
    if (!action) return;
    action();
    real_.DoEvents();
  }
  /// Keyboard navigation of the main window during the yield, as the program's pump does.
  void SetDialogWindow(HWND window) { real_.SetDialogWindow(window); }
  long Count() const { return count_; }

 private:
  Win32MessagePump real_{0};
  long count_ = 0;
  std::map<long, std::function<void()>> actions_;
  std::function<bool()> when_;
  std::function<void()> whenAction_;
};

/// Runs messages for `ms`; with `dialog`, its keyboard navigation too, as
/// the program's message loop does.
void PumpFor(DWORD ms, HWND dialog = nullptr) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (DialogMessage(dialog, msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() < end);
}

/// Runs messages until WM_QUIT comes or `ms` have passed; its code, or -1.
int PumpUntilQuit(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() < end);
  return -1;
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

/// A key pressed on the focused window as the keyboard sends it; `mods`
/// held down meanwhile (VK_CONTROL, VK_SHIFT) through the thread's key state.
void PressKey(UINT vk, std::initializer_list<int> mods = {}) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (int m : mods) state[m] = 0x80;
  SetKeyboardState(state);
  HWND focus = GetFocus();
  PostMessageA(focus, WM_KEYDOWN, vk, 1);
  PostMessageA(focus, WM_KEYUP, vk, 1 | (3u << 30));
  PumpFor(30, GetAncestor(focus, GA_ROOT));
  for (int m : mods) state[m] = 0;
  SetKeyboardState(state);
}

/// Alt with a letter: a mnemonic.
void PressAlt(char letter) {
  PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 1 | (1 << 29));
  PumpFor(30, GetAncestor(GetFocus(), GA_ROOT));
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
    pump.SetDialogWindow(window.Handle());
    // The window of the test before posted its quit message when it went.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
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
  std::unique_ptr<NoFixedDrives> system_;
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

TEST_F(Form1WindowTest, TheKeyboardReachesTheFirstPageAndTheTreeButNotTheHiddenPages) {
  Load();
  SetActiveWindow(window.Handle());
  window.SetFocus(ctl::tvwTree);
  // Arrows move through the tree; Space ticks the node once.
  TreeView_SelectItem(window.ControlWindow(ctl::tvwTree), window.TreeItemOf(&Node("My")));
  PressKey(VK_DOWN);
  EXPECT_TRUE(Node("Reg").selected);
  PressKey(VK_SPACE);
  EXPECT_EQ("AllReg", Node("Reg").image);
  EXPECT_EQ("AllReg", Node("SL").image);
  EXPECT_TRUE(Node("Reg").selected);
  Screenshot(window.Handle(), "keyboard_first_page");
  // Tab goes round the first page and the left column; the Abort button
  // behind the first page is not among them, nor does Alt+B run it.
  std::vector<std::string> reached;
  for (int i = 0; i < 12; ++i) {
    PressKey(VK_TAB);
    reached.push_back(window.FocusedControl());
  }
  for (const char* c : {ctl::ScanBtn, ctl::BackupBtn, ctl::ConfBtn, ctl::tvwTree})
    EXPECT_NE(reached.end(), std::find(reached.begin(), reached.end(), c)) << c;
  EXPECT_EQ(reached.end(), std::find(reached.begin(), reached.end(), ctl::ext));
  PressAlt('b');
  EXPECT_EQ("AllReg", Node("Reg").image) << "the tree was not rebuilt by the hidden Abort";
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowTest, InADarkHighContrastSchemeEveryTextUsesTheSystemColours) {
  const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_APPWORKSPACE,
                          COLOR_3DHIGHLIGHT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
  const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 255),
                           RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 0)};
  COLORREF before[8];
  for (int i = 0; i < 8; ++i) before[i] = GetSysColor(elements[i]);
  window.highContrast = true;
  SetSysColors(8, elements, dark);
  Load();
  SendMessageA(window.Handle(), WM_SYSCOLORCHANGE, 0, 0);
  PumpFor(100);
  HWND tree = window.ControlWindow(ctl::tvwTree);
  EXPECT_EQ(RGB(0, 0, 0), TreeView_GetBkColor(tree));
  EXPECT_EQ(RGB(255, 255, 255), TreeView_GetTextColor(tree));
  // A point of the tree below its last node shows the scheme's background.
  const std::string shot = Screenshot(window.Handle(), "high_contrast");
  RECT r = window.ClientRectOf(ctl::tvwTree);
  HDC dc = GetDC(window.Handle());
  const COLORREF below = GetPixel(dc, r.left + 40, r.bottom - 30);
  ReleaseDC(window.Handle(), dc);
  SetSysColors(8, elements, before);
  EXPECT_EQ(RGB(0, 0, 0), below);
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

TEST_F(Form1WindowScanTest, SpaceOrEnterOnScanStartsAScanInWhichTabReachesPauseAndAbortAndSpaceEnterAndEscPressThem) {
  test::RegistryBuilder b(registry_->Api());
  for (int i = 0; i < 300; ++i)
    b.String(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\f" + std::to_string(i) + ".exe",
             "", folder_->Root() + "\\App\\app.exe");
  std::vector<std::string> reached;
  std::string paused, resumed;
  bool aborted = false;
  const long start = pump.Count();
  // One key a yield, as a person's presses fall between steps of the walk:
  // Tab from the Help button round to Pause and Abort, Space on Pause.
  pump.At(start + 2, [&] { window.SetFocus(ctl::hlpBtn); });
  for (int i = 0; i < 9; ++i)
    pump.At(start + 3 + i, [&] {
      reached.push_back(window.FocusedControl());
      PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
      PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 1 | (3u << 30));
    });
  pump.At(start + 12, [&] {
    window.SetFocus(ctl::cmdPause);
    Screenshot(window.Handle(), "keyboard_scan_page");
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_SPACE, 1);
    PostMessageA(GetFocus(), WM_KEYUP, VK_SPACE, 1 | (3u << 30));
  });
  pump.At(start + 15, [&] {
    paused = WindowText(window.ControlWindow(ctl::cmdPause));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
  });
  pump.At(start + 18, [&] {
    resumed = WindowText(window.ControlWindow(ctl::cmdPause));
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    aborted = true;
  });
  // The scan starts with Space on the focused Scan button. The space
  // character comes after the key's release, when the first page has gone.
  SetActiveWindow(window.Handle());
  window.SetFocus(ctl::ScanBtn);
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_SPACE, 1);
  PostMessageA(GetFocus(), WM_KEYUP, VK_SPACE, 1 | (3u << 30));
  PumpFor(300, window.Handle());
  EXPECT_GT(pump.Count(), start + 18);
  for (const char* c : {ctl::cmdPause, ctl::ext})
    EXPECT_NE(reached.end(), std::find(reached.begin(), reached.end(), c)) << c;
  EXPECT_EQ("Resume", paused);
  EXPECT_EQ("Pause", resumed);
  EXPECT_TRUE(aborted);
  EXPECT_FALSE(form().scanFinished);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_NE(std::string(ctl::ext), window.FocusedControl()) << "the focus left with the scan page";

  // Enter on the focused Scan button starts one too (the Abort unticked
  // the tree), and it runs through.
  MouseClick(window.ControlWindow(ctl::tvwTree), NodePoint("SL", true));
  PumpFor(150);
  window.SetFocus(ctl::ScanBtn);
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 1 | (3u << 30));
  PumpFor(300, window.Handle());
  EXPECT_TRUE(form().scanFinished);
  EXPECT_EQ(2u, Node("SL").ChildCount());
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

TEST_F(Form1WindowScanTest, AbortDuringTheLastWalkShowsTheFirstPageAndRepairsNothing) {
  // Pressed once the walk has found a problem, with "repair without
  // asking" on: nothing may be repaired. The last row presses Scan in the
  // same drain of messages as the Abort.
  form().settings.Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
  const std::string root = folder_->Root();
  ASSERT_TRUE(test::MakeShortcutFile(*folder_, root + "\\Links\\broken.lnk", root + "\\Gone\\x.exe"));
  system_->fixed = root[0];
  const std::string drive = std::string(1, root[0]) + ":";
  struct Case {
    std::string tick, section;
    bool scanToo;
  };
  for (const Case& c : {Case{"SL", "SL", false}, Case{root.substr(0, 1), drive, false}, Case{"SL", "SL", true}}) {
    SCOPED_TRACE(c.section);
    form().BuildSectionTree();
    MouseClick(window.ControlWindow(ctl::tvwTree), NodePoint(c.tick, true));
    PumpFor(100);
    ASSERT_EQ(0u, Node(c.tick).image.rfind("All", 0));
    bool pressed = false;
    pump.When([&] { return form().scanState.CurrentSection == c.section && form().scanState.ProblemsFound > 0; },
              [&] {
                pressed = true;
                ClickButton(window, ctl::ext);
                if (c.scanToo) ClickButton(window, ctl::ScanBtn);
              });
    ClickButton(window, ctl::ScanBtn);
    PumpFor(300);
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(form().scanFinished);
    EXPECT_TRUE(window.Showing(ctl::ScanBtn));
    EXPECT_FALSE(window.Showing(ctl::nxt));
    EXPECT_EQ(nullptr, form().scanState.ErrLog);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(test::RegistryBuilder(registry_->Api())
                    .Has(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\b.exe", ""));
    EXPECT_TRUE(folder_->Exists(root + "\\Links\\broken.lnk"));
  }
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

/// Closing the main window during a scan: clicked or started by "/S", in a
/// registry walk or in the shortcut search.
struct CloseCase {
  bool startup;
  const char* section;  // "drive" for the scratch folder's drive
};

class Form1WindowCloseTest : public Form1WindowScanTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(Form1WindowCloseTest, ClosingTheWindowDuringAScanStopsItAndEndsTheProgramQuietly) {
  form().settings.Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
  const std::string root = folder_->Root();
  ASSERT_TRUE(test::MakeShortcutFile(*folder_, root + "\\Links\\broken.lnk", root + "\\Gone\\x.exe"));
  system_->fixed = root[0];
  form().BuildSectionTree();
  const std::string section =
      GetParam().section == std::string("drive") ? std::string(1, root[0]) + ":" : GetParam().section;
  bool closed = false;
  pump.When([&] { return form().scanState.CurrentSection == section; }, [&] {
    closed = true;
    PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
  });
  int quitCode = -1;
  if (GetParam().startup) {
    window.Hide();
    SplashWindow splash(window, 100);
    Startup startup(form(), splash);
    splash.SetStartup(startup);
    startup.Main("/S");
    quitCode = PumpUntilQuit(300);
  } else {
    MouseClick(window.ControlWindow(ctl::tvwTree), NodePoint("My", true));
    PumpFor(100);
    ClickButton(window, ctl::ScanBtn);
    quitCode = PumpUntilQuit(5000);
  }
  EXPECT_TRUE(closed);
  EXPECT_EQ(nullptr, window.Handle());
  EXPECT_EQ(0, quitCode);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(nullptr, form().scanState.ErrLog);
  EXPECT_FALSE(form().scanFinished);
  EXPECT_TRUE(test::RegistryBuilder(registry_->Api())
                  .Has(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\b.exe", ""));
  EXPECT_TRUE(folder_->Exists(root + "\\Links\\broken.lnk"));
}

INSTANTIATE_TEST_SUITE_P(Scans, Form1WindowCloseTest,
                         ::testing::Values(CloseCase{false, "SL"}, CloseCase{false, "drive"},
                                           CloseCase{true, "CC"}, CloseCase{true, "drive"}));

TEST_F(Form1WindowTest, ClosingTheSplashGoesOnToTheMainWindow) {
  // A close message, and Alt+F4 as the keyboard sends it.
  const std::pair<UINT, WPARAM> closes[] = {{WM_CLOSE, 0}, {WM_SYSKEYDOWN, VK_F4}};
  for (const auto& [message, key] : closes) {
    SCOPED_TRACE(message);
    window.Hide();
    SplashWindow splash(window, 60000);
    Startup startup(form(), splash);
    splash.SetStartup(startup);
    splash.onShown = [&, message = message, key = key](HWND h) {
      PostMessageA(h, message, key, message == WM_SYSKEYDOWN ? (1 << 29) | (0x3E << 16) | 1 : 0);
    };
    // Should the splash stay, this ends its loop instead of hanging the test.
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); });
    startup.Main("");
    KillTimer(nullptr, watchdog);
    EXPECT_EQ(-1, PumpUntilQuit(50)) << "the splash stayed until the watchdog";
    EXPECT_TRUE(IsWindowVisible(window.Handle()));
    EXPECT_EQ("AllComp", Node("My").image);
  }
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

namespace hw {
namespace {

/// hivewright.exe of this build, started with `arguments`.
struct Program {
  explicit Program(const std::string& arguments) {
    std::string line = "\"" + test::BuildDir() + "\\hivewright.exe\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    const std::string folder = test::BuildDir();
    started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &info) != 0;
    error = started ? 0 : GetLastError();
  }
  ~Program() {
    if (!started) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  /// The exit code once it has ended within `ms`; -1 while it still runs.
  long EndedWith(DWORD ms) {
    DWORD code = 0;
    if (WaitForSingleObject(info.hProcess, ms) != WAIT_OBJECT_0 || !GetExitCodeProcess(info.hProcess, &code))
      return -1;
    return static_cast<long>(code);
  }
  /// Its visible main window, waited for up to `ms`.
  HWND MainWindow(DWORD ms) {
    for (const DWORD end = GetTickCount() + ms; GetTickCount() < end; Sleep(50)) {
      for (HWND w = FindWindowExA(nullptr, nullptr, "HivewrightForm1", nullptr); w;
           w = FindWindowExA(nullptr, w, "HivewrightForm1", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == info.dwProcessId && IsWindowVisible(w)) return w;
      }
    }
    return nullptr;
  }
  PROCESS_INFORMATION info{};
  bool started = false;
  DWORD error = 0;
};

TEST(Hivewright, ASecondInstanceShowsTheFirstAndEndsAndClosingEndsTheFirstWithStatus0) {
  Program first("");
  ASSERT_TRUE(first.started) << "error " << first.error;
  HWND shown = first.MainWindow(20000);
  ASSERT_NE(nullptr, shown) << "the first instance's window after its splash";
  ShowWindow(shown, SW_MINIMIZE);
  for (const char* arguments : {"", "/S"}) {
    SCOPED_TRACE(arguments);
    Program second(arguments);
    ASSERT_TRUE(second.started);
    EXPECT_EQ(0, second.EndedWith(5000));
  }
  EXPECT_FALSE(IsIconic(shown)) << "restored by the start by hand";
  EXPECT_EQ(-1, first.EndedWith(0));
  PostMessageA(shown, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, first.EndedWith(10000));
}

}  // namespace
}  // namespace hw

namespace hw {
namespace {

std::string Utf8(const wchar_t* w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n > 0 ? n - 1 : 0), '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w, -1, &s[0], n, nullptr, nullptr);
  return s;
}

/// A real mouse press and release (left or right) at a point of the screen.
void MouseInput(POINT screen, bool right) {
  SetCursorPos(screen.x, screen.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

/// What a person does once a popup menu shows: notes its items, takes a
/// picture when asked, and clicks the item with `caption`.
struct MenuPerson {
  static MenuPerson* current;
  HWND window = nullptr;
  std::string caption, picture;
  std::vector<std::string> offered;
  bool clicked = false;
  UINT_PTR timer = 0;

  void Arm(HWND w, const std::string& c, const std::string& shot = std::string()) {
    window = w;
    caption = c;
    picture = shot;
    offered.clear();
    clicked = false;
    current = this;
    timer = SetTimer(nullptr, 0, 50, &Tick);
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    MenuPerson* self = current;
    HWND popup = FindWindowA("#32768", nullptr);
    if (!self || !popup || !IsWindowVisible(popup)) return;
    auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (!menu) return;
    KillTimer(nullptr, id);
    int at = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[128] = {};
      if (GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION) <= 0) continue;
      self->offered.push_back(Utf8(text));
      if (self->offered.back() == self->caption) at = i;
    }
    if (!self->picture.empty()) {
      const std::string dir = test::BuildDir() + "\\screenshots";
      std::filesystem::create_directories(dir);
      SaveWindowPng(self->window, dir + "\\" + self->picture + ".png");
    }
    RECT r{};
    if (at < 0 || !GetMenuItemRect(nullptr, menu, static_cast<UINT>(at), &r)) {
      PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
    self->clicked = true;
    MouseInput(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, false);
  }
};
MenuPerson* MenuPerson::current = nullptr;

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* w = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = Utf8(w);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST_F(Form1WindowScanTest, TheResultsShowWhyAProblemIsOneAndItsMenuActsOnItWithRealClicks) {
  ClickButton(window, ctl::ScanBtn);
  PumpFor(300);
  ASSERT_TRUE(form().scanFinished);
  ASSERT_EQ(2u, Node("SL").ChildCount());
  HWND tree = window.ControlWindow(ctl::tvwTree);
  HWND pane = window.ControlWindow(ctl::txtDetails);
  EXPECT_TRUE(window.Showing(ctl::txtDetails));
  RECT treeRect = window.ClientRectOf(ctl::tvwTree), paneRect = window.ClientRectOf(ctl::txtDetails), both{};
  EXPECT_FALSE(IntersectRect(&both, &treeRect, &paneRect)) << "the pane lies under the tree";
  const std::string b = Node("SL").Children()[0]->key, c = Node("SL").Children()[1]->key;
  auto screenPoint = [&](const std::string& key) {
    POINT p = NodePoint(key, false);
    ClientToScreen(tree, &p);
    return p;
  };
  MenuPerson person;
  auto rightClick = [&](const std::string& key, const std::string& caption, const std::string& shot = "") {
    person.Arm(window.Handle(), caption, shot);
    MouseInput(screenPoint(key), true);
    PumpFor(400);
    EXPECT_TRUE(person.clicked) << caption;
  };

  // A right click selects the problem, the pane explains it; Copy details.
  rightClick(b, "Copy details", "results_context_menu");
  const std::vector<std::string> registryItems = {"Open in Registry Editor", "Copy details", "Exclude",
                                                  "Select all", "Select none", "Invert selection",
                                                  "Sort by path"};
  EXPECT_EQ(registryItems, person.offered);
  const std::string details = form().controls.Text(ctl::txtDetails);
  EXPECT_EQ(0u, details.find("Section: Software Locations\r\nRoot: HKEY_LOCAL_MACHINE\r\n")) << details;
  EXPECT_NE(std::string::npos, details.find("The file " + folder_->Root() + "\\Missing\\b.exe does not exist."));
  wchar_t shown[1024] = {};
  GetWindowTextW(pane, shown, 1024);
  EXPECT_EQ(details, Utf8(shown));
  EXPECT_EQ(details, ClipboardText());
  Screenshot(window.Handle(), "results_details");

  // Open in Registry Editor: its last key set, the editor started.
  rightClick(b, "Open in Registry Editor");
  ASSERT_FALSE(shell.calls.empty());
  EXPECT_EQ("regedit.exe", shell.calls.back().target);
  EXPECT_EQ("Computer\\HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\b.exe",
            Trim(form().module1.getstr(kCurrentUser, kRegeditKey, kRegeditLastKey)));

  // The menu key and Shift+F10 open the selected node's menu.
  SetFocus(tree);
  person.Arm(window.Handle(), "Invert selection");
  PressKey(VK_APPS);
  PumpFor(400);
  EXPECT_TRUE(person.clicked);
  EXPECT_EQ("NoneReg", Node(b).image);
  EXPECT_EQ("SomeReg", Node("SL").image);
  person.Arm(window.Handle(), "Select all");
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(tree, WM_SYSKEYDOWN, VK_F10, 1);
  PostMessageA(tree, WM_SYSKEYUP, VK_F10, 1 | (3u << 30));
  PumpFor(400);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_TRUE(person.clicked);
  EXPECT_EQ("AllReg", Node(b).image);
  EXPECT_EQ("AllReg", Node("SL").image);

  // Sort by path: the section's problems A to Z in the control as in the
  // model. The scan found them in that order, so the first is shown as one
  // that sorts last, and given its text back afterwards.
  const std::string bText = Node(b).text;
  Node(b).text = "Z:\\sorts last.exe";
  window.TreeChanged();
  rightClick("SL", "Sort by path");
  ASSERT_EQ(c, Node("SL").Children()[0]->key);
  auto controlText = [&](HTREEITEM item) {
    char text[512] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &tv);
    return std::string(text);
  };
  HTREEITEM firstShown = TreeView_GetChild(tree, window.TreeItemOf(&Node("SL")));
  EXPECT_EQ(Node(c).text, controlText(firstShown));
  EXPECT_EQ("Z:\\sorts last.exe", controlText(TreeView_GetNextSibling(tree, firstShown)));
  Node(b).text = bText;
  window.TreeChanged();

  // Exclude: the problem leaves the results and the list keeps it.
  rightClick(c, "Exclude");
  EXPECT_EQ(nullptr, form().tvwTree.Find(c));
  EXPECT_EQ(1u, Node("SL").ChildCount());
  EXPECT_EQ(form().tvwTree.Count(), static_cast<std::size_t>(TreeView_GetCount(tree)));
  ASSERT_EQ(1u, form().exclusions.Entries().size());
  EXPECT_EQ("HKEY_LOCAL_MACHINE,/SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\c.exe#((Default))",
            form().exclusions.Entries()[0]);

  // A section node offers the selection only.
  rightClick("SL", "Select none");
  EXPECT_EQ((std::vector<std::string>{"Select all", "Select none", "Invert selection", "Sort by path"}), person.offered);
  EXPECT_EQ("NoneReg", Node(b).image);
  EXPECT_EQ("", form().controls.Text(ctl::txtDetails));

  // In German: the menu's longer captions and the pane's labels.
  const std::string ref = folder_->Root() + "\\Ref";
  folder_->MakeFolder(ref);
  std::filesystem::copy_file(test::SourceDir() + "\\resources\\Ref\\Deutsch.ini", folder_->Host(ref + "\\Deutsch.ini"));
  form().settings.Write(kLocalMachine, kPathKey, "RefFile", ref);
  form().settings.Write(kCurrentUser, kLanguageKey, "default", "Deutsch");
  form().SetAllTxt();
  PumpFor(100);
  rightClick(b, u8"Details kopieren", "results_context_menu_de");
  EXPECT_EQ(u8"Im Registrierungs-Editor öffnen", person.offered.at(0));
  EXPECT_EQ(0u, form().controls.Text(ctl::txtDetails).find("Bereich: ")) << form().controls.Text(ctl::txtDetails);
  EXPECT_NE(std::string::npos, form().controls.Text(ctl::txtDetails).find(u8"Geprüfter Pfad: "));
  Screenshot(window.Handle(), "results_details_de");
  // The German captions fit their buttons: the face (picture and text) and
  // the button's frame inside its width.
  auto expectFits = [&](std::initializer_list<const char*> buttons) {
    for (const char* name : buttons) {
      HWND button = window.ControlWindow(name);
      BITMAP face{};
      ASSERT_TRUE(GetObjectA(ButtonFaceOf(button), sizeof face, &face)) << name;
      RECT r{};
      GetClientRect(button, &r);
      EXPECT_LE(face.bmWidth + 2 * GetSystemMetrics(SM_CXEDGE) + 4, r.right) << name << " " << WindowText(button);
    }
  };
  expectFits({ctl::cmdBackUp, ctl::nxt, ctl::ext});
  ClickButton(window, ctl::ext);
  PumpFor(150);
  form().module1.EnsureFolderPath(form().settings.BackupFolder());
  std::ofstream(form().settings.BackupFolder() + "\\Vor dem Aufraeumen.bak", std::ios::binary) << "x";
  ClickButton(window, ctl::BackupBtn);
  PumpFor(200);
  ASSERT_TRUE(window.Showing(ctl::cmdRestore));
  expectFits({ctl::cmdExport, ctl::cmdRestore, ctl::cmdCleanBackUp, ctl::cmdCancel});
  Screenshot(window.Handle(), "backup_manager_de");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowScanTest, TheWindowGrowsAndKeepsItsPlaceForTheNextStart) {
  HWND w = window.Handle();
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_MAXIMIZEBOX);
  RECT designed{};
  GetWindowRect(w, &designed);
  const RECT help = window.ClientRectOf(ctl::hlpBtn), scan = window.ClientRectOf(ctl::ScanBtn);
  // Smaller than designed is refused.
  SetWindowPos(w, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  PumpFor(100);
  RECT now{};
  GetWindowRect(w, &now);
  EXPECT_EQ(designed.right - designed.left, now.right - now.left);
  EXPECT_EQ(designed.bottom - designed.top, now.bottom - now.top);

  // While the scan runs the title shows how far it is; the yield before the
  // second section comes after the first one's progress.
  MouseClick(window.ControlWindow(ctl::tvwTree), NodePoint("DD", true));
  PumpFor(150);
  std::string titleDuring;
  pump.When([&] { return form().controls.Get(ctl::pgScanSystem).value > 0; },
            [&] { titleDuring = WindowText(w); });
  ClickButton(window, ctl::ScanBtn);
  PumpFor(300);
  ASSERT_TRUE(form().scanFinished);
  const std::size_t percent = titleDuring.find("% - Hivewright");
  ASSERT_NE(std::string::npos, percent) << titleDuring;
  const int shown = std::atoi(titleDuring.substr(0, percent).c_str());
  EXPECT_TRUE(shown > 0 && shown <= 100) << titleDuring;
  EXPECT_EQ("Hivewright", WindowText(w));
  // At each size the left column and the first page's buttons keep their
  // places; the results tree and the pane take the width, the tree the
  // height; the command buttons keep their distance from the bottom right.
  struct Size {
    int width, height;
    const char* shot;
  };
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT last{};
  for (const Size& size : {Size{800, 600, "results_800x600"}, Size{1600, 1000, "results_1600x1000"}}) {
    SCOPED_TRACE(size.shot);
    SetWindowPos(w, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER);
    PumpFor(150);
    RECT client{};
    GetClientRect(w, &client);
    const RECT tree = window.ClientRectOf(ctl::tvwTree), pane = window.ClientRectOf(ctl::txtDetails);
    const RECT ext = window.ClientRectOf(ctl::ext), area = window.ClientRectOf(ctl::mainArea);
    const RECT helpNow = window.ClientRectOf(ctl::hlpBtn);
    EXPECT_TRUE(EqualRect(&help, &helpNow));
    EXPECT_NEAR(client.right, area.right, 1);
    EXPECT_NEAR(area.right - tree.right, MulDiv(220, dpi, 1440), 1);
    EXPECT_EQ(tree.right, pane.right);
    EXPECT_LT(tree.bottom, pane.top);
    EXPECT_LT(pane.bottom, ext.top);
    if (last.right > 0) {
      EXPECT_GT(tree.bottom - tree.top, last.bottom - last.top);
      EXPECT_GT(ext.left, last.left);
    }
    last = RECT{ext.left, tree.top, ext.right, tree.bottom};
    Screenshot(w, size.shot);
  }
  ClickButton(window, ctl::ext);
  PumpFor(150);
  const RECT scanNow = window.ClientRectOf(ctl::ScanBtn);
  EXPECT_TRUE(EqualRect(&scan, &scanNow));
  Screenshot(w, "first_page_1600x1000");
  ClickButton(window, ctl::BackupBtn);
  PumpFor(200);
  const RECT list = window.ClientRectOf(ctl::ListVW1), ok = window.ClientRectOf(ctl::cmdCancel);
  EXPECT_GT(list.right - list.left, 1000);
  EXPECT_LT(list.bottom, ok.top);
  // A click on a column's header sorts by it; the long name shows whole.
  const std::string backups = form().settings.BackupFolder();
  const std::string longName = "Before removing the old printer drivers and the trial programs of last spring";
  for (const auto& [name, bytes] : {std::pair{longName, 5000}, std::pair{std::string("small"), 10}})
    std::ofstream(backups + "\\" + name + ".bak", std::ios::binary) << std::string(static_cast<std::size_t>(bytes), 'z');
  form().ListBackups();
  PumpFor(100);
  HWND listView = window.ControlWindow(ctl::ListVW1);
  auto firstRow = [&] {
    char text[256] = {};
    ListView_GetItemText(listView, 0, 0, text, sizeof text);
    return std::string(text);
  };
  for (const char* expected : {"small", longName.c_str()}) {
    RECT sizeHeader{};
    Header_GetItemRect(ListView_GetHeader(listView), 2, &sizeHeader);
    MouseClick(ListView_GetHeader(listView), POINT{(sizeHeader.left + sizeHeader.right) / 2, sizeHeader.bottom / 2});
    PumpFor(200);
    EXPECT_EQ(expected, firstRow());
  }
  HDC listDc = GetDC(listView);
  SIZE longExtent{};
  HGDIOBJ oldFont = SelectObject(listDc, reinterpret_cast<HGDIOBJ>(SendMessageA(listView, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32A(listDc, longName.c_str(), static_cast<int>(longName.size()), &longExtent);
  SelectObject(listDc, oldFont);
  ReleaseDC(listView, listDc);
  EXPECT_GT(ListView_GetColumnWidth(listView, 0), longExtent.cx + 20);  // no horizontal scrolling needed
  Screenshot(w, "backup_manager_1600x1000");

  // Maximised and closed: the next start comes back maximised at that place;
  // a place on no screen is not taken.
  SetWindowPos(w, nullptr, 40, 30, 900, 700, SWP_NOZORDER);
  ShowWindow(w, SW_MAXIMIZE);
  PumpFor(150);
  EXPECT_TRUE(IsZoomed(w));
  DestroyWindow(w);
  PumpFor(50);
  EXPECT_EQ("40,30,900,700,max", Trim(form().module1.getstr(kCurrentUser, kWindowKey, kPlacementValue)));
  {
    Form1Window next(platform_);
    ASSERT_TRUE(next.Create(GetModuleHandleA(nullptr)));
    next.Form().Form_Load();
    next.Show();
    PumpFor(100);
    EXPECT_TRUE(IsZoomed(next.Handle()));
    ShowWindow(next.Handle(), SW_RESTORE);
    GetWindowRect(next.Handle(), &now);
    EXPECT_EQ(40, now.left);
    EXPECT_EQ(900, now.right - now.left);
  }
  form().settings.Write(kCurrentUser, kWindowKey, kPlacementValue, "30000,30000,900,700,normal");
  Form1Window lost(platform_);
  ASSERT_TRUE(lost.Create(GetModuleHandleA(nullptr)));
  lost.Form().Form_Load();
  GetWindowRect(lost.Handle(), &now);
  EXPECT_LT(now.left, 30000);
  EXPECT_EQ(designed.right - designed.left, now.right - now.left);
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace hw
