#pragma once
// The settings dialog's window: a tab control with four pages, check
// boxes, the language list, four folder boxes with browse buttons, the
// exclusion list with Remove, and OK
// and Cancel with picture faces. The logic is SettingsDialog.
#include "platform/windows_win32.h"

#include <map>
#include <optional>
#include <string>

#include "ui/settings_dialog.h"
#include "ui/win32/pictures_win32.h"

namespace hw {

class Form1;

class SettingsDialogWindow {
 public:
  explicit SettingsDialogWindow(Form1& form);
  SettingsDialogWindow(const SettingsDialogWindow&) = delete;
  SettingsDialogWindow& operator=(const SettingsDialogWindow&) = delete;
  /// Deletes the faces and the window.
  ~SettingsDialogWindow();

  /// Creates the window (hidden), runs the dialog's Form_Load and applies
  /// its state. False when Windows refused.
  bool Create(HWND owner);
  /// Shows the window modal to its owner and returns when OK or Cancel (or
  /// the close box) ended it; true when it ended through OK.
  bool RunModal();

  HWND Handle() const { return hwnd_; }
  /// The window of a control by its name (cfg::...); null when unknown.
  HWND Control(const std::string& name) const;
  SettingsDialog& Logic() { return logic_; }

  /// Faces of Cancel (imgCross) and OK (imgOk), recomposed (SkinDialogButtons).
  void SkinDialogButtons();
  /// The dialog's colours and faces after a colour-scheme change.
  void CheckAndChangeApperance();
  /// Lays the dialog out for this many dots per inch instead of the
  /// screen's (tests: Wine's cannot be changed while it runs). Before Create.
  std::optional<int> dpi;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND Make(const std::string& name, const char* cls, DWORD style, int x, int y, int w, int h, const char* page);
  void OnCommand(int id, int code);
  void OnModelChange(const std::string& name, FormModel::Change what);
  void ShowFrontPage();
  void FillExclusionList();
  int TabCount() const { return static_cast<int>(logic_.tabKeys.size()); }
  void ApplyAll();

  /// Pixels at the dialog's dots per inch of a length designed at 96.
  int Scaled(int px) const { return MulDiv(px, dpi_, 96); }

  SettingsDialog logic_;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  HWND hwnd_ = nullptr;
  HWND tab_ = nullptr;
  HWND panel_ = nullptr;
  std::map<std::string, HWND> controls_;
  std::map<int, std::string> ids_;
  std::map<std::string, std::string> pageOf_;
  Bitmap okPicture_, cancelPicture_, emblem_;
  bool syncing_ = false;
  bool okPressed_ = false;
};

/// Shows the settings dialog of `form` modal to `owner` (the main window's
/// ConfBtn); returns when it has closed, true when OK saved it.
bool ShowSettingsDialog(HWND owner, Form1& form);

}  // namespace hw
