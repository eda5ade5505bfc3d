#include "ui/win32/settings_dialog_win32.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/message_pump_win32.h"
#include "ui/form1.h"
#include "ui/win32/button_face_win32.h"

namespace hw {

namespace {

constexpr char kClassName[] = "HivewrightSettings";

// Layout in pixels (the design's twips at 15 per pixel, rounded).
constexpr int kTabX = 8, kTabY = 8, kTabW = 440, kTabH = 280;
constexpr int kPageX = kTabX + 12, kPageY = kTabY + 34;
constexpr int kRowH = 24, kButtonW = 96, kButtonH = 28;
constexpr int kClientW = kTabX + kTabW + 8;            // TabStrip1 + 100 twips (~7 px) each side
constexpr int kClientH = kTabY + kTabH + 8 + kButtonH + 12;  // + 500 twips for the buttons
constexpr int kFirstId = 100;

// The system's message font at 8 points for `dpi`, so text grows with the
// layout (the stock GUI font keeps its pixel size).
HFONT MakeDialogFont(int dpi) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTA lf{};
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) lf = metrics.lfMessageFont;
  else lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
  lf.lfHeight = -MulDiv(8, dpi, 72);
  lf.lfWeight = FW_NORMAL;
  return CreateFontIndirectA(&lf);
}

std::string WindowText(HWND hwnd) {
  std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

SettingsDialogWindow* g_openDialog = nullptr;

}  // namespace

SettingsDialogWindow::SettingsDialogWindow(Form1& form) : logic_(form) {}

SettingsDialogWindow::~SettingsDialogWindow() {
  if (hwnd_) {
    DeleteButtonFaces(hwnd_);
    DestroyWindow(hwnd_);
  }
  if (g_openDialog == this) g_openDialog = nullptr;
  if (font_) DeleteObject(font_);
}

HWND SettingsDialogWindow::Control(const std::string& name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

HWND SettingsDialogWindow::Make(const std::string& name, const char* cls, DWORD style, int x, int y, int w, int h,
                                const char* page) {
  const int id = kFirstId + static_cast<int>(ids_.size());
  HWND c = CreateWindowExA(0, cls, "", WS_CHILD | style, Scaled(x), Scaled(y), Scaled(w), Scaled(h), hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  controls_[name] = c;
  ids_[id] = name;
  if (page) pageOf_[name] = page;
  return c;
}

bool SettingsDialogWindow::Create(HWND owner) {
  static bool registered = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &SettingsDialogWindow::WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) != 0;
  }();
  if (!registered) return false;

  if (dpi) {
    dpi_ = *dpi;
  } else {
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
  }
  if (dpi_ <= 0) dpi_ = 96;
  font_ = MakeDialogFont(dpi_);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, Scaled(kClientW), Scaled(kClientH)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  hwnd_ = CreateWindowExA(WS_EX_DLGMODALFRAME, kClassName, "", style, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, owner, nullptr,
                          GetModuleHandleA(nullptr), this);
  if (!hwnd_) return false;

  tab_ = Make(cfg::TabStrip1, WC_TABCONTROLA, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, kTabX, kTabY, kTabW, kTabH,
              nullptr);
  for (int i = 1; i <= TabCount(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>("");
    SendMessageA(tab_, TCM_INSERTITEMA, static_cast<WPARAM>(i - 1), reinterpret_cast<LPARAM>(&item));
  }

  // The pages lie on a panel of the dialog's own colour over the tab
  // control's body, whose colour depends on the theme.
  RECT body{Scaled(kTabX), Scaled(kTabY), Scaled(kTabX + kTabW), Scaled(kTabY + kTabH)};
  SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&body));
  panel_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, body.left, body.top,
                           body.right - body.left, body.bottom - body.top, hwnd_, nullptr, GetModuleHandleA(nullptr),
                           nullptr);

  // Options page.
  const DWORD check = WS_TABSTOP | BS_AUTOCHECKBOX;
  Make(cfg::chkNoConfirmation, "BUTTON", check, kPageX, kPageY, 400, kRowH, cfg::optFrame);
  Make(cfg::chkStartUp, "BUTTON", check, kPageX, kPageY + 30, 400, kRowH, cfg::optFrame);
  Make(cfg::chkAutoBackUp, "BUTTON", check, kPageX, kPageY + 60, 400, kRowH, cfg::optFrame);
  Make(cfg::lblLanguage, "STATIC", SS_LEFT, kPageX, kPageY + 108, 120, 18, cfg::optFrame);
  Make(cfg::cboLanguage, "COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kPageX + 130, kPageY + 104, 200, 200,
       cfg::optFrame);

  // Paths page: label, box, browse button per row.
  const struct {
    const char* label;
    const char* box;
    const char* button;
  } rows[] = {{cfg::lblBackups, cfg::txtBackupFilepath, cfg::cmdBackupBrowse},
              {cfg::lblWaveFile, cfg::txtSoundFilePath, cfg::cmdWaveBrowse},
              {cfg::lblRefFiles, cfg::txtRefFilePath, cfg::cmdRefBrowse},
              {cfg::lblLogFile, cfg::txtLogFilePath, cfg::cmdLogBrowse}};
  int y = kPageY + 6;
  for (const auto& row : rows) {
    Make(row.label, "STATIC", SS_LEFT, kPageX, y + 3, 104, 18, cfg::frmPath);
    HWND box = Make(row.box, "EDIT", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kPageX + 106, y, 268, 22, cfg::frmPath);
    SendMessageA(box, EM_SETLIMITTEXT, 259, 0);
    Make(row.button, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kPageX + 380, y, 30, 22, cfg::frmPath);
    y += 44;
  }

  // About page.
  emblem_ = MakePicture("Emblem", GetSysColor(COLOR_BTNFACE));
  HWND image = Make(cfg::Image1, "STATIC", SS_BITMAP, (kClientW - 64) / 2, kPageY + 20, 64, 64, cfg::frameAbout);
  SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(emblem_.Get()));
  Make(cfg::lblCopyRightText, "STATIC", SS_CENTER, kPageX, kPageY + 110, kTabW - 24, 40, cfg::frameAbout);

  // Exclusions page: the list over the page's width, Remove under its right end.
  Make(cfg::lstExclusions, "LISTBOX", WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
       kPageX, kPageY + 4, kTabW - 24, kTabH - 92, cfg::frmExclusions);
  Make(cfg::cmdRemoveExclusion, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kPageX + kTabW - 24 - kButtonW,
       kPageY + kTabH - 80, kButtonW, kButtonH, cfg::frmExclusions);

  const int by = kTabY + kTabH + 10;
  Make(cfg::cmdOk, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kClientW - 2 * (kButtonW + 8), by, kButtonW,
       kButtonH, nullptr);
  Make(cfg::cmdCancel, "BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kClientW - (kButtonW + 8), by, kButtonW,
       kButtonH, nullptr);
  // Above the tab control and the panel, so that they are not painted over.
  SetWindowPos(panel_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (auto& [name, c] : controls_)
    if (c != tab_) SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  logic_.controls.SetObserver([this](const std::string& name, FormModel::Change what) { OnModelChange(name, what); });
  logic_.onUnload = [this] {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  };
  logic_.Form_Load();
  ApplyAll();
  g_openDialog = this;
  return true;
}

void SettingsDialogWindow::ApplyAll() {
  syncing_ = true;
  SetWindowTextA(hwnd_, logic_.controls.Text(cfg::configForm).c_str());
  for (int i = 1; i <= TabCount(); ++i) {
    std::string caption = logic_.controls.Text(cfg::TabCaption(i));
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tab_, TCM_SETITEMA, static_cast<WPARAM>(i - 1), reinterpret_cast<LPARAM>(&item));
  }
  for (auto& [name, c] : controls_) {
    if (name == cfg::TabStrip1 || name == cfg::cboLanguage || name == cfg::Image1 || name == cfg::lstExclusions)
      continue;
    SetWindowTextA(c, logic_.controls.Text(name).c_str());
  }
  for (const char* box : {cfg::chkNoConfirmation, cfg::chkStartUp, cfg::chkAutoBackUp})
    SendMessageA(Control(box), BM_SETCHECK, logic_.controls.Get(box).value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  HWND combo = Control(cfg::cboLanguage);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& language : logic_.LanguageList())
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(language.c_str()));
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(logic_.controls.Get(cfg::cboLanguage).value), 0);
  SendMessageA(tab_, TCM_SETCURSEL, static_cast<WPARAM>(logic_.selectedTab - 1), 0);
  FillExclusionList();
  syncing_ = false;
  SkinDialogButtons();
  ShowFrontPage();
}

void SettingsDialogWindow::OnModelChange(const std::string& name, FormModel::Change what) {
  if (!hwnd_ || syncing_) return;
  syncing_ = true;
  HWND c = Control(name);
  if (what == FormModel::Change::kText) {
    if (name == cfg::configForm) {
      SetWindowTextA(hwnd_, logic_.controls.Text(name).c_str());
    } else if (c && name != cfg::cboLanguage && WindowText(c) != logic_.controls.Text(name)) {
      SetWindowTextA(c, logic_.controls.Text(name).c_str());
    }
  } else if (what == FormModel::Change::kValue && c) {
    if (name == cfg::TabStrip1) {
      SendMessageA(tab_, TCM_SETCURSEL, static_cast<WPARAM>(logic_.controls.Get(name).value - 1), 0);
    } else if (name == cfg::cboLanguage) {
      SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(logic_.controls.Get(name).value), 0);
    } else if (name == cfg::lstExclusions) {
      SendMessageA(c, LB_SETCURSEL, static_cast<WPARAM>(logic_.controls.Get(name).value), 0);
    } else {
      SendMessageA(c, BM_SETCHECK, logic_.controls.Get(name).value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
  if (what == FormModel::Change::kItems && name == cfg::lstExclusions) FillExclusionList();
  if (what == FormModel::Change::kEnabled && c) EnableWindow(c, logic_.controls.Enabled(name));
  syncing_ = false;
  if (what == FormModel::Change::kVisible || what == FormModel::Change::kZOrder) ShowFrontPage();
}

// The page in front is the visible frame brought forward last; the Paths
// frame is never hidden, it only lies behind the others.
void SettingsDialogWindow::ShowFrontPage() {
  std::string front;
  unsigned long best = 0;
  for (const char* frame : {cfg::optFrame, cfg::frmPath, cfg::frameAbout, cfg::frmExclusions}) {
    const ControlState& s = logic_.controls.Get(frame);
    if (s.visible && (front.empty() || s.zOrder > best)) {
      front = frame;
      best = s.zOrder;
    }
  }
  for (auto& [name, page] : pageOf_) ShowWindow(Control(name), page == front ? SW_SHOWNA : SW_HIDE);
}

void SettingsDialogWindow::FillExclusionList() {
  HWND list = Control(cfg::lstExclusions);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  // Long paths scroll sideways rather than being cut off.
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
  LONG widest = 0;
  for (const ListItem& item : logic_.controls.Items(cfg::lstExclusions)) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
    SIZE size{};
    GetTextExtentPoint32A(dc, item.text.c_str(), static_cast<int>(item.text.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + Scaled(8)), 0);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(logic_.controls.Get(cfg::lstExclusions).value), 0);
  EnableWindow(Control(cfg::cmdRemoveExclusion), logic_.controls.Enabled(cfg::cmdRemoveExclusion));
}

void SettingsDialogWindow::SkinDialogButtons() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  cancelPicture_ = MakePicture("imgCross", face);
  okPicture_ = MakePicture("imgOk", face);
  const std::pair<const char*, HBITMAP> pairs[] = {{cfg::cmdCancel, cancelPicture_.Get()},
                                                   {cfg::cmdOk, okPicture_.Get()}};
  for (const auto& [name, picture] : pairs) {
    HWND button = Control(name);
    ApplyButtonFace(button, picture, false);
    SetWindowLongA(button, GWL_EXSTYLE, GetWindowLongA(button, GWL_EXSTYLE) | WS_EX_RTLREADING);
  }
}

void SettingsDialogWindow::CheckAndChangeApperance() {
  // The emblem is drawn over the button-face colour as well.
  emblem_ = MakePicture("Emblem", GetSysColor(COLOR_BTNFACE));
  SendMessageA(Control(cfg::Image1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(emblem_.Get()));
  SkinDialogButtons();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void SettingsDialogWindow::OnCommand(int id, int code) {
  auto it = ids_.find(id);
  if (it == ids_.end() || syncing_) return;
  const std::string& name = it->second;
  HWND c = Control(name);
  if (name == cfg::cmdOk && code == BN_CLICKED) {
    okPressed_ = true;
    logic_.cmdOk_Click();
  } else if (name == cfg::cmdCancel && code == BN_CLICKED) {
    logic_.cmdCancel_Click();
  } else if (name == cfg::cmdBackupBrowse && code == BN_CLICKED) {
    logic_.cmdBackupBrowse_Click();
  } else if (name == cfg::cmdWaveBrowse && code == BN_CLICKED) {
    logic_.cmdWaveBrowse_Click();
  } else if (name == cfg::cmdRefBrowse && code == BN_CLICKED) {
    logic_.cmdRefBrowse_Click();
  } else if (name == cfg::cmdLogBrowse && code == BN_CLICKED) {
    logic_.cmdLogBrowse_Click();
  } else if (name == cfg::cmdRemoveExclusion && code == BN_CLICKED) {
    logic_.cmdRemoveExclusion_Click();
  } else if (name == cfg::lstExclusions) {
    if (code == LBN_SELCHANGE) logic_.SelectExclusion(static_cast<int>(SendMessageA(c, LB_GETCURSEL, 0, 0)));
  } else if (code == BN_CLICKED && pageOf_[name] == cfg::optFrame && name != cfg::cboLanguage &&
             name != cfg::lblLanguage) {
    syncing_ = true;
    logic_.controls.SetValue(name, SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    syncing_ = false;
  } else if (name == cfg::cboLanguage && code == CBN_SELCHANGE) {
    logic_.SelectLanguage(static_cast<int>(SendMessageA(c, CB_GETCURSEL, 0, 0)));
  } else if (code == EN_CHANGE) {
    syncing_ = true;
    logic_.controls.SetText(name, WindowText(c));
    syncing_ = false;
  }
}

bool SettingsDialogWindow::RunModal() {
  if (!hwnd_) return false;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  okPressed_ = false;
  if (owner) {
    RECT o{}, d{};
    GetWindowRect(owner, &o);
    GetWindowRect(hwnd_, &d);
    // Centred over the main window, but never past the screen's edges (a
    // dialog taller than a low main window would lose its title bar).
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG w = d.right - d.left, h = d.bottom - d.top;
    const LONG x = std::max(work.left, std::min(o.left + ((o.right - o.left) - w) / 2, work.right - w));
    const LONG y = std::max(work.top, std::min(o.top + ((o.bottom - o.top) - h) / 2, work.bottom - h));
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EnableWindow(owner, FALSE);
  }
  ShowWindow(hwnd_, SW_SHOW);
  MSG msg;
  bool quit = false;
  while (!logic_.unloaded && hwnd_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages, wherever the focus is.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) &&
        (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
      const int count = static_cast<int>(SendMessageA(tab_, TCM_GETITEMCOUNT, 0, 0));
      const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? count - 1 : 1;
      const int next = (static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0)) + step) % count;
      SendMessageA(tab_, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
      logic_.SelectTab(next + 1);
      continue;
    }
    if (!DialogMessage(hwnd_, msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return okPressed_ && logic_.unloaded;
}

LRESULT CALLBACK SettingsDialogWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<SettingsDialogWindow*>(cs->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<SettingsDialogWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    // No C++ exception may cross into user32.
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT SettingsDialogWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL && lp == 0) {
        logic_.cmdCancel_Click();
        return 0;
      }
      if (LOWORD(wp) == IDOK && lp == 0) {
        okPressed_ = true;
        logic_.cmdOk_Click();
        return 0;
      }
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY: {
      const auto* nm = reinterpret_cast<const NMHDR*>(lp);
      if (nm->hwndFrom == tab_ && nm->code == TCN_SELCHANGE) {
        logic_.SelectTab(static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0)) + 1);
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_SYSCOLORCHANGE:
      CheckAndChangeApperance();
      break;
    case WM_CLOSE:
      logic_.cmdCancel_Click();
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

bool ShowSettingsDialog(HWND owner, Form1& form) {
  SettingsDialogWindow dialog(form);
  if (!dialog.Create(owner)) return false;
  return dialog.RunModal();
}

}  // namespace hw
