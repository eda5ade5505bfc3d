// The window's repair: the ticked problem nodes handed to the repair
// component, the backup settled first and the outcome told.
#include <memory>
#include <optional>

#include "checks/exact_logs.h"
#include "platform/runtime_error.h"
#include "platform/user_dialogs.h"
#include "platform/vb_text.h"
#include "repair/backup_store.h"
#include "repair/device_names.h"
#include "repair/repairer.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

std::unique_ptr<Repairer> MakeRepairer(Form1& f) {
  auto r = std::make_unique<Repairer>(f.p, f.module1, f.settings, f.texts.repairReasons, f.BackupName,
                                      f.checks.WindowsFolder);
  r->batchRecords = f.repairBatchRecords;
  return r;
}

}  // namespace

void Form1::nxt_Click() {
  if (IsDeviceName(Trim(BackupName))) {
    p.dialogs.MessageBox(Replace(texts.deviceNameMessage, "%1", Trim(BackupName)), kAppTitle, MsgButtons::kOk,
                         MsgIcon::kExclamation);
    return;
  }
  if (Trim(BackupName).empty()) {
    bool wanted = settings.AutoBackup();
    if (!wanted)
      wanted = p.dialogs.MessageBox(texts.backupQuestion, kAppTitle, MsgButtons::kYesNo, MsgIcon::kQuestion) ==
               MsgAnswer::kYes;
    if (wanted) {
      try {
        BackupName = MakeAutoBackupName();
      } catch (const RuntimeError&) {
        // The folder cannot be made: the backup then fails for every value,
        // and no value is deleted without one.
        BackupName = "Automatic Backup[1]";
      }
    }
  }

  view.SetMousePointer(11);
  std::vector<RepairItem> items;
  for (const TreeNode* node : tvwTree.Nodes()) {
    if (!Contains(node->image, "All", true) || !Contains(node->key, "Err", true)) continue;
    const TreeNode* section = node->Parent();
    const TreeNode* group = section ? section->Parent() : nullptr;
    items.push_back({group && group->key == "Scan", node->text, node->problemNumber});
  }
  lastRepair = MakeRepairer(*this)->Repair(items).report;
  view.SetMousePointer(0);

  RestoreFirstPageLayout();
  controls.SetLeft(ctl::OnBaseBox, 4680);
  controls.SetTop(ctl::OnBaseBox, 600);
  controls.SetVisible(ctl::OnBaseBox, true);
  controls.BringToFront(ctl::OnBaseBox);
  controls.SetVisible(ctl::ext, true);
  controls.SetVisible(ctl::nxt, false);
  controls.SetVisible(ctl::nxtPic, false);
  controls.SetVisible(ctl::secondFram, false);
  if (sReg) sReg->StopSearch();
  FirstPageRoutine();
  controls.SetVisible(ctl::firstfrm, true);
  controls.BringToFront(ctl::firstfrm);

  // Problems that were none any more are told apart from the failures.
  const std::string noLonger = lastRepair.noLongerAProblem == 0
                                   ? std::string()
                                   : "\r\n\r\n" + std::to_string(lastRepair.noLongerAProblem) + ": " + texts.noLongerAProblem;
  if (lastRepair.NotRepairedCount() == 0) {
    p.dialogs.MessageBox(texts.repairDoneMessage + noLonger, kAppTitle, MsgButtons::kOk, MsgIcon::kInformation);
  } else {
    std::string text = Replace(Replace(texts.notRepairedMessage, "%1", std::to_string(lastRepair.NotRepairedCount())),
                               "%2", std::to_string(lastRepair.selected));
    for (const auto& [reason, count] : lastRepair.notRepaired) text += "\r\n" + std::to_string(count) + ": " + reason;
    p.dialogs.MessageBox(text + noLonger, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
  }

  BuildSectionTree();
  SetAllTxt();
  ext_Click();
}

std::string Form1::MakeAutoBackupName() {
  const std::string folder = settings.BackupFolder();
  module1.EnsureFolderPath(folder);
  return BackupStore(p.registry, p.files, folder).AutomaticName();
}

std::string Form1::BackupFilePath() { return Repairer::BackupFilePath(settings, BackupName); }

}  // namespace hw
