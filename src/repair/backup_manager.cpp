// The backup manager panel: list, restore and delete backup files, and the
// results page's Backup button that names the next backup.
#include "platform/system_info.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "repair/backup_file.h"
#include "repair/backup_survey.h"
#include "repair/reg_export.h"
#include "repair/device_names.h"
#include "repair/shortcut_backup.h"
#include "ui/control_names.h"
#include "ui/form1.h"
#include "platform/user_dialogs.h"

namespace hw {
namespace {

// Enough lines to say which values are missing without a box taller than
// the screen.
constexpr std::size_t kMaxListedValues = 20;

}  // namespace

void Form1::BackupBtn_Click() {
  controls.SetVisible(ctl::pctBackManegerTop, true);
  view.CheckAndChangeApperance();
  controls.SetVisible(ctl::ListVW1, true);
  controls.SetLeft(ctl::fraBackUp, 3000);
  controls.SetTop(ctl::fraBackUp, 60);
  controls.SetVisible(ctl::fraBackUp, true);
  controls.BringToFront(ctl::fraBackUp);
  ListBackups();
}

void Form1::ListBackups() {
  std::vector<ListItem>& items = controls.Items(ctl::ListVW1);
  items.clear();
  try {
    const std::string folder = settings.BackupFolder();
    module1.EnsureFolderPath(folder);
    for (const FolderFile& file : p.files.GetFolderFiles(folder)) {
      if (!Contains(file.name, ".bak", true)) continue;
      ListItem item;
      item.text = file.name.size() >= 4 ? file.name.substr(0, file.name.size() - 4) : std::string();
      item.subItems = {p.system.FormatLongDate(file.created), std::to_string(file.size) + " byte"};
      items.push_back(std::move(item));
    }
  } catch (const RuntimeError&) {
    // A folder that cannot be made or listed shows as an empty list.
  }
  controls.ItemsChanged(ctl::ListVW1);
  const bool any = !controls.Items(ctl::ListVW1).empty();
  controls.SetVisible(ctl::cmdRestore, any);
  controls.SetVisible(ctl::cmdExport, any);
  controls.SetVisible(ctl::cmdCleanBackUp, any);
}

void Form1::cmdBackUp_Click() {
  std::string name = Trim(p.dialogs.InputBox(texts.backupNamePrompt, texts.backupNameTitle));
  for (const char* c : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"}) name = Replace(name, c, "");
  name = LeftChars(name, 256);
  if (IsDeviceName(name)) {
    // Written to the device, the backup would seem made and hold nothing.
    p.dialogs.MessageBox(Replace(texts.deviceNameMessage, "%1", name), kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
    name.clear();
  }
  BackupName = name;
}

void Form1::cmdRestore_Click() {
  const std::string folder = settings.BackupFolder();
  std::vector<std::string> names;
  for (const ListItem& item : controls.Items(ctl::ListVW1)) {
    if (item.checked) names.push_back(item.text);
  }
  // First a look at all of them: another program's file is left alone, and
  // newer data is overwritten only when the user says so, asked once.
  std::vector<std::string> foreign;
  std::vector<std::string> backups;
  int withOtherData = 0;
  for (const std::string& name : names) {
    const std::string path = folder + "\\" + name + ".bak";
    const BackupSurvey survey =
        p.files.FileExists(path) ? SurveyBackup(p.registry, p.files, path) : BackupSurvey{};
    if (survey.foreign) {
      foreign.push_back(name + ".bak");
      continue;
    }
    backups.push_back(name);
    withOtherData += survey.valuesWithOtherData;
  }
  const bool overwrite =
      withOtherData == 0 ||
      p.dialogs.MessageBox(Replace(texts.overwriteQuestion, "%1", std::to_string(withOtherData)), kAppTitle,
                           MsgButtons::kYesNo, MsgIcon::kQuestion) == MsgAnswer::kYes;

  std::vector<std::string> notRestored;
  std::vector<std::string> keptBackups;
  for (const std::string& name : backups) {
    const std::string path = folder + "\\" + name + ".bak";
    RestoreResult r;
    if (p.files.FileExists(path)) r = RestoreBackupFile(p.registry, p.files, path, overwrite, texts.damagedRecordNote);
    const ShortcutRestore s = RestoreShortcutFiles(p.files, path);
    r.failed.insert(r.failed.end(), s.failed.begin(), s.failed.end());
    // A backup is used up only when every value in it is back.
    if (!r.Complete()) {
      keptBackups.push_back(name);
      notRestored.insert(notRestored.end(), r.failed.begin(), r.failed.end());
      continue;
    }
    try {
      DeleteShortcutFiles(p.files, path);
      if (p.files.FileExists(path)) p.files.DeleteFile(path, true);
    } catch (const RuntimeError&) {
      // Left in the list; restoring it again writes the same values.
    }
  }
  ListBackups();
  cmdCancel_Click();
  if (!foreign.empty()) {
    std::string list;
    for (const std::string& name : foreign) list += (list.empty() ? "" : ", ") + name;
    p.dialogs.MessageBox(Replace(texts.noBackupMessage, "%1", list), kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
  }
  if (notRestored.empty()) return;
  std::string text = texts.notRestoredMessage;
  for (std::size_t i = 0; i < notRestored.size() && i < kMaxListedValues; ++i) text += "\r\n" + notRestored[i];
  if (notRestored.size() > kMaxListedValues)
    text += "\r\n" + Replace(texts.moreNotRestored, "%1", std::to_string(notRestored.size() - kMaxListedValues));
  text += "\r\n\r\n" + texts.backupsKeptMessage;
  for (const std::string& name : keptBackups) text += "\r\n" + name;
  p.dialogs.MessageBox(text, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
}

void Form1::cmdExport_Click() {
  const std::string folder = settings.BackupFolder();
  std::string written, failed;
  for (const ListItem& item : controls.Items(ctl::ListVW1)) {
    if (!item.checked) continue;
    const std::string reg = folder + "\\" + item.text + ".reg";
    try {
      if (ExportBackupAsRegFile(p.files, folder + "\\" + item.text + ".bak", reg) > 0) {
        written += "\r\n" + reg;
      } else {
        failed += Replace(texts.noBackupMessage, "%1", item.text + ".bak") + "\r\n";
      }
    } catch (const RuntimeError& e) {
      failed += reg + " (" + e.Description() + ")\r\n";
    }
  }
  if (!written.empty())
    p.dialogs.MessageBox(Replace(texts.exportDoneMessage, "%1", written), kAppTitle, MsgButtons::kOk,
                         MsgIcon::kInformation);
  if (!failed.empty()) p.dialogs.MessageBox(failed, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
}

void Form1::cmdCleanBackUp_Click() {
  const std::string folder = settings.BackupFolder();
  for (const ListItem& item : controls.Items(ctl::ListVW1)) {
    if (!item.checked) continue;
    const std::string path = folder + "\\" + item.text + ".bak";
    try {
      DeleteShortcutFiles(p.files, path);
      if (p.files.FileExists(path)) p.files.DeleteFile(path, true);
    } catch (const RuntimeError&) {
    }
  }
  ListBackups();
}

void Form1::cmdCancel_Click() {
  controls.SetLeft(ctl::fraBackUp, 3000);
  controls.SetTop(ctl::fraBackUp, 60);
  controls.SetVisible(ctl::fraBackUp, false);
}

}  // namespace hw
