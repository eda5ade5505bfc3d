// The real main window under Wine: each handler reached once through real
// clicks and keys, and the window showing what the logic did.
#include "support/form1_window_fixture_win32.h"

#include <algorithm>
#include <fstream>

#include "platform/vb_text.h"
#include "support/registry_builder.h"
#include "support/shortcut_maker.h"
#include "ui/results_page.h"
#include "ui/startup.h"
#include "ui/win32/button_face_win32.h"
#include "ui/win32/splash_win32.h"

namespace hw {
namespace {

using namespace test;
using Form1WindowTest = Form1WindowFixture;
const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

bool Has(const std::vector<std::string>& v, const std::string& x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}
bool Overlap(RECT a, RECT b) {
  RECT both{};
  return IntersectRect(&both, &a, &b) != 0;
}
int Width(const RECT& r) { return r.right - r.left; }

TEST_F(Form1WindowTest, TheFirstPageShowsTheLogicAndTakesClicksAndKeys) {
  Load();
  HWND w = window.Handle();
  EXPECT_EQ("Hivewright", WindowText(w));
  for (const char* hidden : {ctl::secondFram, ctl::fraBackUp, ctl::nxt}) EXPECT_FALSE(IsWindowVisible(Control(hidden)));
  char panel[256] = {};
  SendMessageA(FindWindowExA(w, nullptr, STATUSCLASSNAMEA, nullptr), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(panel));
  EXPECT_STREQ("  Hivewright: Version 1.0 (20020225)", panel);
  EXPECT_TRUE(TreeMirrorsModel());
  const UINT boldOpen = TVIS_BOLD | TVIS_EXPANDED;
  EXPECT_EQ(boldOpen, TreeView_GetItemState(Control(ctl::tvwTree), TreeView_GetRoot(Control(ctl::tvwTree)), boldOpen));
  // Nothing of the left column or the first page is cut off or lies over another control.
  const std::vector<const char*> firstPage = {
      ctl::emblemImg, ctl::HivewrightLB, ctl::hlpBtn,    ctl::SuprBtn,       ctl::lblVersion,      ctl::CopyrightLb,
      ctl::tvwTree,   ctl::ScanBtn,      ctl::BackupBtn, ctl::ConfBtn,       ctl::ScanBtnDescLb,   ctl::BackupBtnDescLb,
      ctl::ConfBtnDescLb};
  RECT client{};
  GetClientRect(w, &client);
  for (std::size_t i = 0; i < firstPage.size(); ++i) {
    RECT ra = window.ClientRectOf(firstPage[i]), inside{};
    EXPECT_TRUE(IntersectRect(&inside, &ra, &client) && EqualRect(&inside, &ra)) << firstPage[i] << " is cut off";
    for (std::size_t j = i + 1; j < firstPage.size(); ++j)
      EXPECT_FALSE(Overlap(ra, window.ClientRectOf(firstPage[j]))) << firstPage[i] << " overlaps " << firstPage[j];
  }
  Screenshot(w, "first_page");

  // Real hit tests: the picture of "Reg" ticks it and its sections, that of
  // "SL" clears the section alone, the text of "Reg" (Some) toggles it twice.
  ClickNode("Reg");
  EXPECT_EQ("AllReg", Node("SL").image);
  EXPECT_EQ(3, ImageOf("Reg"));  // "AllReg" in the tree's image list
  ClickNode("SL");
  EXPECT_EQ("SomeReg", Node("Reg").image);
  EXPECT_EQ(5, ImageOf("SL"));
  ClickNode("Reg", false);
  EXPECT_EQ("NoneReg", Node("CC").image);

  // Arrows move through the tree, Space ticks; Tab goes round the first page
  // and the left column but not the Abort button behind it, nor does Alt+B run it.
  SetActiveWindow(w);
  window.SetFocus(ctl::tvwTree);
  TreeView_SelectItem(Control(ctl::tvwTree), window.TreeItemOf(&Node("My")));
  PressKey(VK_DOWN);
  EXPECT_TRUE(Node("Reg").selected);
  PressKey(VK_SPACE);
  EXPECT_EQ("AllReg", Node("SL").image);
  std::vector<std::string> reached;
  for (int i = 0; i < 12; ++i) {
    PressKey(VK_TAB);
    reached.push_back(window.FocusedControl());
  }
  for (const char* c : {ctl::ScanBtn, ctl::BackupBtn, ctl::ConfBtn, ctl::tvwTree}) EXPECT_TRUE(Has(reached, c)) << c;
  EXPECT_FALSE(Has(reached, ctl::ext));
  PressAlt('b');
  EXPECT_EQ("AllReg", Node("Reg").image) << "the tree was rebuilt by the hidden Abort";

  // Support and Help open what the settings say; Help hands the focus on
  // into the tree, except to Support.
  Click(ctl::SuprBtn);
  Click(ctl::hlpBtn);
  ASSERT_EQ(2u, shell.calls.size());
  EXPECT_EQ(kSupportPageDefault, shell.calls[0].target);
  EXPECT_EQ(ProgramFolder() + "\\help.chm", shell.calls[1].target);
  EXPECT_EQ("main.html", shell.calls[1].topic);
  for (const auto& [to, expected] : {std::pair{ctl::SuprBtn, ctl::SuprBtn}, std::pair{ctl::ConfBtn, ctl::tvwTree}}) {
    SetFocus(Control(ctl::hlpBtn));
    PumpFor(50);
    SetFocus(Control(to));
    PumpFor(100);
    EXPECT_EQ(std::string(expected), window.FocusedControl()) << to;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowTest, AColourSchemeChangeRecolorsTheTreeAndRecomposesTheFacesAndClosingFreesThem) {
  const int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_APPWORKSPACE,
                          COLOR_3DHIGHLIGHT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
  const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
  const COLORREF dark[] = {black, white, black, white, black, white, RGB(0, 0, 128), RGB(255, 255, 0)};
  COLORREF before[8];
  for (int i = 0; i < 8; ++i) before[i] = GetSysColor(elements[i]);
  window.highContrast = true;
  SetSysColors(8, elements, dark);
  Load();
  const char* buttons[] = {ctl::ScanBtn, ctl::BackupBtn, ctl::ConfBtn, ctl::hlpBtn, ctl::SuprBtn};
  std::vector<HBITMAP> faces;
  for (const char* b : buttons) faces.push_back(ButtonFaceOf(Control(b)));
  SendMessageA(window.Handle(), WM_SYSCOLORCHANGE, 0, 0);
  PumpFor(100);
  EXPECT_EQ(black, TreeView_GetBkColor(Control(ctl::tvwTree)));
  EXPECT_EQ(white, TreeView_GetTextColor(Control(ctl::tvwTree)));
  Screenshot(window.Handle(), "high_contrast");
  RECT r = window.ClientRectOf(ctl::tvwTree);
  HDC dc = GetDC(window.Handle());
  const COLORREF below = GetPixel(dc, r.left + 40, r.bottom - 30);  // below the last node
  ReleaseDC(window.Handle(), dc);
  SetSysColors(8, elements, before);
  EXPECT_EQ(black, below);
  // A new face per button, and the one before is gone.
  for (std::size_t i = 0; i < faces.size(); ++i) {
    EXPECT_EQ(0u, GetObjectType(faces[i])) << buttons[i];
    faces[i] = ButtonFaceOf(Control(buttons[i]));
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(faces[i]))) << buttons[i];
  }
  DestroyWindow(window.Handle());
  PumpFor(50);
  for (std::size_t i = 0; i < faces.size(); ++i) EXPECT_EQ(0u, GetObjectType(faces[i])) << buttons[i];
}

TEST_F(Form1WindowTest, TheSplashShowsThenTheWholeTreeIsTickedAlsoWhenItIsClosed) {
  // Left to its timer; a close message; Alt+F4 as the keyboard sends it.
  const std::pair<UINT, WPARAM> closes[] = {{0, 0}, {WM_CLOSE, 0}, {WM_SYSKEYDOWN, VK_F4}};
  for (const auto& [message, key] : closes) {
    SCOPED_TRACE(message);
    window.Hide();
    SplashWindow splash(window, message ? 60000 : 300);
    Startup startup(form(), splash);
    splash.SetStartup(startup);
    bool mainWaited = false;
    splash.onShown = [&, message = message, key = key](HWND h) {
      mainWaited = !IsWindowVisible(window.Handle());
      if (!message) Screenshot(h, "splash");
      if (message) PostMessageA(h, message, key, message == WM_SYSKEYDOWN ? (1 << 29) | (0x3E << 16) | 1 : 0);
    };
    // Should the splash stay, this ends its loop instead of hanging the test.
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 30000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); });
    startup.Main("");
    KillTimer(nullptr, watchdog);
    EXPECT_EQ(-1, PumpUntilQuit(50)) << "the splash stayed until the watchdog";
    EXPECT_TRUE(mainWaited);
    EXPECT_TRUE(window.Showing(ctl::ScanBtn));
    EXPECT_FALSE(startup.StartupScanMode);
    for (TreeNode* n : form().tvwTree.Nodes()) EXPECT_EQ("All", n->image.substr(0, 3)) << n->key;
    EXPECT_EQ(0, ImageOf("My"));  // "AllComp"
  }
}

TEST_F(Form1WindowTest, TheSettingsButtonOpensTheDialogAndAnotherLanguageRetextsTheWindow) {
  UseShippedLanguages(nullptr);
  Load();
  bool acted = false;
  WhenWindowShows(nullptr, "Custom Settings", [&](HWND dialog) {
    HWND combo = FindChild(dialog, "ComboBox"), ok = FindChild(dialog, "Button", "&OK");
    if (!combo || !ok) return;
    SendMessageA(combo, CB_SETCURSEL, SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("Deutsch")), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), LPARAM(combo));
    PostMessageA(ok, BM_CLICK, 0, 0);
    acted = true;
  });
  Click(ctl::ConfBtn, 1500);
  ASSERT_TRUE(acted);
  EXPECT_EQ("Deutsch", form().settings.Language());
  EXPECT_EQ("Arbeitsplatz", Node("My").text);
  EXPECT_EQ(u8"Prüfen", WindowText(Control(ctl::ScanBtn)));  // read from the file's Windows-1252
  Screenshot(window.Handle(), "first_page_de");
}

TEST(Hivewright, ASecondInstanceShowsTheFirstAndEndsAndClosingEndsTheFirstWithStatus0) {
  StartedProgram first("");
  HWND shown = first.MainWindow(20000);
  ASSERT_NE(nullptr, shown) << "the first instance's window after its splash";
  ShowWindow(shown, SW_MINIMIZE);
  for (const char* arguments : {"", "/S"}) EXPECT_EQ(0, StartedProgram(arguments).EndedWith(5000)) << arguments;
  EXPECT_FALSE(IsIconic(shown)) << "restored by the start by hand";
  EXPECT_EQ(-1, first.EndedWith(0));
  PostMessageA(shown, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, first.EndedWith(10000));
}

/// Three App Paths entries, two of them naming missing programs; the
/// Software Locations section ticked by a click.
class Form1WindowScanTest : public Form1WindowFixture {
 protected:
  void SetUp() override {
    Form1WindowFixture::SetUp();
    const std::string root = folder_->Root();
    folder_->WriteFile(root + "\\App\\app.exe", "MZ");
    RegistryBuilder b(registry_->Api());
    for (const char* name : {"a", "b", "c"}) {
      const std::string target = *name == 'a' ? "\\App\\app.exe" : std::string("\\Missing\\") + name + ".exe";
      ASSERT_TRUE(b.String(kHkeyLocalMachine, kAppPaths + "\\" + name + ".exe", "", root + target));
    }
    Load();
    ClickNode("SL");
    ASSERT_EQ("AllReg", Node("SL").image);
  }
  bool HasValue(const std::string& app) {
    return RegistryBuilder(registry_->Api()).Has(kHkeyLocalMachine, kAppPaths + "\\" + app, "");
  }
  /// A broken shortcut on the scratch folder's drive, which counts as fixed.
  std::string BrokenShortcutOnAFixedDrive() {
    const std::string root = folder_->Root();
    EXPECT_TRUE(MakeShortcutFile(*folder_, root + "\\Links\\broken.lnk", root + "\\Gone\\x.exe"));
    system_->fixed = root[0];
    form().BuildSectionTree();
    return std::string(1, root[0]) + ":";
  }
  void BackupFile(const std::string& name, std::size_t bytes) {
    form().module1.EnsureFolderPath(form().settings.BackupFolder());
    std::ofstream(form().settings.BackupFolder() + "\\" + name + ".bak", std::ios::binary) << std::string(bytes, 'z');
  }
};

TEST_F(Form1WindowScanTest, AScanShowsItsResultsWhichARepairRemovesAndTheBackupManagerRestores) {
  form().settings.Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  bool sawScanPage = false;
  pump.At(pump.Count() + 2, [&] {
    sawScanPage = window.Showing(ctl::secondFram) && !window.Showing(ctl::firstfrm) &&
                  !IsWindowEnabled(Control(ctl::tvwTree));
    Screenshot(window.Handle(), "scan_page");
  });
  Click(ctl::ScanBtn, 300);
  EXPECT_TRUE(sawScanPage);
  ASSERT_TRUE(form().scanFinished);
  EXPECT_EQ(2u, Node("SL").ChildCount());
  EXPECT_TRUE(TreeMirrorsModel());
  for (const char* shown : {ctl::nxt, ctl::cmdBackUp, ctl::lblErrHead1}) EXPECT_TRUE(window.Showing(shown)) << shown;
  EXPECT_FALSE(window.Showing(ctl::secondFram));
  EXPECT_EQ("Return", WindowText(Control(ctl::ext)));
  EXPECT_EQ("2  Problems Detected", form().controls.Text(ctl::lblErrDetectedProb1));  // a windowless label
  EXPECT_FALSE(Overlap(window.ClientRectOf(ctl::tvwTree), window.ClientRectOf(ctl::Frame1)));
  Screenshot(window.Handle(), "results_page");

  Click(ctl::nxt, 300);
  ASSERT_EQ(1u, dialogs.messages.size());
  EXPECT_EQ(form().texts.repairDoneMessage, dialogs.messages.back().text);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_FALSE(HasValue("b.exe"));
  // The backup manager lists the automatic backup; ticked and restored, the
  // value is back and the panel closes.
  Click(ctl::BackupBtn, 300);
  HWND list = Control(ctl::ListVW1);
  ASSERT_EQ(1, ListView_GetItemCount(list));
  char name[128] = {};
  ListView_GetItemText(list, 0, 0, name, sizeof name);
  EXPECT_STREQ("Automatic Backup[1]", name);
  ListView_SetCheckState(list, 0, TRUE);
  PumpFor(50);
  Click(ctl::cmdRestore, 300);
  EXPECT_FALSE(window.Showing(ctl::fraBackUp));
  EXPECT_TRUE(HasValue("b.exe"));
}

TEST_F(Form1WindowScanTest, TheKeyboardStartsAScanAndReachesPauseAndAbortOnItsPage) {
  RegistryBuilder b(registry_->Api());
  for (int i = 0; i < 300; ++i)
    b.String(kHkeyLocalMachine, kAppPaths + "\\f" + std::to_string(i) + ".exe", "", folder_->Root() + "\\App\\app.exe");
  std::vector<std::string> reached;
  std::string paused, resumed;
  auto post = [](UINT vk, bool up = true) {
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    if (up) PostMessageA(GetFocus(), WM_KEYUP, vk, 1 | (3u << 30));
  };
  // One key a yield, as a person's presses fall between steps of the walk:
  // Tab from Help round to Pause and Abort, Space and Enter on Pause, Esc.
  const long start = pump.Count();
  pump.At(start + 2, [&] { window.SetFocus(ctl::hlpBtn); });
  for (int i = 0; i < 9; ++i)
    pump.At(start + 3 + i, [&] {
      reached.push_back(window.FocusedControl());
      post(VK_TAB);
    });
  pump.At(start + 12, [&] {
    window.SetFocus(ctl::cmdPause);
    post(VK_SPACE);
  });
  pump.At(start + 15, [&] {
    paused = WindowText(Control(ctl::cmdPause));
    post(VK_RETURN, false);
  });
  pump.At(start + 18, [&] {
    resumed = WindowText(Control(ctl::cmdPause));
    post(VK_ESCAPE, false);
  });
  // Space on the focused Scan button; its character comes after the
  // release, when the first page has gone.
  SetActiveWindow(window.Handle());
  window.SetFocus(ctl::ScanBtn);
  post(VK_SPACE);
  PumpFor(300, window.Handle());
  EXPECT_GT(pump.Count(), start + 18);
  for (const char* c : {ctl::cmdPause, ctl::ext}) EXPECT_TRUE(Has(reached, c)) << c;
  EXPECT_EQ("Resume", paused);
  EXPECT_EQ("Pause", resumed);
  EXPECT_FALSE(form().scanFinished);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_NE(std::string(ctl::ext), window.FocusedControl()) << "the focus left with the scan page";
}

/// Abort clicked or the window closed during a scan, clicked or started by
/// "/S", in a registry walk or in the shortcut search; "repair without
/// asking" is on. Where else the scan stops is the scan driver's to test.
struct StopCase {
  bool close, startup;
  const char* section;  // "drive" for the scratch folder's drive
};
class Form1WindowStopTest : public Form1WindowScanTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(Form1WindowStopTest, AbortOrCloseDuringAScanStopsItAndRepairsNothing) {
  const StopCase c = GetParam();
  form().settings.Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
  const std::string drive = BrokenShortcutOnAFixedDrive();
  const std::string section = c.section == std::string("drive") ? drive : c.section;
  bool pressed = false;
  const ScanState& scan = form().scanState;
  pump.When([&] { return scan.CurrentSection == section && scan.ProblemsFound > 0; }, [&] {
    pressed = true;
    if (c.close) PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
    else PostClickMiddle(Control(ctl::ext));
  });
  int quitCode = -1;
  if (c.startup) {
    window.Hide();
    SplashWindow splash(window, 100);
    Startup startup(form(), splash);
    splash.SetStartup(startup);
    startup.Main("/S");
    quitCode = PumpUntilQuit(300);
  } else {
    ClickNode("My");
    PostClickMiddle(Control(ctl::ScanBtn));
    quitCode = PumpUntilQuit(c.close ? 5000 : 300);
  }
  EXPECT_TRUE(pressed);
  EXPECT_FALSE(form().scanFinished);
  EXPECT_EQ(nullptr, scan.ErrLog);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(HasValue("b.exe"));
  EXPECT_TRUE(folder_->Exists(folder_->Root() + "\\Links\\broken.lnk"));
  if (c.close) {
    EXPECT_EQ(nullptr, window.Handle());
    EXPECT_EQ(0, quitCode);
    return;
  }
  // A fresh first page: the tree rebuilt and open to clicks.
  EXPECT_EQ(-1, quitCode);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_FALSE(window.Showing(ctl::nxt));
  EXPECT_TRUE(IsWindowEnabled(Control(ctl::tvwTree)));
  EXPECT_EQ("NoneReg", Node("SL").image);
  EXPECT_TRUE(TreeMirrorsModel());
}

INSTANTIATE_TEST_SUITE_P(Scans, Form1WindowStopTest,
                         ::testing::Values(StopCase{false, false, "SL"}, StopCase{false, false, "drive"},
                                           StopCase{true, false, "drive"}, StopCase{true, true, "SL"}));

TEST_F(Form1WindowScanTest, StartedWithSlashSTheSplashScansEverythingAndRepairsWithoutAsking) {
  form().settings.Write(kCurrentUser, kOptionsKey, "NoConfirmation", "1");
  form().settings.Write(kCurrentUser, kOptionsKey, "AutoBackup", "1");
  window.Hide();
  SplashWindow splash(window, 200);
  Startup startup(form(), splash);
  splash.SetStartup(startup);
  bool scanning = false;
  splash.onShown = [&](HWND) {
    pump.At(pump.Count() + 3, [&] { scanning = window.Showing(ctl::secondFram) && startup.StartupScanMode; });
  };
  startup.Main("  /s");
  EXPECT_TRUE(scanning);
  EXPECT_FALSE(startup.StartupScanMode);
  EXPECT_EQ(45.0f, form().mx);
  EXPECT_EQ(105.0f, form().my);
  ASSERT_EQ(1u, dialogs.messages.size());  // the repair's closing message; nobody was asked anything
  EXPECT_EQ(form().texts.repairDoneMessage, dialogs.messages[0].text);
  EXPECT_FALSE(HasValue("b.exe"));
  EXPECT_FALSE(HasValue("c.exe"));
  EXPECT_TRUE(HasValue("a.exe"));
  EXPECT_TRUE(folder_->Exists(ProgramFolder() + "\\backup\\Automatic Backup[1].bak"));
  EXPECT_TRUE(window.Showing(ctl::firstfrm));
}

TEST_F(Form1WindowScanTest, TheResultsShowWhyAProblemIsOneAndItsMenuActsOnItWithRealClicks) {
  Click(ctl::ScanBtn, 300);
  ASSERT_EQ(2u, Node("SL").ChildCount());
  HWND tree = Control(ctl::tvwTree);
  EXPECT_TRUE(window.Showing(ctl::txtDetails));
  EXPECT_FALSE(Overlap(window.ClientRectOf(ctl::tvwTree), window.ClientRectOf(ctl::txtDetails)));
  const std::string b = Node("SL").Children()[0]->key, c = Node("SL").Children()[1]->key;
  MenuAnswer menu;
  auto rightClick = [&](const std::string& key, const std::string& caption, const std::string& shot = "") {
    AnswerNextMenu(caption, menu, shot.empty() ? nullptr : window.Handle(), shot);
    RealClick(tree, NodePoint(key, false), true);
    PumpFor(400);
    EXPECT_TRUE(menu.clicked) << caption;
  };
  // A right click selects the problem, the pane explains it; Copy details.
  rightClick(b, "Copy details", "results_context_menu");
  EXPECT_EQ((std::vector<std::string>{"Open in Registry Editor", "Copy details", "Exclude", "Select all", "Select none",
                                      "Invert selection", "Sort by path"}),
            menu.offered);
  const std::string details = WindowText(Control(ctl::txtDetails));
  EXPECT_EQ(0u, details.find("Section: Software Locations\r\nRoot: HKEY_LOCAL_MACHINE\r\n")) << details;
  EXPECT_EQ(details, ClipboardText());
  rightClick(b, "Open in Registry Editor");
  ASSERT_FALSE(shell.calls.empty());
  EXPECT_EQ("regedit.exe", shell.calls.back().target);
  EXPECT_EQ("Computer\\HKEY_LOCAL_MACHINE\\" + kAppPaths + "\\b.exe",
            Trim(form().module1.getstr(kCurrentUser, kRegeditKey, kRegeditLastKey)));

  // The menu key and Shift+F10 open the selected node's menu.
  SetFocus(tree);
  AnswerNextMenu("Invert selection", menu);
  PressKey(VK_APPS);
  EXPECT_EQ("NoneReg", Node(b).image);
  AnswerNextMenu("Select all", menu);
  PressKey(VK_F10, {VK_SHIFT});
  EXPECT_EQ("AllReg", Node(b).image);

  // Sort by path orders the control as the model. The scan found them A to
  // Z, so the first is renamed to sort last for the while.
  const std::string bText = Node(b).text;
  Node(b).text = "Z:\\sorts last.exe";
  window.TreeChanged();
  rightClick("SL", "Sort by path");
  ASSERT_EQ(c, Node("SL").Children()[0]->key);
  EXPECT_EQ(window.TreeItemOf(&Node(c)), TreeView_GetChild(tree, window.TreeItemOf(&Node("SL"))));
  Node(b).text = bText;
  window.TreeChanged();
  // Exclude: the problem leaves the results and the list keeps it.
  rightClick(c, "Exclude");
  EXPECT_EQ(nullptr, form().tvwTree.Find(c));
  EXPECT_TRUE(TreeMirrorsModel());
  EXPECT_EQ(std::vector<std::string>{"HKEY_LOCAL_MACHINE,/" + kAppPaths + "\\c.exe#((Default))"},
            form().exclusions.Entries());
  rightClick("SL", "Select none");  // a section offers the selection only
  EXPECT_EQ((std::vector<std::string>{"Select all", "Select none", "Invert selection", "Sort by path"}), menu.offered);
  EXPECT_EQ("", WindowText(Control(ctl::txtDetails)));

  // In German: the menu's and the pane's longer texts, and the captions
  // (face with picture and text, and the frame) inside their buttons.
  UseShippedLanguages("Deutsch");
  form().SetAllTxt();
  PumpFor(100);
  rightClick(b, u8"Details kopieren", "results_context_menu_de");
  EXPECT_EQ(u8"Im Registrierungs-Editor öffnen", menu.offered.at(0));
  EXPECT_NE(std::string::npos, WindowText(Control(ctl::txtDetails)).find(u8"Geprüfter Pfad: "));
  Screenshot(window.Handle(), "results_details_de");
  auto expectFits = [&](std::initializer_list<const char*> buttons) {
    for (const char* name : buttons) {
      BITMAP face{};
      ASSERT_TRUE(GetObjectA(ButtonFaceOf(Control(name)), sizeof face, &face)) << name;
      RECT r{};
      GetClientRect(Control(name), &r);
      EXPECT_LE(face.bmWidth + 2 * GetSystemMetrics(SM_CXEDGE) + 4, r.right) << WindowText(Control(name));
    }
  };
  expectFits({ctl::cmdBackUp, ctl::nxt, ctl::ext});
  Click(ctl::ext);
  BackupFile("Vor dem Aufraeumen", 1);
  Click(ctl::BackupBtn);
  ASSERT_TRUE(window.Showing(ctl::cmdRestore));
  expectFits({ctl::cmdExport, ctl::cmdRestore, ctl::cmdCleanBackUp, ctl::cmdCancel});
  Screenshot(window.Handle(), "backup_manager_de");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Form1WindowScanTest, TheWindowGrowsAndKeepsItsPlaceForTheNextStart) {
  HWND w = window.Handle();
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_MAXIMIZEBOX);
  RECT designed{}, now{};
  GetWindowRect(w, &designed);
  const RECT help = window.ClientRectOf(ctl::hlpBtn), scan = window.ClientRectOf(ctl::ScanBtn);
  SetWindowPos(w, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);  // smaller than designed: refused
  PumpFor(100);
  GetWindowRect(w, &now);
  EXPECT_TRUE(EqualRect(&designed, &now));

  // While the scan runs the title shows how far it is.
  ClickNode("DD");
  std::string titleDuring;
  pump.When([&] { return form().controls.Get(ctl::pgScanSystem).value > 0; }, [&] { titleDuring = WindowText(w); });
  Click(ctl::ScanBtn, 300);
  ASSERT_TRUE(form().scanFinished);
  EXPECT_NE(std::string::npos, titleDuring.find("% - Hivewright")) << titleDuring;  // the figure is ProgressPercent's
  EXPECT_EQ("Hivewright", WindowText(w));
  // Growing, the left column keeps its place; the results tree takes the
  // width and the height, the pane the width, the command buttons keep
  // their distance from the bottom right.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT last{};
  for (const SIZE size : {SIZE{800, 600}, SIZE{1600, 1000}}) {
    const std::string shot = "results_" + std::to_string(size.cx) + "x" + std::to_string(size.cy);
    SCOPED_TRACE(shot);
    SetWindowPos(w, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    PumpFor(150);
    RECT client{};
    GetClientRect(w, &client);
    const RECT area = window.ClientRectOf(ctl::mainArea), tree = window.ClientRectOf(ctl::tvwTree);
    const RECT pane = window.ClientRectOf(ctl::txtDetails);
    const RECT ext = window.ClientRectOf(ctl::ext), helpNow = window.ClientRectOf(ctl::hlpBtn);
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
    Screenshot(w, shot);
  }
  // Return: the first page with a fresh tree, its buttons in place.
  Click(ctl::ext);
  EXPECT_TRUE(window.Showing(ctl::ScanBtn));
  EXPECT_EQ(0u, Node("SL").ChildCount());
  EXPECT_TRUE(TreeMirrorsModel());
  const RECT scanNow = window.ClientRectOf(ctl::ScanBtn);
  EXPECT_TRUE(EqualRect(&scan, &scanNow));
  // The backup manager: a click on a column's header sorts by it; the long
  // name shows whole.
  const std::string longName = "Before removing the old printer drivers and the trial programs of last spring";
  BackupFile(longName, 5000);
  BackupFile("small", 10);
  Click(ctl::BackupBtn);
  HWND listView = Control(ctl::ListVW1);
  RECT header{};  // the size column; the order and its reversal are the logic's
  Header_GetItemRect(ListView_GetHeader(listView), 2, &header);
  PostClick(ListView_GetHeader(listView), POINT{(header.left + header.right) / 2, header.bottom / 2});
  PumpFor(200);
  char text[256] = {};
  ListView_GetItemText(listView, 0, 0, text, sizeof text);
  EXPECT_STREQ("small", text);
  HDC listDc = GetDC(listView);
  SIZE extent{};
  HGDIOBJ oldFont = SelectObject(listDc, reinterpret_cast<HGDIOBJ>(SendMessageA(listView, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32A(listDc, longName.c_str(), static_cast<int>(longName.size()), &extent);
  SelectObject(listDc, oldFont);
  ReleaseDC(listView, listDc);
  EXPECT_GT(ListView_GetColumnWidth(listView, 0), extent.cx + 20);  // no horizontal scrolling needed
  Screenshot(w, "backup_manager_1600x1000");

  // Maximised and closed: the next start comes back maximised at that place;
  // a place on no screen is not taken.
  SetWindowPos(w, nullptr, 40, 30, 900, 700, SWP_NOZORDER);
  ShowWindow(w, SW_MAXIMIZE);
  PumpFor(150);
  DestroyWindow(w);
  PumpFor(50);
  EXPECT_EQ("40,30,900,700,max", Trim(form().module1.getstr(kCurrentUser, kWindowKey, kPlacementValue)));
  for (const char* placement : {"", "30000,30000,900,700,normal"}) {
    if (*placement) form().settings.Write(kCurrentUser, kWindowKey, kPlacementValue, placement);
    Form1Window next(platform_);
    ASSERT_TRUE(next.Create(GetModuleHandleA(nullptr)));
    next.Form().Form_Load();
    next.Show();
    PumpFor(100);
    EXPECT_EQ(!*placement, IsZoomed(next.Handle()) != 0) << placement;
    ShowWindow(next.Handle(), SW_RESTORE);
    GetWindowRect(next.Handle(), &now);
    EXPECT_EQ(*placement ? Width(designed) : 900, Width(now)) << placement;
    if (*placement) {
      EXPECT_LT(now.left, 30000);
    } else {
      EXPECT_EQ(40, now.left);
    }
  }
  DropQuitMessages();
}

}  // namespace
}  // namespace hw
