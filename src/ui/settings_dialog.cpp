#include "ui/settings_dialog.h"

#include <algorithm>

#include "engine/drives.h"
#include "platform/system_info.h"
#include "platform/file_services.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "ui/form1.h"
#include "ui/language_file.h"
#include "ui/main_texts.h"
#include "platform/user_dialogs.h"

namespace hw {

namespace cfg {
std::string TabCaption(int index) { return "TabStrip1.Tab(" + std::to_string(index) + ")"; }
}  // namespace cfg

namespace {

constexpr char kDefaultBrowseTitle[] = "Choose Directory..";
// The dialog as designed: the tab strip's size in twips; the dialog is
// 100 twips wider and 500 higher.
constexpr int kTabStripWidth = 6600;
constexpr int kTabStripHeight = 4200;

}  // namespace

SettingsDialog::SettingsDialog(Form1& form) : form_(form) { ApplyFormDesign(); }

void SettingsDialog::ApplyFormDesign() {
  const std::pair<const char*, const char*> captions[] = {
      {cfg::configForm, "Custom Settings"},
      {cfg::chkNoConfirmation, "Remove All Problems Automatically"},
      {cfg::chkStartUp, "Start on Windows Startup"},
      {cfg::chkAutoBackUp, "Automatically create backup before repair"},
      {cfg::lblLanguage, "Language"},
      {cfg::lblBackups, "Backups :"},
      {cfg::lblWaveFile, "Wave Files :"},
      {cfg::lblRefFiles, "Ref. Files :"},
      {cfg::lblLogFile, "Log Files :"},
      {cfg::lblCopyRightText, kCopyrightNotice},
      {cfg::cmdOk, "&OK"},
      {cfg::cmdCancel, "&Cancel"},
      {cfg::cmdBackupBrowse, "..."},
      {cfg::cmdWaveBrowse, "..."},
      {cfg::cmdRefBrowse, "..."},
      {cfg::cmdLogBrowse, "..."},
  };
  for (const auto& [name, text] : captions) controls.SetText(name, text);
  controls.SetText(cfg::TabCaption(1), "Options");
  controls.SetText(cfg::TabCaption(2), "Paths");
  controls.SetText(cfg::TabCaption(3), "About");
  controls.SetText(cfg::TabCaption(4), "Exclusions");
  controls.SetText(cfg::cmdRemoveExclusion, "Remove");
  controls.SetPicture(cfg::Image1, "Emblem");
  controls.SetWidth(cfg::TabStrip1, kTabStripWidth);
  controls.SetHeight(cfg::TabStrip1, kTabStripHeight);
}

void SettingsDialog::Form_Load() {
  Settings& s = form_.settings;
  const std::string program = form_.p.system.ProgramFolder();
  browseTitle = kDefaultBrowseTitle;
  ApplyDialogTexts();
  // The faces of OK and Cancel show the main window's pictures.
  controls.SetPicture(cfg::cmdOk, "imgOk");
  controls.SetPicture(cfg::cmdCancel, "imgCross");

  const std::pair<const char*, std::pair<const char*, const char*>> paths[] = {
      {cfg::txtBackupFilepath, {"BackUpFile", "\\Backup"}},
      {cfg::txtLogFilePath, {"LogFile", "\\Log"}},
      {cfg::txtRefFilePath, {"RefFile", "\\Ref"}},
      {cfg::txtSoundFilePath, {"SoundFile", "\\Sound"}},
  };
  for (const auto& [box, setting] : paths) controls.SetText(box, s.Read(kLocalMachine, kPathKey, setting.first));
  for (const auto& [box, setting] : paths)
    if (Trim(controls.Text(box)).empty()) controls.SetText(box, program + setting.second);

  const std::pair<const char*, const char*> switches[] = {
      {cfg::chkNoConfirmation, "NoConfirmation"}, {cfg::chkAutoBackUp, "AutoBackup"}, {cfg::chkStartUp, "Startup"}};
  for (const auto& [box, setting] : switches) controls.SetValue(box, s.Switch(setting) ? 1 : 0);

  controls.SetWidth(cfg::configForm, controls.Get(cfg::TabStrip1).width + 100);
  controls.SetHeight(cfg::configForm, controls.Get(cfg::TabStrip1).height + 500);

  std::string folder = s.Read(kLocalMachine, kPathKey, "RefFile");
  if (folder.empty()) folder = program + "\\Ref";
  languages_.clear();
  if (form_.p.files.FolderExists(folder)) {
    for (const FolderFile& f : form_.p.files.GetFolderFiles(folder)) {
      if (f.name.size() > 4 && Right(f.name, 4) == ".ini") languages_.push_back(Left(f.name, f.name.size() - 4));
    }
  }
  if (languages_.empty()) {
    languages_.push_back("English");
    SelectLanguage(0);
  } else {
    const std::string current = s.Language();
    int chosen = static_cast<int>(languages_.size()) - 1;
    for (size_t i = 0; i < languages_.size(); ++i) {
      if (EqualsNoCase(languages_[i], current)) {
        chosen = static_cast<int>(i);
        break;
      }
    }
    SelectLanguage(chosen);
  }
  controls.ItemsChanged(cfg::cboLanguage);
  languageInForce = controls.Text(cfg::cboLanguage);

  form_.exclusions.Load(form_.module1);
  ListExclusions();
  SelectTab(1);
}

void SettingsDialog::SelectLanguage(int index) {
  if (index < 0 || index >= static_cast<int>(languages_.size())) return;
  controls.SetValue(cfg::cboLanguage, index);
  controls.SetText(cfg::cboLanguage, languages_[static_cast<size_t>(index)]);
}

void SettingsDialog::SelectTab(int index) {
  if (index < 1 || index > static_cast<int>(tabKeys.size())) return;
  selectedTab = index;
  controls.SetValue(cfg::TabStrip1, index);
  TabStrip1_Click();
}

void SettingsDialog::TabStrip1_Click() {
  const std::string key = LCase(tabKeys[static_cast<size_t>(selectedTab - 1)]);
  const char* page = key == "options"      ? cfg::optFrame
                     : key == "about"      ? cfg::frameAbout
                     : key == "paths"      ? cfg::frmPath
                     : key == "exclusions" ? cfg::frmExclusions
                                           : nullptr;
  if (!page) return;
  controls.SetVisible(cfg::optFrame, false);
  controls.SetVisible(cfg::frameAbout, false);
  controls.SetVisible(cfg::frmExclusions, false);
  controls.SetVisible(page, true);
  controls.BringToFront(page);
}

void SettingsDialog::Browse(const char* textBox) {
  const std::string folder = form_.p.dialogs.BrowseForFolder(browseTitle, Trim(controls.Text(textBox)));
  if (!Trim(folder).empty()) controls.SetText(textBox, folder);
}

void SettingsDialog::cmdBackupBrowse_Click() { Browse(cfg::txtBackupFilepath); }
void SettingsDialog::cmdWaveBrowse_Click() { Browse(cfg::txtSoundFilePath); }
void SettingsDialog::cmdRefBrowse_Click() { Browse(cfg::txtRefFilePath); }
void SettingsDialog::cmdLogBrowse_Click() { Browse(cfg::txtLogFilePath); }

void SettingsDialog::ListExclusions() {
  std::vector<ListItem>& items = controls.Items(cfg::lstExclusions);
  items.clear();
  for (const std::string& entry : form_.exclusions.Entries()) items.push_back({entry, {}});
  controls.ItemsChanged(cfg::lstExclusions);
  SelectExclusion(-1);
}

void SettingsDialog::SelectExclusion(int index) {
  if (index < 0 || index >= static_cast<int>(controls.Items(cfg::lstExclusions).size())) index = -1;
  controls.SetValue(cfg::lstExclusions, index);
  controls.SetEnabled(cfg::cmdRemoveExclusion, index >= 0);
}

void SettingsDialog::cmdRemoveExclusion_Click() {
  const long index = controls.Get(cfg::lstExclusions).value;
  const std::vector<ListItem>& items = controls.Items(cfg::lstExclusions);
  if (index < 0 || index >= static_cast<long>(items.size())) return;
  form_.exclusions.Remove(form_.module1, items[static_cast<size_t>(index)].text);
  ListExclusions();
  // The next entry takes the removed one's place, so several go by repeated clicks.
  SelectExclusion(std::min(static_cast<int>(index), static_cast<int>(form_.exclusions.Entries().size()) - 1));
}

void SettingsDialog::cmdOk_Click() {
  Settings& s = form_.settings;
  auto check = [this](const char* box) { return controls.Get(box).value == 1 ? std::string("1") : std::string("0"); };
  s.Write(kCurrentUser, kLanguageKey, "default", controls.Text(cfg::cboLanguage));
  s.Write(kCurrentUser, kOptionsKey, "NoConfirmation", check(cfg::chkNoConfirmation));
  s.Write(kCurrentUser, kOptionsKey, "AutoBackup", check(cfg::chkAutoBackUp));
  s.Write(kCurrentUser, kOptionsKey, "Startup", check(cfg::chkStartUp));
  s.Write(kLocalMachine, kPathKey, "BackUpFile", controls.Text(cfg::txtBackupFilepath));
  s.Write(kLocalMachine, kPathKey, "LogFile", controls.Text(cfg::txtLogFilePath));
  s.Write(kLocalMachine, kPathKey, "RefFile", controls.Text(cfg::txtRefFilePath));
  s.Write(kLocalMachine, kPathKey, "SoundFile", controls.Text(cfg::txtSoundFilePath));

  // A folder that cannot be made is not reported; the readers fall back.
  for (const char* box : {cfg::txtBackupFilepath, cfg::txtLogFilePath}) {
    try {
      form_.module1.EnsureFolderPath(controls.Text(box));
    } catch (const RuntimeError&) {
    }
  }

  if (controls.Get(cfg::chkStartUp).value == 1) {
    AddStartupEntry();
  } else {
    RemoveStartupEntry();
  }

  if (LCase(Trim(controls.Text(cfg::cboLanguage))) != LCase(Trim(languageInForce))) form_.FormUpdateCode(false, true);
  Unload();
}

void SettingsDialog::cmdCancel_Click() { Unload(); }

void SettingsDialog::Unload() {
  unloaded = true;
  if (onUnload) onUnload();
}

std::string SettingsDialog::StartupCommand() const {
  // Quoted: unquoted, a path with spaces lets Windows try "C:\Program.exe".
  SystemInfo& system = form_.p.system;
  return "\"" + system.ProgramFolder() + "\\" + system.ProgramName() + ".exe\" /S";
}

void SettingsDialog::AddStartupEntry() {
  const RegKey hklm = Module1::RootKeyFromName(kLocalMachine);
  form_.module1.RegistryCreateNewKey(hklm, kRunKey);
  form_.module1.WriteRegistryValue(hklm, kRunKey, kRunValueName, StartupCommand(), 1);
}

void SettingsDialog::RemoveStartupEntry() {
  form_.module1.RegistryDeleteValue(Module1::RootKeyFromName(kLocalMachine), kRunKey, kRunValueName);
}

void SettingsDialog::ApplyDialogTexts() {
  Settings& s = form_.settings;
  const std::string name = s.Language();
  const std::string path = s.RefFolder() + "\\" + name + ".ini";
  if (name.empty() || !form_.p.files.FileExists(path)) return;
  try {
    ReadLanguageFile(form_.p.files, path, [this](int id, const std::string& t) {
      switch (id) {
        case 1055: controls.SetText(cfg::cmdCancel, t); break;
        case 1056: controls.SetText(cfg::cmdOk, t); break;
        case 1057: controls.SetText(cfg::configForm, t); break;
        case 1058: controls.SetText(cfg::chkNoConfirmation, t); break;
        case 1059: controls.SetText(cfg::chkStartUp, t); break;
        case 1060: controls.SetText(cfg::lblLanguage, t); break;
        case 1061: controls.SetText(cfg::lblLogFile, t); break;
        case 1062: controls.SetText(cfg::lblRefFiles, t); break;
        case 1063: controls.SetText(cfg::lblWaveFile, t); break;
        case 1064: controls.SetText(cfg::lblBackups, t); break;
        case 1028: {
          controls.SetText(cfg::lblCopyRightText, t);
          const ControlState& frame = controls.Get(cfg::frameAbout);
          const ControlState& label = controls.Get(cfg::lblCopyRightText);
          controls.SetLeft(cfg::lblCopyRightText, (frame.width - label.width) / 2);
          break;
        }
        case 1065: browseTitle = t; break;
        case 1066: controls.SetText(cfg::TabCaption(1), t); break;
        case 1067: controls.SetText(cfg::TabCaption(2), t); break;
        case 1068: controls.SetText(cfg::TabCaption(3), t); break;
        case 1087: controls.SetText(cfg::chkAutoBackUp, t); break;
        case 1142: controls.SetText(cfg::TabCaption(4), t); break;
        case 1143: controls.SetText(cfg::cmdRemoveExclusion, t); break;
        default: break;
      }
    });
  } catch (const RuntimeError& e) {
    ApplyFormDesign();
    browseTitle = kDefaultBrowseTitle;
    form_.p.dialogs.MessageBox(TrapMessage(e.Description(), "ApplyDialogTexts"), kAppTitle, MsgButtons::kOk);
  }
}

}  // namespace hw
