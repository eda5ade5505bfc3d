#pragma once
// The real main window over the page logic: creates every control, shows
// each change of the logic's control state and tree at once, and forwards
// clicks to the logic's handlers.
#include "platform/windows_win32.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "ui/form1.h"
#include "ui/form1_view.h"
#include "ui/window_layout.h"
#include "ui/win32/pictures_win32.h"
#include "ui/win32/taskbar_progress_win32.h"

namespace hw {

class Form1Window : public Form1View {
 public:
  /// The page logic runs over `platform`; its dialogs should be owned by
  /// this window (Win32UserDialogs::SetOwner(Handle()) after Create).
  explicit Form1Window(Platform& platform);
  ~Form1Window() override;
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  /// Creates the window and all its controls, hidden. False when Windows
  /// refused. The logic's state is not loaded yet (Form1::Form_Load).
  bool Create(HINSTANCE instance);
  HWND Handle() const { return hwnd_; }
  Form1& Form() { return form_; }

  void Show();
  void Hide();
  /// Brings the main window of another running instance to the front (a
  /// minimised one is restored; a hidden one, still behind its splash, is
  /// left alone).
  static void BringRunningToFront();
  /// Runs the thread's message loop until the window has gone; returns
  /// the WM_QUIT code.
  int RunMessageLoop();

  /// The child window of a windowed control; null for labels and images.
  HWND ControlWindow(const std::string& name) const;
  /// Presses a button the way a click does (BN_CLICKED to the window).
  void Click(const std::string& button);
  /// True when the control and every container above it are visible.
  bool Showing(const std::string& name) const;
  /// Rectangle of a control in the window's client pixels, windowless
  /// controls included (for tests and screenshots).
  RECT ClientRectOf(const std::string& name) const;
  /// The tree item of a node, null when the node is not shown.
  HTREEITEM TreeItemOf(const TreeNode* node) const;
  /// Runs a handler of the logic (also work started elsewhere, such as the
  /// splash's start-up scan): no exception crosses into user32, and a close
  /// asked for meanwhile stops a running scan and happens when the
  /// outermost handler returns.
  void RunHandler(const std::function<void()>& handler);
  /// Decides high contrast instead of the system's flag (tests: Wine
  /// cannot switch the flag).
  std::optional<bool> highContrast;
  /// Replaces the settings dialog the settings button shows (tests).
  std::function<void()> settingsDialog;

  // ---- Form1View -------------------------------------------------------------
  TreeNode* HitTest(float x, float y) override;
  void TreeChanged() override;
  void ScrollTreeToTop() override;
  void SetMousePointer(int pointer) override;
  void ShowSettingsDialog() override;
  std::string FocusedControl() override;
  void SetFocus(const std::string& control) override;
  void CheckAndChangeApperance() override;
  void RefreshButtonSkins() override;
  void SetImgLstPic() override;
  std::uintptr_t WindowHandle() override { return reinterpret_cast<std::uintptr_t>(hwnd_); }
  bool IsMinimized() override;

 private:
  enum class Kind { kArea, kPanel, kBand, kBaseBox, kBar, kLabel, kImage, kButton, kTree, kList, kProgress, kEdit };
  struct Control {
    std::string name;
    Kind kind;
    std::string parent;  // empty: the window itself
    unsigned flags = 0;
    HWND hwnd = nullptr;
    int id = 0;
    RECT shown{};  // where a windowless control was last drawn (parent pixels)
  };
  struct MirrorItem {
    TreeNode* node;
    TreeNode* parent;
    HTREEITEM item;
    std::string text, image;
    bool bold, grey;
    std::uint32_t color;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK TreeSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleNotify(const NMHDR& header);
  LRESULT PanelMessage(HWND panel, UINT msg, WPARAM wp, LPARAM lp);
  void PaintPanel(HWND panel, HDC dc, const RECT& client);

  void DeclareControls();
  bool CreateControls(HINSTANCE instance);
  HWND ParentWindow(const Control& c) const;
  void OnControlChanged(const std::string& name, FormModel::Change what);
  void FitWindow();
  /// Where a control lies now: its place in the page logic, following its
  /// container's growth beyond the design (ui/window_layout.h).
  TwipsRect Placed(const std::string& name) const;
  /// Every control placed again for the window's new size.
  void Relayout();
  /// The scan's progress in the title and on the taskbar button while a
  /// scan runs; the plain title once it has ended.
  void ShowScanProgress();
  /// The size and place of the last run, when they are on a screen now.
  void RestorePlacement();
  void SavePlacement();
  void ApplyAll();
  void ApplyText(Control& c);
  void ApplyPosition(Control& c);
  void ApplyVisible(Control& c);
  void ApplyPicture(Control& c);
  void ApplyValue(Control& c);
  void ApplyZOrder();
  void ApplyItems();
  void InvalidateWindowless(Control& c);
  RECT WindowlessRect(const Control& c) const;
  void SkinButton(const Control& c);
  void PaintBands();
  void RebuildTree();
  void UpdateTree();
  TreeNode* LiveNode(TreeNode* node) const;
  TreeNode* NodeOfItem(HTREEITEM item) const;
  void OnCommand(int id, int code);
  /// The context menu of a tree node: at the pointer (`lp` from
  /// WM_CONTEXTMENU) or, from the keyboard, below the selected node.
  void ShowTreeMenu(LPARAM lp);
  /// Enter (IDOK) and Esc (IDCANCEL) from the dialog manager.
  void OnDialogKey(int id);
  /// True in a high-contrast scheme: every text in the system's colours.
  bool HighContrast() const;
  /// The tree's background, text and picture colours for the scheme.
  void ApplyTreeColours();
  /// Pages lying wholly behind another are disabled, and a focus lost with
  /// a page goes to the page in front.
  void UpdateReachability();
  bool Covered(const Control& page) const;
  /// The window and every parent up to the main window enabled and visible.
  bool ReachableWindow(HWND h) const;
  HBITMAP Picture(const std::string& key);

  int Px(int twips) const { return MulDiv(twips, dpi_, 1440); }
  float Twips(int px) const { return static_cast<float>(px) * 1440.0f / static_cast<float>(dpi_); }

  Form1 form_;
  HWND hwnd_ = nullptr;
  HWND status_ = nullptr;
  int dpi_ = 96;
  std::vector<Control> controls_;
  std::map<std::string, std::size_t> byName_;
  std::map<int, std::size_t> byId_;
  std::map<std::string, Bitmap> pictures_;
  HFONT font_ = nullptr, bold_ = nullptr, big_ = nullptr;
  HIMAGELIST treeImages_ = nullptr;
  std::map<std::string, int> treeImageIndex_;
  std::vector<MirrorItem> mirror_;
  std::unordered_map<HTREEITEM, std::size_t> itemIndex_;
  bool mirroring_ = false;
  bool keyMenu_ = false;
  SIZE minWindow_{0, 0};     // the window's size for the design's client area
  bool showMaximized_ = false;  // the last run ended maximised
  TaskbarProgress taskbar_;
  bool progressShown_ = false;  // a menu key press opened the menu; its release is swallowed
  POINT lastPress_{-1, -1};  // tree pixels of the last mouse press on the tree
  bool busyPointer_ = false;
  int handlerDepth_ = 0;
  bool closePending_ = false;
};

}  // namespace hw
