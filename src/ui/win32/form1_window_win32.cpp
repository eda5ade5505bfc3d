#include "ui/win32/form1_window_win32.h"
#include "ui/win32/wide_text_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "platform/message_pump_win32.h"
#include "platform/runtime_error.h"
#include "ui/control_names.h"
#include "ui/win32/button_face_win32.h"
#include "ui/win32/panel_gradient_win32.h"
#include "ui/win32/results_menu_win32.h"
#include "ui/scan_progress.h"
#include "ui/win32/settings_dialog_win32.h"

namespace hw {

namespace {

constexpr char kWindowClass[] = "HivewrightForm1";
constexpr char kPanelClass[] = "HivewrightPanel";
constexpr UINT_PTR kTreeSubclassId = 0x48575456;  // "HWTV"
// The help button's lost focus is handled once the focus has settled.
constexpr UINT kHelpLostFocus = WM_APP + 1;
constexpr int kFirstControlId = 100;
constexpr int kTreeIndentTwips = 150;

// Label and image flags.
constexpr unsigned kBold = 1, kCenter = 2, kRight = 4, kWrap = 8, kShadow = 16, kBig = 32, kEllipsis = 64,
                   kNotify = 128, kAccent = 256;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBandText = RGB(255, 255, 255);
constexpr COLORREF kBandShadow = RGB(0x30, 0x28, 0x18);
constexpr COLORREF kAccentText = RGB(0x1A, 0x3C, 0x78);

// The nine pictures of the tree, in image-list order.
const char* const kTreeImages[] = {"AllComp",  "SomeComp",  "NoneComp",  "AllReg",  "SomeReg",
                                   "NoneReg",  "AllDrive",  "SomeDrive", "NoneDrive"};

// The bands painted with gradients, in the order the styling paints them.
const char* const kBands[] = {ctl::scanNowPic,    ctl::BackupPic,         ctl::CustmPic,
                              ctl::Sec_scanPic,   ctl::pctErrHeading,     ctl::SummPic,
                              ctl::PerfPic,       ctl::pctBackManegerTop, ctl::pctBackupPanel};

// The buttons whose face shows a picture (the picture pairs and the
// first page's image-list buttons).
const char* const kPictureButtons[] = {ctl::SuprBtn, ctl::hlpBtn, ctl::ext, ctl::nxt, ctl::cmdBackUp,
                                       ctl::cmdPause, ctl::cmdCleanBackUp, ctl::cmdRestore, ctl::cmdExport, ctl::cmdCancel,
                                       ctl::ScanBtn, ctl::BackupBtn, ctl::ConfBtn};

HFONT MakeFont(int points, int weight, int dpi) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTA lf{};
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    lf = metrics.lfMessageFont;
  } else {
    lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
  }
  if (points > 0) lf.lfHeight = -MulDiv(points, dpi, 72);
  if (lf.lfHeight == 0) lf.lfHeight = -MulDiv(8, dpi, 72);
  lf.lfWeight = weight;
  return CreateFontIndirectA(&lf);
}

// Paints the tree's background; the lines are redrawn in the new colour by
// writing the style once without lines and once as it was.
void SetTreeViewBackColor(HWND TV, COLORREF BackColor) {
  TreeView_SetBkColor(TV, BackColor);
  const LONG treeStyle = GetWindowLongA(TV, GWL_STYLE);
  SetWindowLongA(TV, GWL_STYLE, treeStyle & ~TVS_HASLINES);
  SetWindowLongA(TV, GWL_STYLE, treeStyle);
  InvalidateRect(TV, nullptr, TRUE);
}

bool IsListColumn(const std::string& name) { return name.rfind("ListVW1.Column(", 0) == 0; }

// Keeps a DC's selected object and puts the old one back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace

Form1Window::Form1Window(Platform& platform) : form_(platform, *this) { DeclareControls(); }

Form1Window::~Form1Window() {
  form_.controls.SetObserver(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
  if (treeImages_) ImageList_Destroy(treeImages_);
  for (HFONT f : {font_, bold_, big_})
    if (f) DeleteObject(f);
}

void Form1Window::DeclareControls() {
  auto add = [this](const std::string& name, Kind kind, const std::string& parent, unsigned flags = 0) {
    byName_[name] = controls_.size();
    controls_.push_back(Control{name, kind, parent, flags});
  };
  // Left column.
  add(ctl::emblemImg, Kind::kImage, "");
  add(ctl::HivewrightLB, Kind::kLabel, "", kBig | kCenter | kAccent);
  add(ctl::hlpBtn, Kind::kButton, "", kNotify);
  add(ctl::SuprBtn, Kind::kButton, "");
  add(ctl::lblVersion, Kind::kLabel, "", kCenter);
  add(ctl::CopyrightLb, Kind::kLabel, "", kCenter | kWrap);
  add(ctl::mainArea, Kind::kArea, "");
  // The area, front to back.
  add(ctl::Sec_scanPic, Kind::kBand, ctl::mainArea);
  add(ctl::Sec_scanLb1, Kind::kLabel, ctl::Sec_scanPic, kBold | kShadow);
  add(ctl::Sec_scanLb, Kind::kLabel, ctl::Sec_scanPic, kBold);
  add(ctl::tvwTree, Kind::kTree, ctl::mainArea);
  add(ctl::txtDetails, Kind::kEdit, ctl::mainArea);
  // First page.
  add(ctl::firstfrm, Kind::kPanel, ctl::mainArea);
  struct Action {
    const char *band, *label, *shadow, *button, *description;
  };
  for (const Action& a :
       {Action{ctl::scanNowPic, ctl::ScanNowLb, ctl::ScanNowLb1, ctl::ScanBtn, ctl::ScanBtnDescLb},
        Action{ctl::BackupPic, ctl::BackupLb, ctl::BackupLb1, ctl::BackupBtn, ctl::BackupBtnDescLb},
        Action{ctl::CustmPic, ctl::CustmLb, ctl::CustmLb1, ctl::ConfBtn, ctl::ConfBtnDescLb}}) {
    add(a.band, Kind::kBand, ctl::firstfrm);
    add(a.shadow, Kind::kLabel, a.band, kBold | kShadow);
    add(a.label, Kind::kLabel, a.band, kBold);
    add(a.button, Kind::kButton, ctl::firstfrm);
    add(a.description, Kind::kLabel, ctl::firstfrm, kWrap);
  }
  add(ctl::cbullet, Kind::kImage, ctl::scanNowPic);
  // Scan page.
  add(ctl::secondFram, Kind::kPanel, ctl::mainArea);
  add(ctl::PerfPic, Kind::kBand, ctl::secondFram);
  add(ctl::PrefLb1, Kind::kLabel, ctl::PerfPic, kBold | kShadow);
  add(ctl::PrefLb, Kind::kLabel, ctl::PerfPic, kBold);
  add(ctl::Label1, Kind::kLabel, ctl::secondFram, kBold | kEllipsis);
  add(ctl::Label3, Kind::kLabel, ctl::secondFram, kEllipsis);
  add(ctl::PBarFrame, Kind::kBar, ctl::secondFram);
  add(ctl::pBarImg, Kind::kImage, ctl::PBarFrame);
  add(ctl::pgScanSystem, Kind::kProgress, ctl::secondFram);
  add(ctl::SummPic, Kind::kBand, ctl::secondFram);
  add(ctl::SummLb1, Kind::kLabel, ctl::SummPic, kBold | kShadow);
  add(ctl::SummLb, Kind::kLabel, ctl::SummPic, kBold);
  for (int i = 0; i < 11; ++i) {
    add(ctl::errLbl(i), Kind::kLabel, ctl::secondFram, kEllipsis);
    add(ctl::NumSecEr(i), Kind::kLabel, ctl::secondFram, kBold | kRight);
  }
  add(ctl::ProbFoLb, Kind::kLabel, ctl::secondFram, kBold | kAccent);
  // Command bar.
  add(ctl::Frame1, Kind::kPanel, ctl::mainArea);
  add(ctl::imgErrInfo, Kind::kImage, ctl::Frame1);
  add(ctl::lblErrDetectedProb2, Kind::kLabel, ctl::Frame1, kBold | kShadow);
  add(ctl::lblErrDetectedProb1, Kind::kLabel, ctl::Frame1, kBold | kAccent);
  add(ctl::cmdBackUp, Kind::kButton, ctl::Frame1);
  add(ctl::nxt, Kind::kButton, ctl::Frame1);
  add(ctl::cmdPause, Kind::kButton, ctl::Frame1);
  add(ctl::ext, Kind::kButton, ctl::Frame1);
  // Backup manager.
  add(ctl::fraBackUp, Kind::kPanel, ctl::mainArea);
  add(ctl::pctBackManegerTop, Kind::kBand, ctl::fraBackUp);
  add(ctl::lblBackupManagerHead2, Kind::kLabel, ctl::pctBackManegerTop, kBold | kShadow);
  add(ctl::lblBackupManagerHead1, Kind::kLabel, ctl::pctBackManegerTop, kBold);
  add(ctl::ListVW1, Kind::kList, ctl::fraBackUp);
  add(ctl::pctBackupPanel, Kind::kBand, ctl::fraBackUp);
  add(ctl::cmdRestore, Kind::kButton, ctl::pctBackupPanel);
  add(ctl::cmdExport, Kind::kButton, ctl::pctBackupPanel);
  add(ctl::cmdCleanBackUp, Kind::kButton, ctl::pctBackupPanel);
  add(ctl::cmdCancel, Kind::kButton, ctl::pctBackupPanel);
  // Results heading.
  add(ctl::pctErrHeading, Kind::kBand, ctl::mainArea);
  add(ctl::lblErrHead2, Kind::kLabel, ctl::pctErrHeading, kBold | kShadow);
  add(ctl::lblErrHead1, Kind::kLabel, ctl::pctErrHeading, kBold);
  add(ctl::OnBaseBox, Kind::kPanel, ctl::mainArea);
  // The background of the pages lies behind everything else in the area.
  add(ctl::basebox, Kind::kBaseBox, ctl::mainArea);
}

bool Form1Window::Create(HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                           ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Form1Window::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.lpszClassName = kWindowClass;
  RegisterClassExA(&wc);  // a second registration fails harmlessly
  WNDCLASSEXA pc{};
  pc.cbSize = sizeof pc;
  pc.lpfnWndProc = &Form1Window::PanelProc;
  pc.hInstance = instance;
  pc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  pc.lpszClassName = kPanelClass;
  RegisterClassExA(&pc);

  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  if (dpi_ <= 0) dpi_ = 96;
  font_ = MakeFont(0, FW_NORMAL, dpi_);
  bold_ = MakeFont(0, FW_BOLD, dpi_);
  big_ = MakeFont(14, FW_BOLD, dpi_);

  const DWORD style =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;
  hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, "Hivewright", style, CW_USEDEFAULT, CW_USEDEFAULT,
                          0, 0, nullptr, nullptr, instance, this);  // FitWindow gives the designed size
  if (!hwnd_) return false;
  if (!CreateControls(instance)) return false;
  form_.controls.SetObserver(
      [this](const std::string& name, FormModel::Change what) { OnControlChanged(name, what); });
  ApplyAll();
  RestorePlacement();
  return true;
}

HWND Form1Window::ParentWindow(const Control& c) const {
  if (c.parent.empty()) return hwnd_;
  auto it = byName_.find(c.parent);
  return it == byName_.end() ? hwnd_ : controls_[it->second].hwnd;
}

bool Form1Window::CreateControls(HINSTANCE instance) {
  int nextId = kFirstControlId;
  for (Control& c : controls_) {
    HWND parent = ParentWindow(c);
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    c.id = nextId++;
    byId_[c.id] = static_cast<std::size_t>(&c - controls_.data());
    auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id));
    switch (c.kind) {
      case Kind::kArea:
      case Kind::kPanel:
      case Kind::kBand:
      case Kind::kBaseBox:
      case Kind::kBar:
        c.hwnd = CreateWindowExA(WS_EX_CONTROLPARENT | (c.kind == Kind::kBar ? WS_EX_STATICEDGE : 0), kPanelClass,
                                 "", child | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, menu, instance, this);
        break;
      case Kind::kButton:
        c.hwnd = CreateWindowExA(0, "BUTTON", "", child | WS_TABSTOP | BS_PUSHBUTTON | ((c.flags & kNotify) ? BS_NOTIFY : 0),
                                 0, 0, 0, 0, parent, menu, instance, nullptr);
        break;
      case Kind::kTree:
        c.hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                 child | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS,
                                 0, 0, 0, 0, parent, menu, instance, nullptr);
        break;
      case Kind::kList:
        c.hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                 child | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL, 0, 0, 0, 0,
                                 parent, menu, instance, nullptr);
        break;
      case Kind::kEdit:
        c.hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                 child | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0,
                                 0, 0, parent, menu, instance, nullptr);
        break;
      case Kind::kProgress:
        c.hwnd = CreateWindowExA(0, PROGRESS_CLASSA, "", child | PBS_SMOOTH, 0, 0, 0, 0, parent, menu, instance,
                                 nullptr);
        break;
      case Kind::kLabel:
      case Kind::kImage:
        continue;  // drawn by their container
    }
    if (!c.hwnd) return false;
    SendMessageA(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // New children go to the bottom: the first declared lies in front.
    SetWindowPos(c.hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // The section tree: white, with the nine state pictures; its mouse press
  // reaches the logic before the control acts on it.
  HWND tree = ControlWindow(ctl::tvwTree);
  treeImages_ = ImageList_Create(16, 16, ILC_COLOR32, 9, 0);
  ApplyTreeColours();
  TreeView_SetImageList(tree, treeImages_, TVSIL_NORMAL);
  // The tree's width is fixed: a narrow indent keeps the bold section names whole.
  TreeView_SetIndent(tree, Px(kTreeIndentTwips));
  SetWindowSubclass(tree, &Form1Window::TreeSubclassProc, kTreeSubclassId, reinterpret_cast<DWORD_PTR>(this));

  HWND list = ControlWindow(ctl::ListVW1);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  const int widths[] = {Px(2200), Px(2800), Px(1100)};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM | (i == 2 ? LVCF_FMT : 0);
    col.fmt = LVCFMT_RIGHT;
    col.cx = widths[i];
    col.pszText = const_cast<char*>("");
    col.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }

  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_, nullptr, instance,
                            nullptr);
  if (!status_) return false;
  SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return true;
}

bool Form1Window::HighContrast() const {
  if (highContrast) return *highContrast;
  HIGHCONTRASTA hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

void Form1Window::ApplyTreeColours() {
  HWND tree = ControlWindow(ctl::tvwTree);
  if (!tree || !treeImages_) return;
  // White with black text, as designed; in a high-contrast scheme the
  // system's own colours, or a dark scheme would write white on white.
  const bool hc = HighContrast();
  const COLORREF back = hc ? GetSysColor(COLOR_WINDOW) : kWhite;
  const int count = ImageList_GetImageCount(treeImages_);
  for (int i = 0; i < static_cast<int>(sizeof kTreeImages / sizeof kTreeImages[0]); ++i) {
    Bitmap picture = MakePicture(kTreeImages[i], back);
    if (i < count) ImageList_Replace(treeImages_, i, picture.Get(), nullptr);
    else treeImageIndex_[kTreeImages[i]] = ImageList_Add(treeImages_, picture.Get(), nullptr);
  }
  TreeView_SetTextColor(tree, hc ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
  SetTreeViewBackColor(tree, back);
}

// ---- showing the control state ------------------------------------------------

void Form1Window::FitWindow() {
  // The designed client area (the main area and the status bar below it)
  // is the least the window shows; a window already larger stays so.
  const ControlState& area = form_.controls.Get(ctl::mainArea);
  RECT statusRect{};
  GetWindowRect(status_, &statusRect);
  RECT r{0, 0, Px(area.left + area.width), Px(area.top + area.height) + (statusRect.bottom - statusRect.top)};
  AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), FALSE, GetWindowLongA(hwnd_, GWL_EXSTYLE));
  minWindow_ = SIZE{r.right - r.left, r.bottom - r.top};
  RECT now{};
  GetWindowRect(hwnd_, &now);
  if (!IsZoomed(hwnd_) && (now.right - now.left < minWindow_.cx || now.bottom - now.top < minWindow_.cy)) {
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max<LONG>(now.right - now.left, minWindow_.cx),
                 std::max<LONG>(now.bottom - now.top, minWindow_.cy), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Relayout();
}

TwipsRect Form1Window::Placed(const std::string& name) const {
  const ControlState& s = form_.controls.Get(name);
  const TwipsRect design{s.left, s.top, s.width, s.height};
  auto it = byName_.find(name);
  const std::string parent = it == byName_.end() ? std::string() : controls_[it->second].parent;
  int growX = 0, growY = 0, width = 0, height = 0;
  if (parent.empty()) {
    const ControlState& area = form_.controls.Get(ctl::mainArea);
    RECT client{}, statusRect{};
    GetClientRect(hwnd_, &client);
    GetWindowRect(status_, &statusRect);
    width = area.left + area.width;
    height = area.top + area.height;
    growX = Growth(static_cast<int>(Twips(client.right)), width);
    growY = Growth(static_cast<int>(Twips(client.bottom - (statusRect.bottom - statusRect.top))), height);
  } else {
    const ControlState& outer = form_.controls.Get(parent);
    const TwipsRect now = Placed(parent);
    growX = now.width - outer.width;
    growY = now.height - outer.height;
    width = outer.width;
    height = outer.height;
  }
  return AnchoredRect(design, MainWindowAnchors(name, form_.controls), growX, growY, width, height);
}

void Form1Window::Relayout() {
  if (!hwnd_ || !status_) return;
  SendMessageA(status_, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(hwnd_, &client);
  int parts[] = {client.right * 3 / 5, -1};
  SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  for (Control& c : controls_) ApplyPosition(c);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form1Window::ShowScanProgress() {
  if (!hwnd_) return;
  const std::string& title = form_.controls.Text("Form1");
  if (form_.ScanRunning()) {
    const ControlState& bar = form_.controls.Get(ctl::pgScanSystem);
    const int percent = ProgressPercent(bar.value, bar.min, bar.max);
    SetWindowTextW(hwnd_, WideText(ProgressTitle(title, percent)).c_str());
    taskbar_.Show(hwnd_, percent);
    progressShown_ = true;
    return;
  }
  SetWindowTextW(hwnd_, WideText(title).c_str());
  if (progressShown_) taskbar_.Clear(hwnd_);
  progressShown_ = false;
}

void Form1Window::RestorePlacement() {
  const auto p = ParseWindowPlacement(form_.settings.Read(kCurrentUser, kWindowKey, kPlacementValue));
  if (!p) return;
  RECT r{p->left, p->top, p->left + std::max<int>(p->width, minWindow_.cx),
         p->top + std::max<int>(p->height, minWindow_.cy)};
  // A place on a screen that is gone (a second monitor, a lower resolution)
  // would leave the window out of sight.
  if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.showCmd = SW_HIDE;
  wp.rcNormalPosition = r;
  SetWindowPlacement(hwnd_, &wp);
  showMaximized_ = p->maximized;
}

void Form1Window::SavePlacement() {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(hwnd_, &wp)) return;
  const RECT& r = wp.rcNormalPosition;
  form_.settings.Write(kCurrentUser, kWindowKey, kPlacementValue,
                       FormatWindowPlacement(WindowPlacement{r.left, r.top, r.right - r.left, r.bottom - r.top,
                                                             IsZoomed(hwnd_) != FALSE}));
}

void Form1Window::ApplyAll() {
  FitWindow();
  for (Control& c : controls_) {
    ApplyPosition(c);
    ApplyText(c);
    ApplyVisible(c);
    ApplyPicture(c);
    ApplyValue(c);
  }
  for (const char* column : {ctl::ListVW1Column1, ctl::ListVW1Column2, ctl::ListVW1Column3})
    OnControlChanged(column, FormModel::Change::kText);
  for (const char* panel : {ctl::sbStatus1, ctl::sbStatus2}) OnControlChanged(panel, FormModel::Change::kText);
  OnControlChanged("Form1", FormModel::Change::kText);
  ApplyZOrder();
  ApplyItems();
  UpdateReachability();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form1Window::OnControlChanged(const std::string& name, FormModel::Change what) {
  if (!hwnd_) return;
  const ControlState& s = form_.controls.Get(name);
  if (name == "Form1") {
    if (what == FormModel::Change::kText) ShowScanProgress();
    return;
  }
  if (name == ctl::sbStatus1 || name == ctl::sbStatus2) {
    if (what == FormModel::Change::kText)
      SendMessageA(status_, SB_SETTEXTA, name == ctl::sbStatus1 ? 0 : 1, reinterpret_cast<LPARAM>(s.text.c_str()));
    return;
  }
  if (IsListColumn(name)) {
    if (what != FormModel::Change::kText) return;
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(s.text.c_str());
    const int index = name[name.size() - 2] - '1';
    SendMessageA(ControlWindow(ctl::ListVW1), LVM_SETCOLUMNA, index, reinterpret_cast<LPARAM>(&col));
    return;
  }
  auto it = byName_.find(name);
  if (it == byName_.end()) return;  // pictures of the button pairs: shown on their buttons
  Control& c = controls_[it->second];
  switch (what) {
    case FormModel::Change::kText:
      ApplyText(c);
      break;
    case FormModel::Change::kVisible:
      ApplyVisible(c);
      if (c.kind == Kind::kPanel) UpdateReachability();
      break;
    case FormModel::Change::kEnabled:
      if (c.hwnd) EnableWindow(c.hwnd, s.enabled);
      break;
    case FormModel::Change::kPosition:
      ApplyPosition(c);
      if (c.kind == Kind::kArea) FitWindow();
      if (c.kind == Kind::kPanel) UpdateReachability();
      break;
    case FormModel::Change::kPicture:
      ApplyPicture(c);
      break;
    case FormModel::Change::kValue:
      ApplyValue(c);
      if (name == ctl::pgScanSystem) ShowScanProgress();
      break;
    case FormModel::Change::kZOrder:
      if (c.hwnd) SetWindowPos(c.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      else InvalidateWindowless(c);
      if (c.kind == Kind::kPanel) UpdateReachability();
      break;
    case FormModel::Change::kRefresh:
      if (c.hwnd) {
        RedrawWindow(c.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      } else if (HWND parent = ParentWindow(c)) {
        UpdateWindow(parent);
      }
      break;
    case FormModel::Change::kItems:
      if (name == ctl::ListVW1) ApplyItems();
      break;
  }
}

void Form1Window::ApplyText(Control& c) {
  const ControlState& s = form_.controls.Get(c.name);
  if (c.kind == Kind::kButton) {
    SetWindowTextA(c.hwnd, s.text.c_str());
    SkinButton(c);
  } else if (c.kind == Kind::kLabel) {
    InvalidateWindowless(c);
  } else if (c.kind == Kind::kEdit) {
    SetWindowTextW(c.hwnd, WideText(s.text).c_str());
  }
}

void Form1Window::ApplyPosition(Control& c) {
  const TwipsRect s = Placed(c.name);
  if (c.hwnd) {
    int height = Px(s.height);
    if (c.kind == Kind::kBand) {
      // A band is never lower than its heading's text (the results heading
      // is 180 twips, less than a line at 96 dpi).
      HDC dc = GetDC(c.hwnd);
      TEXTMETRICA tm{};
      {
        Selected f(dc, bold_);
        GetTextMetricsA(dc, &tm);
      }
      ReleaseDC(c.hwnd, dc);
      height = std::max<int>(height, tm.tmHeight + 1);
    }
    MoveWindow(c.hwnd, Px(s.left), Px(s.top), Px(s.width), height, TRUE);
    if (c.kind == Kind::kList) {
      // The name column takes what the list gains, so long names need no
      // horizontal scrolling in a wide window.
      RECT client{};
      GetClientRect(c.hwnd, &client);
      const int others = ListView_GetColumnWidth(c.hwnd, 1) + ListView_GetColumnWidth(c.hwnd, 2);
      ListView_SetColumnWidth(c.hwnd, 0, std::max<int>(Px(2200), client.right - others));
    }
    if (c.kind == Kind::kBand && PanelGradientOf(c.hwnd)) {
      PaintPanelGradient(GetSysColor(COLOR_BTNFACE), c.hwnd, nullptr);
    }
  } else {
    InvalidateWindowless(c);
  }
}

void Form1Window::ApplyVisible(Control& c) {
  const ControlState& s = form_.controls.Get(c.name);
  if (c.hwnd) {
    ShowWindow(c.hwnd, s.visible ? SW_SHOWNA : SW_HIDE);
  } else {
    InvalidateWindowless(c);
  }
}

void Form1Window::ApplyPicture(Control& c) {
  if (c.kind == Kind::kButton) {
    SkinButton(c);
  } else if (c.kind == Kind::kImage) {
    InvalidateWindowless(c);
  }
}

void Form1Window::ApplyValue(Control& c) {
  if (c.kind != Kind::kProgress) return;
  const ControlState& s = form_.controls.Get(c.name);
  SendMessageA(c.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(s.min), static_cast<LPARAM>(s.max));
  SendMessageA(c.hwnd, PBM_SETPOS, static_cast<WPARAM>(s.value), 0);
}

void Form1Window::ApplyZOrder() {
  std::vector<std::pair<unsigned long, const Control*>> raised;
  for (const Control& c : controls_) {
    const unsigned long z = form_.controls.Get(c.name).zOrder;
    if (z > 0 && c.hwnd) raised.push_back({z, &c});
  }
  std::sort(raised.begin(), raised.end());
  for (const auto& [z, c] : raised)
    SetWindowPos(c->hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form1Window::ApplyItems() {
  HWND list = ControlWindow(ctl::ListVW1);
  if (!list) return;
  mirroring_ = true;
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  const std::vector<ListItem>& items = form_.controls.Items(ctl::ListVW1);
  for (std::size_t i = 0; i < items.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(items[i].text.c_str());
    const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (std::size_t s = 0; s < items[i].subItems.size() && s < 2; ++s) {
      LVITEMA sub{};
      sub.iSubItem = static_cast<int>(s + 1);
      sub.pszText = const_cast<char*>(items[i].subItems[s].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
    }
    ListView_SetCheckState(list, at, items[i].checked);
  }
  mirroring_ = false;
}

RECT Form1Window::WindowlessRect(const Control& c) const {
  const ControlState& s = form_.controls.Get(c.name);
  const TwipsRect at = Placed(c.name);
  RECT r{Px(at.left), Px(at.top), Px(at.left + at.width), Px(at.top + at.height)};
  if (c.kind == Kind::kLabel && s.autoSize) {
    HDC dc = GetDC(hwnd_);
    {
      Selected f(dc, (c.flags & kBig) ? big_ : (c.flags & kBold) ? bold_ : font_);
      SIZE size{};
      TextExtentUtf8(dc, s.text, &size);
      r.right = r.left + size.cx + 2;
    }
    ReleaseDC(hwnd_, dc);
  }
  return r;
}

void Form1Window::InvalidateWindowless(Control& c) {
  if (c.hwnd) return;
  HWND parent = ParentWindow(c);
  if (!parent) return;
  InvalidateRect(parent, &c.shown, TRUE);
  c.shown = WindowlessRect(c);
  InvalidateRect(parent, &c.shown, TRUE);
}

HBITMAP Form1Window::Picture(const std::string& key) {
  auto it = pictures_.find(key);
  if (it == pictures_.end()) it = pictures_.emplace(key, MakePicture(key)).first;
  return it->second.Get();
}

void Form1Window::SkinButton(const Control& c) {
  if (!c.hwnd) return;
  const std::string& key = form_.controls.Get(c.name).picture;
  ApplyButtonFace(c.hwnd, key.empty() ? nullptr : Picture(key), true);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

void Form1Window::RefreshButtonSkins() {
  for (const char* name : kPictureButtons) {
    auto it = byName_.find(name);
    if (it == byName_.end()) continue;
    SkinButton(controls_[it->second]);
    UpdateWindow(controls_[it->second].hwnd);
  }
}

void Form1Window::PaintBands() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (const char* band : kBands) {
    if (HWND box = ControlWindow(band)) PaintPanelGradient(face, box, &form_.p.pump);
  }
}

void Form1Window::CheckAndChangeApperance() {
  if (!hwnd_) return;
  PaintBands();
  RefreshButtonSkins();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Form1Window::SetImgLstPic() {
  if (!hwnd_) return;
  // Pictures of the emblem and the bullet are drawn from their picture keys
  // as they are painted; the bands get their gradients, the buttons faces.
  PaintBands();
  RefreshButtonSkins();
}

// ---- the tree -------------------------------------------------------------------

TreeNode* Form1Window::LiveNode(TreeNode* node) const {
  if (!node) return nullptr;
  const auto& nodes = form_.tvwTree.Nodes();
  return std::find(nodes.begin(), nodes.end(), node) != nodes.end() ? node : nullptr;
}

TreeNode* Form1Window::NodeOfItem(HTREEITEM item) const {
  auto it = itemIndex_.find(item);
  return it == itemIndex_.end() ? nullptr : LiveNode(mirror_[it->second].node);
}

HTREEITEM Form1Window::TreeItemOf(const TreeNode* node) const {
  for (const MirrorItem& m : mirror_)
    if (m.node == node) return m.item;
  return nullptr;
}

void Form1Window::TreeChanged() {
  if (!hwnd_) return;
  const auto& nodes = form_.tvwTree.Nodes();
  bool same = nodes.size() == mirror_.size();
  for (std::size_t i = 0; same && i < nodes.size(); ++i)
    same = mirror_[i].node == nodes[i] && mirror_[i].parent == nodes[i]->Parent();
  mirroring_ = true;
  if (same) {
    UpdateTree();
  } else {
    RebuildTree();
  }
  mirroring_ = false;
}

void Form1Window::RebuildTree() {
  HWND tree = ControlWindow(ctl::tvwTree);
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(tree);
  mirror_.clear();
  itemIndex_.clear();
  std::unordered_map<const TreeNode*, HTREEITEM> items;
  for (TreeNode* node : form_.tvwTree.Nodes()) {
    TVINSERTSTRUCTA ins{};
    auto parent = items.find(node->Parent());
    ins.hParent = node->Parent() && parent != items.end() ? parent->second : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<char*>(node->text.c_str());
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    items[node] = item;
    itemIndex_[item] = mirror_.size();
    // Texts and pictures are set by the update below.
    mirror_.push_back(MirrorItem{node, node->Parent(), item, node->text, "\x01", !node->bold, false, 0});
  }
  UpdateTree();
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree, nullptr, TRUE);
}

void Form1Window::UpdateTree() {
  HWND tree = ControlWindow(ctl::tvwTree);
  TreeNode* selected = nullptr;
  for (MirrorItem& m : mirror_) {
    TreeNode& n = *m.node;
    TVITEMA item{};
    item.hItem = m.item;
    if (m.text != n.text) {
      item.mask |= TVIF_TEXT;
      item.pszText = const_cast<char*>(n.text.c_str());
      m.text = n.text;
    }
    if (m.image != n.image + "|" + n.selectedImage) {
      auto index = [this](const std::string& key) {
        auto it = treeImageIndex_.find(key);
        return it == treeImageIndex_.end() ? -1 : it->second;
      };
      item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      item.iImage = index(n.image);
      item.iSelectedImage = index(n.selectedImage.empty() ? n.image : n.selectedImage);
      m.image = n.image + "|" + n.selectedImage;
    }
    if (m.bold != n.bold) {
      item.mask |= TVIF_STATE;
      item.stateMask |= TVIS_BOLD;
      item.state |= n.bold ? TVIS_BOLD : 0;
      m.bold = n.bold;
    }
    if (item.mask) SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (m.grey != n.greyText || m.color != n.foreColor) {
      m.grey = n.greyText;
      m.color = n.foreColor;
      RECT r{};
      if (TreeView_GetItemRect(tree, m.item, &r, FALSE)) InvalidateRect(tree, &r, TRUE);
    }
    if (n.selected && !selected) selected = &n;
  }
  // Children first expanded, so a parent opens onto its whole subtree.
  for (auto it = mirror_.rbegin(); it != mirror_.rend(); ++it) {
    if (it->node->ChildCount() == 0) continue;
    const bool open = (TreeView_GetItemState(tree, it->item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    if (open != it->node->expanded) TreeView_Expand(tree, it->item, it->node->expanded ? TVE_EXPAND : TVE_COLLAPSE);
  }
  HTREEITEM want = selected ? TreeItemOf(selected) : nullptr;
  if (TreeView_GetSelection(tree) != want) TreeView_SelectItem(tree, want);
}

TreeNode* Form1Window::HitTest(float x, float y) {
  HWND tree = ControlWindow(ctl::tvwTree);
  if (!tree) return nullptr;
  TVHITTESTINFO info{};
  info.pt.x = static_cast<LONG>(std::lround(x * static_cast<float>(dpi_) / 1440.0f));
  info.pt.y = static_cast<LONG>(std::lround(y * static_cast<float>(dpi_) / 1440.0f));
  HTREEITEM item = TreeView_HitTest(tree, &info);
  // Only the picture and the text of a node count, as a click on them.
  if (!item || !(info.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL))) return nullptr;
  return NodeOfItem(item);
}

void Form1Window::ScrollTreeToTop() {
  HWND tree = ControlWindow(ctl::tvwTree);
  if (HTREEITEM first = TreeView_GetRoot(tree)) TreeView_SelectSetFirstVisible(tree, first);
}

void Form1Window::ShowTreeMenu(LPARAM lp) {
  HWND tree = ControlWindow(ctl::tvwTree);
  if (!tree || !IsWindowEnabled(tree)) return;
  POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  HTREEITEM item = nullptr;
  if (lp == -1) {
    item = TreeView_GetSelection(tree);
    RECT r{};
    if (!item || !TreeView_GetItemRect(tree, item, &r, TRUE)) return;
    at = POINT{r.left, r.bottom};
    ClientToScreen(tree, &at);
  } else {
    TVHITTESTINFO info{};
    info.pt = at;
    ScreenToClient(tree, &info.pt);
    item = TreeView_HitTest(tree, &info);
    if (!item || !(info.flags & TVHT_ONITEM)) return;
    // The menu is about the node under the pointer, which the pane then shows.
    TreeView_SelectItem(tree, item);
  }
  TreeNode* node = NodeOfItem(item);
  if (!node) return;
  const std::string key = node->key;
  RunHandler([this, node] { ShowProblemDetails(form_, node); });
  const int chosen = TrackResultsMenu(hwnd_, ResultsMenuFor(form_, *node), at);
  if (chosen == 0) return;
  RunHandler([this, key, chosen] {
    const std::string text = RunResultsCommand(form_, key, static_cast<ResultsCommand>(chosen));
    if (!text.empty()) CopyTextToClipboard(hwnd_, text);
  });
}

LRESULT CALLBACK Form1Window::TreeSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                               DWORD_PTR ref) {
  auto* self = reinterpret_cast<Form1Window*>(ref);
  if (msg == WM_LBUTTONDOWN) {
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    self->lastPress_ = POINT{x, y};
    self->RunHandler([self, x, y] { self->form_.tvwTree_MouseDown(self->Twips(x), self->Twips(y)); });
  } else if (msg == WM_KEYDOWN && wp == VK_SPACE) {
    if (TreeNode* node = self->NodeOfItem(TreeView_GetSelection(hwnd)))
      self->RunHandler([self, node] { self->form_.tvwTree_SpaceKey(*node); });
    return 0;
  } else if (msg == WM_CONTEXTMENU) {
    self->ShowTreeMenu(lp);
    return 0;
  } else if ((msg == WM_KEYDOWN && wp == VK_APPS) ||
             (msg == WM_SYSKEYDOWN && wp == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000))) {
    // The menu key and Shift+F10 open the menu of the selected node; their
    // release is swallowed, so the default handling opens no second one.
    self->keyMenu_ = true;
    self->ShowTreeMenu(-1);
    return 0;
  } else if ((msg == WM_KEYUP && wp == VK_APPS) || (msg == WM_SYSKEYUP && wp == VK_F10)) {
    if (self->keyMenu_) {
      self->keyMenu_ = false;
      return 0;
    }
  } else if (msg == WM_CHAR && wp == ' ') {
    return 0;  // no search for a node named by the space
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &Form1Window::TreeSubclassProc, id);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- the rest of Form1View ------------------------------------------------------

void Form1Window::SetMousePointer(int pointer) {
  busyPointer_ = pointer == 11;
  SetCursor(LoadCursor(nullptr, busyPointer_ ? IDC_WAIT : IDC_ARROW));
}

void Form1Window::ShowSettingsDialog() {
  if (settingsDialog) {
    settingsDialog();
    return;
  }
  hw::ShowSettingsDialog(hwnd_, form_);
}

std::string Form1Window::FocusedControl() {
  HWND focus = GetFocus();
  if (!focus) return std::string();
  for (const Control& c : controls_)
    if (c.hwnd == focus) return c.name;
  return std::string();
}

void Form1Window::SetFocus(const std::string& control) {
  if (HWND h = ControlWindow(control)) ::SetFocus(h);
}

bool Form1Window::IsMinimized() { return hwnd_ && IsIconic(hwnd_); }

// ---- the window -------------------------------------------------------------------

HWND Form1Window::ControlWindow(const std::string& name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : controls_[it->second].hwnd;
}

void Form1Window::Click(const std::string& button) {
  HWND h = ControlWindow(button);
  if (h) SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), BN_CLICKED), reinterpret_cast<LPARAM>(h));
}

bool Form1Window::Showing(const std::string& name) const {
  std::string at = name;
  while (!at.empty()) {
    if (!form_.controls.Visible(at)) return false;
    auto it = byName_.find(at);
    if (it == byName_.end()) return true;
    at = controls_[it->second].parent;
  }
  return hwnd_ && IsWindowVisible(hwnd_);
}

RECT Form1Window::ClientRectOf(const std::string& name) const {
  auto it = byName_.find(name);
  if (it == byName_.end()) return RECT{};
  const Control& c = controls_[it->second];
  RECT r = c.hwnd ? RECT{} : WindowlessRect(c);
  if (c.hwnd) {
    GetWindowRect(c.hwnd, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  } else if (HWND parent = ParentWindow(c); parent && parent != hwnd_) {
    MapWindowPoints(parent, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

void Form1Window::Show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, showMaximized_ ? SW_SHOWMAXIMIZED : SW_SHOW);
  showMaximized_ = false;
  SetForegroundWindow(hwnd_);
  UpdateReachability();
  UpdateWindow(hwnd_);
}

void Form1Window::BringRunningToFront() {
  HWND other = FindWindowA(kWindowClass, nullptr);
  if (!other || !IsWindowVisible(other)) return;
  if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
  SetForegroundWindow(other);
}

void Form1Window::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

int Form1Window::RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (DialogMessage(hwnd_, msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

void Form1Window::RunHandler(const std::function<void()>& handler) {
  ++handlerDepth_;
  try {
    handler();
  } catch (const std::exception& e) {
    // The logic traps what it shows; anything else must still not reach user32.
    form_.p.dialogs.MessageBox(e.what(), kAppTitle, MsgButtons::kOk);
  } catch (...) {
  }
  --handlerDepth_;
  if (progressShown_ && !form_.ScanRunning()) ShowScanProgress();
  if (handlerDepth_ == 0 && closePending_ && hwnd_) {
    closePending_ = false;
    DestroyWindow(hwnd_);
  }
}

void Form1Window::OnDialogKey(int id) {
  if (id == IDCANCEL) {
    // Esc during a scan is the Abort button.
    if (form_.ScanRunning() && form_.controls.Visible(ctl::secondFram) && IsWindowEnabled(ControlWindow(ctl::ext)))
      Click(ctl::ext);
    return;
  }
  // Enter presses the button that has the focus.
  HWND focus = GetFocus();
  for (const Control& c : controls_) {
    if (c.hwnd == focus && c.kind == Kind::kButton) {
      Click(c.name);
      return;
    }
  }
}

bool Form1Window::Covered(const Control& page) const {
  RECT mine{};
  GetWindowRect(page.hwnd, &mine);
  for (HWND above = GetWindow(page.hwnd, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (!(GetWindowLongA(above, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT theirs{}, both{};
    GetWindowRect(above, &theirs);
    if (IntersectRect(&both, &mine, &theirs) && EqualRect(&both, &mine)) return true;
  }
  return false;
}

void Form1Window::UpdateReachability() {
  // A page that lies wholly behind another (the scan page's command bar
  // behind the first page) takes no focus and no mnemonic.
  for (const char* name : {ctl::firstfrm, ctl::secondFram, ctl::fraBackUp, ctl::Frame1}) {
    const Control& page = controls_[byName_.at(name)];
    if (!page.hwnd) continue;
    // Shown as the window is (the window itself may still be hidden).
    const bool reachable = (GetWindowLongA(page.hwnd, GWL_STYLE) & WS_VISIBLE) && !Covered(page);
    if ((IsWindowEnabled(page.hwnd) != FALSE) != reachable) EnableWindow(page.hwnd, reachable);
  }
  // The focus, lost with a page that went, goes to the page in front.
  HWND focus = GetFocus();
  if (GetActiveWindow() != hwnd_ || (focus && focus != hwnd_ && IsWindowVisible(focus) && ReachableWindow(focus)))
    return;
  for (const char* name : {ctl::fraBackUp, ctl::firstfrm, ctl::Frame1}) {
    HWND page = ControlWindow(name);
    if (!page || !IsWindowVisible(page) || !IsWindowEnabled(page)) continue;
    HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
    if (first && IsChild(page, first) && IsWindowVisible(first) && IsWindowEnabled(first)) {
      ::SetFocus(first);
      return;
    }
  }
}

bool Form1Window::ReachableWindow(HWND h) const {
  for (; h && h != hwnd_; h = GetParent(h))
    if (!IsWindowEnabled(h) || !IsWindowVisible(h)) return false;
  return h == hwnd_;
}

void Form1Window::OnCommand(int id, int code) {
  auto it = byId_.find(id);
  if (it == byId_.end()) return;
  const std::string& name = controls_[it->second].name;
  if (code == BN_KILLFOCUS && name == ctl::hlpBtn) {
    PostMessageA(hwnd_, kHelpLostFocus, 0, 0);
    return;
  }
  if (code != BN_CLICKED) return;
  Form1& f = form_;
  static const std::map<std::string, void (Form1::*)()> kHandlers = {
      {ctl::ScanBtn, &Form1::ScanBtn_Click},
      {ctl::BackupBtn, &Form1::BackupBtn_Click},
      {ctl::ConfBtn, &Form1::ConfBtn_Click},
      {ctl::hlpBtn, &Form1::hlpBtn_Click},
      {ctl::SuprBtn, &Form1::SuprBtn_Click},
      {ctl::ext, &Form1::ext_Click},
      {ctl::cmdPause, &Form1::cmdPause_Click},
      {ctl::nxt, &Form1::nxt_Click},
      {ctl::cmdBackUp, &Form1::cmdBackUp_Click},
      {ctl::cmdRestore, &Form1::cmdRestore_Click},
      {ctl::cmdExport, &Form1::cmdExport_Click},
      {ctl::cmdCleanBackUp, &Form1::cmdCleanBackUp_Click},
      {ctl::cmdCancel, &Form1::cmdCancel_Click},
  };
  auto handler = kHandlers.find(name);
  if (handler != kHandlers.end()) RunHandler([&f, h = handler->second] { (f.*h)(); });
}

LRESULT Form1Window::HandleNotify(const NMHDR& header) {
  auto it = byId_.find(static_cast<int>(header.idFrom));
  if (it == byId_.end()) return 0;
  const std::string& name = controls_[it->second].name;
  if (name == ctl::tvwTree) {
    HWND tree = header.hwndFrom;
    switch (header.code) {
      case NM_CLICK: {
        // The node under the press that made this click.
        TVHITTESTINFO info{};
        info.pt = lastPress_;
        HTREEITEM item = TreeView_HitTest(tree, &info);
        TreeNode* node = (item && (info.flags & TVHT_ONITEM)) ? NodeOfItem(item) : nullptr;
        RunHandler([this, node] {
          // The node may be replaced by the node click (results loaded).
          if (node) form_.tvwTree_NodeClick(*node);
          form_.tvwTree_Click();
        });
        return 0;
      }
      case TVN_SELCHANGEDA:
      case TVN_SELCHANGEDW: {
        if (mirroring_) return 0;
        const auto& tv = reinterpret_cast<const NMTREEVIEWA&>(header);
        TreeNode* node = NodeOfItem(tv.itemNew.hItem);
        for (TreeNode* n : form_.tvwTree.Nodes()) n->selected = n == node;
        RunHandler([this, node] { ShowProblemDetails(form_, node); });
        return 0;
      }
      case TVN_ITEMEXPANDEDA:
      case TVN_ITEMEXPANDEDW: {
        if (mirroring_) return 0;
        const auto& tv = reinterpret_cast<const NMTREEVIEWA&>(header);
        TreeNode* node = NodeOfItem(tv.itemNew.hItem);
        if (!node) return 0;
        node->expanded = tv.action == TVE_EXPAND;
        RunHandler([this, node] {
          if (node->expanded) form_.tvwTree_Expand(*node);
          else form_.tvwTree_Collapse(*node);
          TreeChanged();
        });
        return 0;
      }
      case NM_CUSTOMDRAW: {
        const auto& cd = reinterpret_cast<const NMTVCUSTOMDRAW&>(header);
        if (cd.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (cd.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
          auto m = itemIndex_.find(reinterpret_cast<HTREEITEM>(cd.nmcd.dwItemSpec));
          if (m == itemIndex_.end()) return CDRF_DODEFAULT;
          const MirrorItem& mi = mirror_[m->second];
          auto& draw = const_cast<NMTVCUSTOMDRAW&>(cd);
          if (mi.grey && !(cd.nmcd.uItemState & CDIS_SELECTED)) draw.clrText = GetSysColor(COLOR_GRAYTEXT);
          else if (mi.color && !(cd.nmcd.uItemState & CDIS_SELECTED) && !HighContrast()) draw.clrText = mi.color;
        }
        return CDRF_DODEFAULT;
      }
      default:
        return 0;
    }
  }
  if (name == ctl::ListVW1 && header.code == LVN_COLUMNCLICK) {
    form_.ListVW1_ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
    // The header's arrow shows the order.
    HWND head = ListView_GetHeader(header.hwndFrom);
    for (int i = 0; i < Header_GetItemCount(head); ++i) {
      HDITEMA item{};
      item.mask = HDI_FORMAT;
      Header_GetItem(head, i, &item);
      item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      if (i == form_.backupSortColumn) item.fmt |= form_.backupSortDescending ? HDF_SORTDOWN : HDF_SORTUP;
      Header_SetItem(head, i, &item);
    }
    return 0;
  }
  if (name == ctl::ListVW1 && header.code == LVN_ITEMCHANGED && !mirroring_) {
    const auto& lv = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(lv.uChanged & LVIF_STATE) || lv.iItem < 0) return 0;
    auto& items = form_.controls.Items(ctl::ListVW1);
    if (static_cast<std::size_t>(lv.iItem) < items.size())
      items[static_cast<std::size_t>(lv.iItem)].checked = ListView_GetCheckState(header.hwndFrom, lv.iItem) != 0;
  }
  return 0;
}

void Form1Window::PaintPanel(HWND panel, HDC dc, const RECT& client) {
  // Windowless children: shadows first, then the labels over them.
  std::string panelName;
  for (const Control& c : controls_)
    if (c.hwnd == panel) panelName = c.name;
  bool onBand = false;
  if (auto it = byName_.find(panelName); it != byName_.end()) onBand = controls_[it->second].kind == Kind::kBand;
  SetBkMode(dc, TRANSPARENT);
  const bool hc = HighContrast();
  for (int pass = 0; pass < 2; ++pass) {
    for (Control& c : controls_) {
      if (c.hwnd || c.parent != panelName) continue;
      if (((c.flags & kShadow) != 0) != (pass == 0)) continue;
      const ControlState& s = form_.controls.Get(c.name);
      if (!s.visible) continue;
      RECT r = WindowlessRect(c);
      c.shown = r;
      if (c.kind == Kind::kImage) {
        if (c.name == ctl::pBarImg) {
          RECT bar{r.left, 0, r.right, client.bottom};
          FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
        } else if (c.name == ctl::imgErrInfo) {
          HICON info = LoadIcon(nullptr, IDI_INFORMATION);
          DrawIconEx(dc, r.left, r.top, info, r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
        } else if (!s.picture.empty()) {
          HBITMAP picture = Picture(s.picture);
          BITMAP bm{};
          if (!picture || !GetObjectA(picture, sizeof bm, &bm)) continue;
          HDC mem = CreateCompatibleDC(dc);
          {
            Selected keep(mem, picture);
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, r.left, r.top, bm.bmWidth, std::abs(bm.bmHeight), mem, 0, 0, bm.bmWidth,
                       std::abs(bm.bmHeight), blend);
          }
          DeleteDC(mem);
        }
        continue;
      }
      Selected f(dc, (c.flags & kBig) ? big_ : (c.flags & kBold) ? bold_ : font_);
      COLORREF color = GetSysColor(COLOR_BTNTEXT);
      if (hc) {
        // Only the system's colours: no shadows, no fixed band or accent colours.
        if (c.flags & kShadow) continue;
      } else if (onBand) {
        color = (c.flags & kShadow) ? kBandShadow : kBandText;
      } else if (c.flags & kShadow) {
        color = GetSysColor(COLOR_BTNHIGHLIGHT);
      } else if (c.flags & kAccent) {
        color = kAccentText;
      }
      if (!form_.controls.Enabled(c.name)) color = GetSysColor(COLOR_GRAYTEXT);
      SetTextColor(dc, color);
      // A line taller than its container is centred in what shows of it.
      if (!(c.flags & kWrap)) IntersectRect(&r, &r, &client);
      UINT format = DT_NOPREFIX;
      format |= (c.flags & kWrap) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
      if (c.flags & kEllipsis) format |= DT_END_ELLIPSIS;
      if (c.flags & kCenter) format |= DT_CENTER;
      if (c.flags & kRight) format |= DT_RIGHT;
      DrawTextUtf8(dc, s.text, &r, format);
    }
  }
}

LRESULT Form1Window::PanelMessage(HWND panel, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
      // The controls' messages go to the window, which knows every control.
      return SendMessageA(hwnd_, msg, wp, lp);
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(panel, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PRINTCLIENT:
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = msg == WM_PAINT ? BeginPaint(panel, &ps) : reinterpret_cast<HDC>(wp);
      RECT client;
      GetClientRect(panel, &client);
      // Drawn off screen: the background (the band's gradient when it has
      // one) and the texts over it reach the screen at once.
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
      {
        Selected keep(mem, bitmap);
        SendMessageA(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0);
        for (const Control& c : controls_) {
          if (c.hwnd == panel && c.kind == Kind::kBaseBox) DrawEdge(mem, &client, EDGE_RAISED, BF_RECT);
        }
        PaintPanel(panel, mem, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
      }
      DeleteObject(bitmap);
      DeleteDC(mem);
      if (msg == WM_PAINT) EndPaint(panel, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(panel, msg, wp, lp);
  }
}

LRESULT CALLBACK Form1Window::PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->hwnd_) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    return self->PanelMessage(hwnd, msg, wp, lp);
  } catch (...) {
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK Form1Window::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<Form1Window*>(cs->lpCreateParams)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->hwnd_) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    // No C++ exception may cross into user32.
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

LRESULT Form1Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        OnDialogKey(LOWORD(wp));
        return 0;
      }
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return HandleNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_CONTEXTMENU:
      // The tree asks its parent for the menu of a right click.
      if (reinterpret_cast<HWND>(wp) == ControlWindow(ctl::tvwTree)) {
        ShowTreeMenu(lp);
        return 0;
      }
      break;
    case kHelpLostFocus:
      RunHandler([this] { form_.hlpBtn_LostFocus(); });
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client;
      GetClientRect(hwnd_, &client);
      PaintPanel(hwnd_, dc, client);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SETCURSOR:
      if (busyPointer_) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_SYSCOLORCHANGE:
      // The common controls follow the new colours only when told.
      for (const Control& c : controls_)
        if (c.hwnd) SendMessageA(c.hwnd, WM_SYSCOLORCHANGE, wp, lp);
      SendMessageA(status_, WM_SYSCOLORCHANGE, wp, lp);
      ApplyTreeColours();
      CheckAndChangeApperance();
      return 0;
    case WM_SETTINGCHANGE:
      if (wp == SPI_SETHIGHCONTRAST) {
        ApplyTreeColours();
        CheckAndChangeApperance();
      }
      break;
    case WM_CLOSE:
      if (handlerDepth_ > 0) {
        // A scan or a dialog is running below: stop it, close afterwards.
        closePending_ = true;
        form_.abortPressed = true;
        if (form_.sReg) form_.sReg->StopSearch();
        return 0;
      }
      DestroyWindow(hwnd_);
      return 0;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) Relayout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      if (minWindow_.cx > 0) info->ptMinTrackSize = POINT{minWindow_.cx, minWindow_.cy};
      return 0;
    }
    case WM_DESTROY:
      SavePlacement();
      form_.Form_Unload();
      DeleteButtonFaces(hwnd_);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      for (Control& c : controls_) c.hwnd = nullptr;
      status_ = nullptr;
      hwnd_ = nullptr;
      mirror_.clear();
      itemIndex_.clear();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

}  // namespace hw
