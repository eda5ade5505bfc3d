#include "ui/win32/settings_dialog_win32.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <vector>
#include <fstream>
#include <sstream>

#include "checks/exclusions.h"
#include "registry/settings.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "ui/form1.h"
#include "ui/win32/button_face_win32.h"
#include "ui/win32/screenshot_win32.h"

namespace hw {
namespace {

void PumpFor(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

std::string Text(HWND hwnd) {
  char buf[512] = {};
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

std::string Shot(HWND hwnd, const std::string& name) {
  const std::string dir = test::BuildDir() + "\\screenshots";
  std::filesystem::create_directories(dir);
  const std::string png = dir + "\\" + name;
  EXPECT_TRUE(SaveWindowPng(hwnd, png)) << png;
  return png;
}

/// A real mouse press and release at a point of a control's client area.
void RealClick(HWND control, POINT at) {
  ClientToScreen(control, &at);
  SetCursorPos(at.x, at.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  PumpFor(200);
}

POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string ref = tp.Root() + "\\Lang";
    tp.Folder().MakeFolder(ref);
    tp.Folder().WriteFile(ref + "\\English.ini", test::ReadSourceFile("/resources/Ref/English.ini"));
    tp.Folder().WriteFile(ref + "\\Deutsch.ini", test::ReadSourceFile("/resources/Ref/Deutsch.ini"));
    Settings(form.module1).Write(kLocalMachine, kPathKey, "RefFile", ref);
    Settings(form.module1).Write(kCurrentUser, kLanguageKey, "default", "Deutsch");
    form.Form_Load();
  }
  void ClickTab(SettingsDialogWindow& dlg, int index) {
    HWND tab = dlg.Control(cfg::TabStrip1);
    SendMessageA(tab, TCM_SETCURSEL, static_cast<WPARAM>(index - 1), 0);
    NMHDR nm{tab, static_cast<UINT_PTR>(GetDlgCtrlID(tab)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(dlg.Handle(), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    PumpFor(150);
  }
  void Click(SettingsDialogWindow& dlg, const char* name) {
    HWND c = dlg.Control(name);
    SendMessageA(dlg.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED), reinterpret_cast<LPARAM>(c));
  }

  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
};

TEST_F(SettingsWindowTest, ThreePagesInGermanAsScreenshots) {
  SettingsDialogWindow dlg(form);
  ASSERT_TRUE(dlg.Create(nullptr));
  SetWindowPos(dlg.Handle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(dlg.Handle(), SW_SHOW);
  PumpFor(300);

  EXPECT_EQ("Einstellungen anpassen", Text(dlg.Handle()));
  EXPECT_EQ("&Abbrechen", Text(dlg.Control(cfg::cmdCancel)));
  EXPECT_TRUE(IsWindowVisible(dlg.Control(cfg::chkStartUp)));
  EXPECT_FALSE(IsWindowVisible(dlg.Control(cfg::txtLogFilePath)));
  EXPECT_EQ(static_cast<LRESULT>(1), SendMessageA(dlg.Control(cfg::cboLanguage), CB_GETCOUNT, 0, 0) - 1);
  char chosen[64] = {};
  GetWindowTextA(dlg.Control(cfg::cboLanguage), chosen, sizeof chosen);
  EXPECT_STREQ("Deutsch", chosen);
  EXPECT_TRUE(ButtonFaceOf(dlg.Control(cfg::cmdOk)));
  EXPECT_TRUE(ButtonFaceOf(dlg.Control(cfg::cmdCancel)));
  Shot(dlg.Handle(), "settings_options_de.png");

  ClickTab(dlg, 2);
  EXPECT_TRUE(IsWindowVisible(dlg.Control(cfg::txtLogFilePath)));
  EXPECT_FALSE(IsWindowVisible(dlg.Control(cfg::chkStartUp)));
  EXPECT_EQ(tp.ProgramFolder() + "\\Log", Text(dlg.Control(cfg::txtLogFilePath)));
  Shot(dlg.Handle(), "settings_paths_de.png");

  ClickTab(dlg, 3);
  EXPECT_TRUE(IsWindowVisible(dlg.Control(cfg::lblCopyRightText)));
  EXPECT_FALSE(IsWindowVisible(dlg.Control(cfg::txtLogFilePath)));
  Shot(dlg.Handle(), "settings_about_de.png");
}

TEST_F(SettingsWindowTest, TheLayoutAndTheFontScaleWithTheDotsPerInch) {
  struct Laid {
    RECT box, ok;
    LONG fontHeight;
  };
  auto lay = [&](int dpi, const char* shot) {
    SettingsDialogWindow dlg(form);
    dlg.dpi = dpi;
    EXPECT_TRUE(dlg.Create(nullptr));
    SetWindowPos(dlg.Handle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(dlg.Handle(), SW_SHOW);
    ClickTab(dlg, 2);
    Laid l{};
    for (auto [name, rect] : {std::pair{cfg::txtLogFilePath, &l.box}, std::pair{cfg::cmdOk, &l.ok}}) {
      GetWindowRect(dlg.Control(name), rect);
      MapWindowPoints(nullptr, dlg.Handle(), reinterpret_cast<POINT*>(rect), 2);
    }
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dlg.Control(cfg::txtLogFilePath), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    l.fontHeight = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    Shot(dlg.Handle(), shot);
    return l;
  };
  const Laid at96 = lay(96, "settings_paths_de_96dpi.png"), at144 = lay(144, "settings_paths_de_144dpi.png");
  EXPECT_NEAR((at96.box.right - at96.box.left) * 3 / 2, at144.box.right - at144.box.left, 1);
  EXPECT_NEAR(at96.box.top * 3 / 2, at144.box.top, 1);
  EXPECT_NEAR(at96.ok.left * 3 / 2, at144.ok.left, 2);
  EXPECT_NEAR(at96.fontHeight * 3 / 2, at144.fontHeight, 1);
}

TEST_F(SettingsWindowTest, ClicksReachTheLogicAndOkSavesThroughTheWindow) {
  SettingsDialogWindow dlg(form);
  ASSERT_TRUE(dlg.Create(nullptr));
  ShowWindow(dlg.Handle(), SW_SHOW);
  PumpFor(100);
  SendMessageA(dlg.Control(cfg::chkAutoBackUp), BM_SETCHECK, BST_CHECKED, 0);
  Click(dlg, cfg::chkAutoBackUp);
  EXPECT_EQ(1, dlg.Logic().controls.Get(cfg::chkAutoBackUp).value);
  SetWindowTextA(dlg.Control(cfg::txtSoundFilePath), "C:\\Klang");
  EXPECT_EQ("C:\\Klang", dlg.Logic().controls.Text(cfg::txtSoundFilePath));
  Click(dlg, cfg::cmdOk);
  EXPECT_TRUE(dlg.Logic().unloaded);
  EXPECT_FALSE(IsWindowVisible(dlg.Handle()));
  EXPECT_EQ("1", form.module1.getstr(kCurrentUser, kOptionsKey, "AutoBackup"));
  EXPECT_EQ("C:\\Klang", form.module1.getstr(kLocalMachine, kPathKey, "SoundFile"));
  EXPECT_EQ("Deutsch", form.module1.getstr(kCurrentUser, kLanguageKey, "default"));
}

TEST_F(SettingsWindowTest, AColourChangeRecomposesTheFacesAndClosingLeavesNoBitmap) {
  HBITMAP firstOk = nullptr, firstCancel = nullptr, newOk = nullptr;
  {
    SettingsDialogWindow dlg(form);
    ASSERT_TRUE(dlg.Create(nullptr));
    firstOk = ButtonFaceOf(dlg.Control(cfg::cmdOk));
    firstCancel = ButtonFaceOf(dlg.Control(cfg::cmdCancel));
    ASSERT_TRUE(firstOk);
    ASSERT_TRUE(firstCancel);
    EXPECT_NE(0, GetWindowLongA(dlg.Control(cfg::cmdOk), GWL_EXSTYLE) & WS_EX_RTLREADING);
    SendMessageA(dlg.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    newOk = ButtonFaceOf(dlg.Control(cfg::cmdOk));
    ASSERT_TRUE(newOk);
    EXPECT_NE(firstOk, newOk);
    EXPECT_EQ(0, GetObjectType(firstOk));
    EXPECT_EQ(0, GetObjectType(firstCancel));
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(newOk)));
  }
  EXPECT_EQ(0, GetObjectType(newOk));
}

TEST_F(SettingsWindowTest, AnExclusionIsSelectedAndRemovedWithRealClicksInGermanAndEnglish) {
  for (const char* language : {"Deutsch", "English"}) {
    SCOPED_TRACE(language);
    Settings(form.module1).Write(kCurrentUser, kLanguageKey, "default", language);
    const std::string location = Exclusions::LocationText(kCurrentUser, "Software\\Gone\\Tool", "Path");
    const std::string longPath =
        "C:\\Program Files\\A Vendor With A Long Name\\Its Product\\Version 12\\bin\\x64\\helper-service.exe";
    Exclusions earlier;
    ASSERT_TRUE(earlier.Add(form.module1, location));
    ASSERT_TRUE(earlier.Add(form.module1, longPath));

    SettingsDialogWindow dlg(form);
    ASSERT_TRUE(dlg.Create(nullptr));
    SetWindowPos(dlg.Handle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(dlg.Handle(), SW_SHOW);
    SetForegroundWindow(dlg.Handle());
    PumpFor(200);
    HWND tab = dlg.Control(cfg::TabStrip1), list = dlg.Control(cfg::lstExclusions);
    HWND remove = dlg.Control(cfg::cmdRemoveExclusion);
    RECT r{};
    SendMessageA(tab, TCM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r));
    RealClick(tab, Middle(r));
    ASSERT_TRUE(IsWindowVisible(list));
    EXPECT_FALSE(IsWindowVisible(dlg.Control(cfg::chkStartUp)));
    EXPECT_EQ(std::string(language) == "Deutsch" ? "Entfernen" : "Remove", Text(remove));
    EXPECT_EQ(2, SendMessageA(list, LB_GETCOUNT, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(remove));
    Shot(dlg.Handle(), std::string("settings_exclusions_") + (language[0] == 'D' ? "de" : "en") + ".png");

    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    RealClick(list, Middle(r));
    EXPECT_EQ(0, SendMessageA(list, LB_GETCURSEL, 0, 0));
    ASSERT_TRUE(IsWindowEnabled(remove));
    GetClientRect(remove, &r);
    RealClick(remove, Middle(r));

    EXPECT_EQ(1, SendMessageA(list, LB_GETCOUNT, 0, 0));
    Exclusions later;
    later.Load(form.module1);  // what the registry holds now
    EXPECT_EQ(std::vector<std::string>{longPath}, later.Entries());
    EXPECT_TRUE(form.module1.getstr(kCurrentUser, kExclusionsKey, "1").find("Gone") == std::string::npos);
    earlier.Remove(form.module1, longPath);
  }
}

/// What a person does in the modal dialog, one step a timer tick.
std::vector<std::function<void()>> g_steps;
void CALLBACK NextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_steps.empty()) {
    KillTimer(nullptr, timer);
    return;
  }
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
  g_steps.push_back([&] {
    pages.push_back(static_cast<int>(SendMessageA(strip, TCM_GETCURSEL, 0, 0)));
    pages.push_back(IsWindowVisible(dlg.Control(cfg::txtLogFilePath)) ? 1 : 0);
    PostKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
  });
  g_steps.push_back([&] {
    pages.push_back(static_cast<int>(SendMessageA(strip, TCM_GETCURSEL, 0, 0)));
    PostKey(VK_TAB, {VK_CONTROL, VK_SHIFT});
  });
  g_steps.push_back([&] {
    pages.push_back(static_cast<int>(SendMessageA(strip, TCM_GETCURSEL, 0, 0)));
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
