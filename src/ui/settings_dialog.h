#pragma once
// The settings dialog's logic (`configForm`): folders, switches and the
// language, read from the registry when it opens and written back on OK,
// and the exclusion list, whose Remove takes effect at once.
// A platform window shows `controls` and forwards clicks; tests drive it
// without a window.
#include <functional>
#include <string>
#include <vector>

#include "ui/form_model.h"

namespace hw {

class Form1;

namespace cfg {
inline constexpr char configForm[] = "configForm";  // the dialog: title, size
inline constexpr char TabStrip1[] = "TabStrip1";
inline constexpr char optFrame[] = "optFrame";
inline constexpr char frmPath[] = "frmPath";
inline constexpr char frameAbout[] = "frameAbout";
inline constexpr char chkNoConfirmation[] = "chkNoConfirmation";
inline constexpr char chkStartUp[] = "chkStartUp";
inline constexpr char chkAutoBackUp[] = "chkAutoBackUp";
inline constexpr char lblLanguage[] = "lblLanguage";
inline constexpr char cboLanguage[] = "cboLanguage";
inline constexpr char lblBackups[] = "lblBackups";
inline constexpr char txtBackupFilepath[] = "txtBackupFilepath";
inline constexpr char cmdBackupBrowse[] = "cmdBackupBrowse";
inline constexpr char lblWaveFile[] = "lblWaveFile";
inline constexpr char txtSoundFilePath[] = "txtSoundFilePath";
inline constexpr char cmdWaveBrowse[] = "cmdWaveBrowse";
inline constexpr char lblRefFiles[] = "lblRefFiles";
inline constexpr char txtRefFilePath[] = "txtRefFilePath";
inline constexpr char cmdRefBrowse[] = "cmdRefBrowse";
inline constexpr char lblLogFile[] = "lblLogFile";
inline constexpr char txtLogFilePath[] = "txtLogFilePath";
inline constexpr char cmdLogBrowse[] = "cmdLogBrowse";
inline constexpr char Image1[] = "Image1";
inline constexpr char lblCopyRightText[] = "lblCopyRightText";
inline constexpr char cmdOk[] = "cmdOk";
inline constexpr char cmdCancel[] = "cmdCancel";
inline constexpr char frmExclusions[] = "frmExclusions";
inline constexpr char lstExclusions[] = "lstExclusions";  // value: selected index, -1 for none
inline constexpr char cmdRemoveExclusion[] = "cmdRemoveExclusion";
/// Captions of the four tabs.
std::string TabCaption(int index);  // "TabStrip1.Tab(i)", i = 1..4
}  // namespace cfg

class SettingsDialog {
 public:
  /// The dialog of `form`'s program: its platform, registry helpers and
  /// settings; OK re-texts `form` when the language changed.
  explicit SettingsDialog(Form1& form);

  /// Fills every control from the registry and the language folder and
  /// opens the Options page.
  void Form_Load();
  /// Shows the page of the selected tab's key.
  void TabStrip1_Click();
  /// A click on tab `index` (1 to 4).
  void SelectTab(int index);
  void cmdBackupBrowse_Click();
  void cmdWaveBrowse_Click();
  void cmdRefBrowse_Click();
  void cmdLogBrowse_Click();
  /// Selects entry `index` of the exclusion list (-1 for none); Remove is
  /// enabled only with an entry selected.
  void SelectExclusion(int index);
  /// Takes the selected entry off the list and out of the registry, so the
  /// next scan reports it again; nothing when none is selected.
  void cmdRemoveExclusion_Click();
  /// Saves everything, creates the backup and log folders, sets or removes
  /// the start-up entry, re-texts the main window when the language
  /// changed, and unloads.
  void cmdOk_Click();
  void cmdCancel_Click();
  /// The dialog's identifiers of the language file. A line without a number
  /// puts the design captions back and shows the trap's message (source
  /// "ApplyDialogTexts"), as the main window does.
  void ApplyDialogTexts();
  /// Captions as designed (before any language file).
  void ApplyFormDesign();

  /// The Run value: the program path in quotation marks, then " /S".
  std::string StartupCommand() const;
  void AddStartupEntry();
  void RemoveStartupEntry();

  /// The entries of `cboLanguage` (in `controls`, its text is the chosen
  /// entry and its value the index, -1 for none).
  std::vector<std::string>& LanguageList() { return languages_; }
  /// Chooses entry `index` of the language list.
  void SelectLanguage(int index);

  FormModel controls;
  /// Title of the folder picker.
  std::string browseTitle;
  /// The language shown when the dialog finished loading.
  std::string languageInForce;
  /// Tab keys in order and the selected tab (1-based).
  std::vector<std::string> tabKeys{"options", "Paths", "About", "Exclusions"};
  int selectedTab = 1;
  /// Set by OK and Cancel; the window closes itself then.
  bool unloaded = false;
  /// Called when the dialog unloads (the window closes).
  std::function<void()> onUnload;

 private:
  void Browse(const char* textBox);
  void ListExclusions();
  void Unload();

  Form1& form_;
  std::vector<std::string> languages_;
};

}  // namespace hw
