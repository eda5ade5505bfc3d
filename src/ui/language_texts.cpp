// The main window's texts from the chosen language file.
#include "engine/drives.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "ui/control_names.h"
#include "ui/form1.h"
#include "ui/language_file.h"

namespace hw {
namespace {

// Tree nodes renamed by identifiers 1001 to 1013, by their default texts.
const char* const kNodeDefaults[] = {
    "My Computer",      "Scan Registry",     "Registry Integrity", "Custome Controls",   "Software Locations",
    "Device Drivers",   "Windows Fonts",     "Help And Resources", "Shared Programmes",  "Startup Programmes",
    "Add/Remove Programmes", "Virtual Devices", "Scan for Shortcuts"};

}  // namespace

void Form1::SetAllTxt() {
  bool markApplied = false;
  std::string oldMark;
  try {
    SetDefaultTexts();
    const std::string name = settings.Language();
    const std::string path = settings.RefFolder() + "\\" + name + ".ini";
    if (!name.empty() && p.files.FileExists(path)) {
      auto pair = [this](const char* a, const char* b, const std::string& t) {
        controls.SetText(a, t);
        controls.SetText(b, t);
      };
      ReadLanguageFile(p.files, path, [&](int id, const std::string& t) {
        if (id >= 1001 && id <= 1013) {
          RenameTreeNode(t, kNodeDefaults[id - 1001]);
          return;
        }
        if (id >= 1033 && id <= 1043) {
          controls.SetText(ctl::errLbl(id - 1033), t);
          return;
        }
        switch (id) {
          case 1000: pair(ctl::Sec_scanLb, ctl::Sec_scanLb1, t); break;
          case 1014: texts.noSectionMessage = t; break;
          case 1015: pair(ctl::ScanNowLb, ctl::ScanNowLb1, t); break;
          case 1016: controls.SetText(ctl::ScanBtn, t); break;
          case 1017: controls.SetText(ctl::ScanBtnDescLb, t); break;
          case 1018: pair(ctl::BackupLb, ctl::BackupLb1, t); break;
          case 1019:
            controls.SetText(ctl::BackupBtn, t);
            controls.SetText(ctl::cmdBackUp, t);
            controls.SetPicture(ctl::cmdBackUp, ctl::imgBackUp);
            break;
          case 1020: controls.SetText(ctl::BackupBtnDescLb, t); break;
          case 1021: pair(ctl::CustmLb, ctl::CustmLb1, t); break;
          case 1022: controls.SetText(ctl::ConfBtnDescLb, t); break;
          case 1023: controls.SetText(ctl::ConfBtn, t); break;
          case 1024: controls.SetText(ctl::SuprBtn, t); break;
          case 1025: controls.SetText(ctl::hlpBtn, t); break;
          case 1026: controls.SetText(ctl::HivewrightLB, t); break;
          case 1028: controls.SetText(ctl::CopyrightLb, t); break;
          case 1029: texts.abortCaption = t; break;
          case 1030:
          case 1077:
            controls.SetText(ctl::nxt, t);
            controls.SetPicture(ctl::nxt, ctl::nxtPic);
            break;
          case 1031:
            texts.nextButtonHint = t;
            controls.SetText(ctl::Label1, t);
            break;
          case 1032:
            texts.ProblemsFoundText = " " + t;
            break;
          case 1044: pair(ctl::PrefLb, ctl::PrefLb1, t); break;
          case 1045: pair(ctl::SummLb, ctl::SummLb1, t); break;
          case 1047: texts.spareText = t; break;
          case 1048: texts.repairDoneMessage = t; break;
          case 1056: controls.SetText(ctl::cmdCancel, t); break;
          case 1069: controls.SetText(ctl::cmdCleanBackUp, t); break;
          case 1070: controls.SetText(ctl::cmdRestore, t); break;
          case 1071: controls.SetText(ctl::ListVW1Column1, t); break;
          case 1072: controls.SetText(ctl::ListVW1Column2, t); break;
          case 1073: controls.SetText(ctl::ListVW1Column3, t); break;
          case 1074: pair(ctl::lblBackupManagerHead1, ctl::lblBackupManagerHead2, t); break;
          case 1075: pair(ctl::lblErrHead1, ctl::lblErrHead2, t); break;
          case 1076: texts.problemsDetectedSuffix = t; break;
          case 1078: texts.returnCaption = t; break;
          case 1079: texts.noProblemsText = t; break;
          case 1080: texts.backupNamePrompt = t; break;
          case 1081: texts.backupNameTitle = t; break;
          case 1082:
            texts.pauseCaption = t;
            controls.SetText(ctl::cmdPause, t);
            controls.SetPicture(ctl::cmdPause, ctl::imgPause);
            break;
          case 1083: texts.resumeCaption = t; break;
          case 1086: texts.backupQuestion = t; break;
          case 1098: texts.versionText = t; break;
          case 1099:
            if (!markApplied) oldMark = texts.fixedDriveMark;
            markApplied = true;
            texts.fixedDriveMark = t;
            break;
          case 1100: texts.scanningPrefix = t; break;
          case 1101: texts.notRepairedMessage = t; break;
          case 1102: texts.noLongerAProblem = t; break;
          case 1103: texts.notRestoredMessage = t; break;
          case 1104: texts.moreNotRestored = t; break;
          case 1105: texts.backupsKeptMessage = t; break;
          case 1106: texts.deviceNameMessage = t; break;
          case 1107: texts.overwriteQuestion = t; break;
          case 1108: texts.noBackupMessage = t; break;
          case 1109: controls.SetText(ctl::cmdExport, t); break;
          case 1110: texts.exportDoneMessage = t; break;
          case 1111: texts.repairReasons.reasonNotListed = t; break;
          case 1112: texts.repairReasons.reasonNoLocation = t; break;
          case 1113: texts.repairReasons.reasonNoKey = t; break;
          case 1114: texts.repairReasons.reasonGone = t; break;
          case 1115: texts.repairReasons.reasonUnreadable = t; break;
          case 1116: texts.repairReasons.reasonBackupFailed = t; break;
          case 1117: texts.repairReasons.reasonRefused = t; break;
          case 1118: texts.repairReasons.reasonNotSaved = t; break;
          case 1119: texts.repairReasons.reasonShortcutGone = t; break;
          case 1120: texts.repairReasons.reasonShortcutLocked = t; break;
          case 1121: texts.repairReasons.reasonShortcutNotKept = t; break;
          case 1122: texts.repairReasons.reasonShortcutNotRecycled = t; break;
          case 1123: texts.damagedRecordNote = t; break;
          default: ApplyResultsText(resultsTexts, id, t); break;
        }
      });
    }
  } catch (const RuntimeError& e) {
    SetDefaultTexts();
    p.dialogs.MessageBox(TrapMessage(e.Description(), "SetAll Text"), kAppTitle, MsgButtons::kOk);
    // A first scan needs an engine even when the file stopped the texts early.
    if (!sReg) NewSearchEngine();
    view.TreeChanged();
    return;
  }
  NewSearchEngine();
  scanState.CurrentSection.clear();
  for (TreeNode* node : tvwTree.Nodes()) {
    node->bold = true;
    if (markApplied && !oldMark.empty() && Contains(node->text, oldMark, true)) {
      node->text = Replace(node->text, oldMark, texts.fixedDriveMark, true);
    }
  }
  view.TreeChanged();
}

void Form1::RenameTreeNode(const std::string& newText, const std::string& textToLookFor) {
  for (TreeNode* node : tvwTree.Nodes()) {
    if (Contains(node->text, textToLookFor, true)) {
      node->text = newText;
      return;
    }
  }
}

}  // namespace hw
