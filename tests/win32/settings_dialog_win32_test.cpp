// The real settings dialog under Wine, in German: its pages, its clicks
// reaching the logic, its faces, its scaling and its keyboard.
#include "ui/win32/settings_dialog_win32.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "checks/exclusions.h"
#include "registry/settings.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "support/window_driver_win32.h"
#include "ui/form1.h"
#include "ui/win32/button_face_win32.h"

namespace hw {
namespace {

using test::PumpFor;
using test::Screenshot;
using test::WindowText;

POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string ref = tp.Root() + "\\Lang";
    tp.Folder().MakeFolder(ref);
    for (const std::string name : {"English.ini", "Deutsch.ini"})
      tp.Folder().WriteFile(ref + "\\" + name, test::ReadSourceFile("/resources/Ref/" + name));
    Settings(form.module1).Write(kLocalMachine, kPathKey, "RefFile", ref);
    Settings(form.module1).Write(kCurrentUser, kLanguageKey, "default", "Deutsch");
    form.Form_Load();
  }
  void Open(SettingsDialogWindow& dlg) {
    ASSERT_TRUE(dlg.Create(nullptr));
    SetWindowPos(dlg.Handle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(dlg.Handle(), SW_SHOW);
    SetForegroundWindow(dlg.Handle());
    PumpFor(200);
  }
  void ClickTab(SettingsDialogWindow& dlg, int index) {
    HWND tab = dlg.Control(cfg::TabStrip1);
    RECT r{};
    SendMessageA(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index - 1), reinterpret_cast<LPARAM>(&r));
    RealClickAt(tab, r);
  }
  bool Shows(SettingsDialogWindow& dlg, const char* name) { return IsWindowVisible(dlg.Control(name)) != 0; }
  /// What a click on the control tells the dialog.
  void Command(SettingsDialogWindow& dlg, const char* name) {
    HWND c = dlg.Control(name);
    SendMessageA(dlg.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED), reinterpret_cast<LPARAM>(c));
  }
  void RealClickAt(HWND control, const RECT& r) {
    test::RealClick(control, Middle(r));
    PumpFor(200);
  }

  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
};

TEST_F(SettingsWindowTest, ThePagesShowTheLogicRealClicksReachItAndOkSaves) {
  // The exclusion list holds a location and a long path; the scanner's own
  // copy must follow a removal too.
  const std::string location = Exclusions::LocationText(kCurrentUser, "Software\\Gone\\Tool", "Path");
  const std::string longPath =
      "C:\\Program Files\\A Vendor With A Long Name\\Its Product\\Version 12\\bin\\x64\\helper-service.exe";
  Exclusions earlier;
  ASSERT_TRUE(earlier.Add(form.module1, location));
  ASSERT_TRUE(earlier.Add(form.module1, longPath));
  form.exclusions.Load(form.module1);
  HBITMAP okFace = nullptr;
  {
    SettingsDialogWindow dlg(form);
    Open(dlg);
    EXPECT_EQ("Einstellungen anpassen", WindowText(dlg.Handle()));
    EXPECT_EQ(2, SendMessageA(dlg.Control(cfg::cboLanguage), CB_GETCOUNT, 0, 0));
    EXPECT_EQ("Deutsch", WindowText(dlg.Control(cfg::cboLanguage)));
    Screenshot(dlg.Handle(), "settings_options_de");
    ClickTab(dlg, 2);
    EXPECT_FALSE(Shows(dlg, cfg::chkStartUp));
    EXPECT_EQ(tp.ProgramFolder() + "\\Log", WindowText(dlg.Control(cfg::txtLogFilePath)));
    ClickTab(dlg, 3);
    EXPECT_TRUE(Shows(dlg, cfg::lblCopyRightText));
    EXPECT_FALSE(Shows(dlg, cfg::txtLogFilePath));
    Screenshot(dlg.Handle(), "settings_about_de");

    // Remove acts on the selected entry only, then selects the next.
    HWND list = dlg.Control(cfg::lstExclusions), remove = dlg.Control(cfg::cmdRemoveExclusion);
    ClickTab(dlg, 4);
    ASSERT_TRUE(IsWindowVisible(list));
    EXPECT_EQ("Entfernen", WindowText(remove));
    EXPECT_FALSE(IsWindowEnabled(remove));
    Command(dlg, cfg::cmdRemoveExclusion);
    EXPECT_EQ(2, SendMessageA(list, LB_GETCOUNT, 0, 0)) << "removed with nothing selected";
    Screenshot(dlg.Handle(), "settings_exclusions_de");
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    RealClickAt(list, r);
    EXPECT_EQ(0, SendMessageA(list, LB_GETCURSEL, 0, 0));
    GetClientRect(remove, &r);
    RealClickAt(remove, r);
    EXPECT_EQ(1, SendMessageA(list, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageA(list, LB_GETCURSEL, 0, 0));
    EXPECT_FALSE(form.exclusions.Contains(location));
    EXPECT_TRUE(form.exclusions.Contains(longPath));
    Exclusions later;
    later.Load(form.module1);  // what the registry holds now
    EXPECT_EQ(std::vector<std::string>{longPath}, later.Entries());

    // A colour change gives new faces and frees the old ones.
    const HBITMAP firstOk = ButtonFaceOf(dlg.Control(cfg::cmdOk));
    EXPECT_NE(0, GetWindowLongA(dlg.Control(cfg::cmdOk), GWL_EXSTYLE) & WS_EX_RTLREADING);
    SendMessageA(dlg.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    okFace = ButtonFaceOf(dlg.Control(cfg::cmdOk));
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(okFace)));
    EXPECT_EQ(0, GetObjectType(firstOk));

    ClickTab(dlg, 1);
    SendMessageA(dlg.Control(cfg::chkAutoBackUp), BM_SETCHECK, BST_CHECKED, 0);
    Command(dlg, cfg::chkAutoBackUp);
    EXPECT_EQ(1, dlg.Logic().controls.Get(cfg::chkAutoBackUp).value);
    SetWindowTextA(dlg.Control(cfg::txtSoundFilePath), "C:\\Klang");
    EXPECT_EQ("C:\\Klang", dlg.Logic().controls.Text(cfg::txtSoundFilePath));
    Command(dlg, cfg::cmdOk);
    EXPECT_TRUE(dlg.Logic().unloaded);
    EXPECT_FALSE(IsWindowVisible(dlg.Handle()));
  }
  EXPECT_EQ(0, GetObjectType(okFace));
  EXPECT_EQ("1", form.module1.getstr(kCurrentUser, kOptionsKey, "AutoBackup"));
  EXPECT_EQ("C:\\Klang", form.module1.getstr(kLocalMachine, kPathKey, "SoundFile"));
  EXPECT_EQ("Deutsch", form.module1.getstr(kCurrentUser, kLanguageKey, "default"));
  earlier.Remove(form.module1, longPath);
}

TEST_F(SettingsWindowTest, TheLayoutAndTheFontScaleWithTheDotsPerInch) {
  struct Laid {
    RECT box, ok;
    LONG fontHeight;
  };
  auto lay = [&](int dpi) {
    SettingsDialogWindow dlg(form);
    dlg.dpi = dpi;
    Open(dlg);
    ClickTab(dlg, 2);
    Laid l{};
    for (auto [name, rect] : {std::pair{cfg::txtLogFilePath, &l.box}, std::pair{cfg::cmdOk, &l.ok}}) {
      GetWindowRect(dlg.Control(name), rect);
      MapWindowPoints(nullptr, dlg.Handle(), reinterpret_cast<POINT*>(rect), 2);
    }
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dlg.Control(cfg::txtLogFilePath), WM_GETFONT, 0, 0)), sizeof lf,
               &lf);
    l.fontHeight = std::abs(lf.lfHeight);
    Screenshot(dlg.Handle(), "settings_paths_de_" + std::to_string(dpi) + "dpi");
    return l;
  };
  const Laid at96 = lay(96), at144 = lay(144);
  EXPECT_NEAR((at96.box.right - at96.box.left) * 3 / 2, at144.box.right - at144.box.left, 1);
  EXPECT_NEAR(at96.box.top * 3 / 2, at144.box.top, 1);
  EXPECT_NEAR(at96.ok.left * 3 / 2, at144.ok.left, 2);
  EXPECT_NEAR(at96.fontHeight * 3 / 2, at144.fontHeight, 1);
}

/// What a person does in the modal dialog, one step a timer tick.
std::vector<std::function<void()>> g_steps;
void CALLBACK NextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_steps.empty()) return (void)KillTimer(nullptr, timer);
  auto step = std::move(g_steps.front());
  g_steps.erase(g_steps.begin());
  step();
}

void PostKey(UINT vk, std::initializer_list<int> mods) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (int m : {VK_CONTROL, VK_SHIFT}) state[m] = 0;
  for (int m : mods) state[m] = 0x80;
  SetKeyboardState(state);
  PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
}

TEST_F(SettingsWindowTest, TabReachesThePageStripAndCtrlTabTurnsThePages) {
  SettingsDialogWindow dlg(form);
  ASSERT_TRUE(dlg.Create(nullptr));
  HWND strip = dlg.Control(cfg::TabStrip1);
  bool reached = false;
  std::vector<int> pages;
  g_steps.push_back([&] { SetFocus(dlg.Control(cfg::cmdOk)); });
  for (int i = 0; i < 10; ++i)
    g_steps.push_back([&] {
      reached = reached || GetFocus() == strip;
      if (!reached) PostKey(VK_TAB, {});
    });
  g_steps.push_back([&] { PostKey(VK_TAB, {VK_CONTROL}); });
  for (int i = 0; i < 3; ++i)
    g_steps.push_back([&, i] {
      pages.push_back(static_cast<int>(SendMessageA(strip, TCM_GETCURSEL, 0, 0)));
      if (i == 0) pages.push_back(IsWindowVisible(dlg.Control(cfg::txtLogFilePath)) ? 1 : 0);
      if (i < 2) return PostKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
      PostKey(VK_SHIFT, {});
      PostMessageA(dlg.Handle(), WM_CLOSE, 0, 0);
    });
  SetTimer(nullptr, 0, 60, &NextStep);
  dlg.RunModal();
  EXPECT_TRUE(reached);
  // Options -> Paths (shown) -> Options -> Exclusions, round the end.
  EXPECT_EQ((std::vector<int>{1, 1, 0, 3}), pages);
}

}  // namespace
}  // namespace hw
