// The backup manager panel: list, restore and delete backup files, and the
// results page's Backup button that names the next backup.
#include <algorithm>
#include <tuple>

#include "platform/system_info.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "repair/backup_store.h"
#include "repair/device_names.h"
#include "ui/control_names.h"
#include "ui/form1.h"
#include "platform/user_dialogs.h"

namespace hw {
namespace {

// Enough lines to say which values are missing without a box taller than
// the screen.
constexpr std::size_t kMaxListedValues = 20;

BackupStore StoreOf(Form1& f) { return BackupStore(f.p.registry, f.p.files, f.settings.BackupFolder()); }

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
  listedBackups_.clear();
  try {
    const std::string folder = settings.BackupFolder();
    module1.EnsureFolderPath(folder);
    listedBackups_ = BackupStore(p.registry, p.files, folder).List();
  } catch (const RuntimeError&) {
    // A folder that cannot be made or listed shows as an empty list.
  }
  controls.Items(ctl::ListVW1).clear();
  ShowListedBackups();
  const bool any = !controls.Items(ctl::ListVW1).empty();
  controls.SetVisible(ctl::cmdRestore, any);
  controls.SetVisible(ctl::cmdExport, any);
  controls.SetVisible(ctl::cmdCleanBackUp, any);
}

void Form1::ListVW1_ColumnClick(int column) {
  if (column < 0 || column > 2) return;
  backupSortDescending = column == backupSortColumn && !backupSortDescending;
  backupSortColumn = column;
  ShowListedBackups();
}

void Form1::ShowListedBackups() {
  std::map<std::string, bool> ticked;
  for (const ListItem& item : controls.Items(ctl::ListVW1)) ticked[item.text] = item.checked;
  if (backupSortColumn >= 0) {
    const int column = backupSortColumn;
    // Dates and sizes compare as what they are, not as their texts; equal
    // ones keep the names in order.
    auto key = [column](const BackupListing& b) {
      const FileTime& t = b.created;
      return std::make_tuple(column == 1 ? std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second)
                                         : std::make_tuple(0, 0, 0, 0, 0, 0),
                             column == 2 ? b.size : 0, LCase(b.name));
    };
    std::stable_sort(listedBackups_.begin(), listedBackups_.end(),
                     [&](const BackupListing& a, const BackupListing& b) {
                       return backupSortDescending ? key(b) < key(a) : key(a) < key(b);
                     });
  }
  std::vector<ListItem>& items = controls.Items(ctl::ListVW1);
  items.clear();
  for (const BackupListing& b : listedBackups_) {
    ListItem item;
    item.text = b.name;
    item.subItems = {p.system.FormatLongDate(b.created), std::to_string(b.size) + " byte"};
    item.checked = ticked[b.name];
    items.push_back(std::move(item));
  }
  controls.ItemsChanged(ctl::ListVW1);
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
  std::vector<std::string> names;
  for (const ListItem& item : controls.Items(ctl::ListVW1)) {
    if (item.checked) names.push_back(item.text);
  }
  const BackupsRestore r = StoreOf(*this).Restore(
      names,
      [this](int withOtherData) {
        return p.dialogs.MessageBox(Replace(texts.overwriteQuestion, "%1", std::to_string(withOtherData)),
                                    kAppTitle, MsgButtons::kYesNo, MsgIcon::kQuestion) == MsgAnswer::kYes;
      },
      texts.damagedRecordNote);
  ListBackups();
  cmdCancel_Click();
  if (!r.foreign.empty()) {
    std::string list;
    for (const std::string& name : r.foreign) list += (list.empty() ? "" : ", ") + name;
    p.dialogs.MessageBox(Replace(texts.noBackupMessage, "%1", list), kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
  }
  if (r.notRestored.empty()) return;
  std::string text = texts.notRestoredMessage;
  for (std::size_t i = 0; i < r.notRestored.size() && i < kMaxListedValues; ++i) text += "\r\n" + r.notRestored[i];
  if (r.notRestored.size() > kMaxListedValues)
    text += "\r\n" + Replace(texts.moreNotRestored, "%1", std::to_string(r.notRestored.size() - kMaxListedValues));
  text += "\r\n\r\n" + texts.backupsKeptMessage;
  for (const std::string& name : r.kept) text += "\r\n" + name;
  p.dialogs.MessageBox(text, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
}

void Form1::cmdExport_Click() {
  BackupStore store = StoreOf(*this);
  std::string written, failed;
  for (const ListItem& item : controls.Items(ctl::ListVW1)) {
    if (!item.checked) continue;
    const std::string reg = store.RegPathOf(item.text);
    try {
      if (store.Export(item.text) > 0) {
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
  BackupStore store = StoreOf(*this);
  for (const ListItem& item : controls.Items(ctl::ListVW1)) {
    if (!item.checked) continue;
    try {
      store.Delete(item.text);
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
