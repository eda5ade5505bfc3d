#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {

namespace {
constexpr char kDescription[] = "Click on the start Button for Scanning...";
}

void Form1::ApplyFormDesign() {
  struct Caption {
    const char* control;
    const char* text;
  };
  static const Caption kCaptions[] = {
      {ctl::HivewrightLB, "Hivewright"},
      {ctl::hlpBtn, "Help"},
      {ctl::SuprBtn, "Support"},
      {ctl::CopyrightLb, kCopyrightNotice},
      {ctl::Sec_scanLb, "Sections to Scan :"},
      {ctl::Sec_scanLb1, "Sections to Scan :"},
      {ctl::ScanNowLb, "Scan Now :"},
      {ctl::ScanNowLb1, "Scan Now :"},
      {ctl::ScanBtn, "Scan"},
      {ctl::ScanBtnDescLb, kDescription},
      {ctl::BackupLb, "Restore Configuration ..."},
      {ctl::BackupLb1, "Restore Configuration ..."},
      {ctl::BackupBtn, "backup"},
      {ctl::BackupBtnDescLb, kDescription},
      {ctl::CustmLb, "Customize ..."},
      {ctl::CustmLb1, "Customize ..."},
      {ctl::ConfBtn, "Settings"},
      {ctl::ConfBtnDescLb, kDescription},
      {ctl::PrefLb, "Performing Scan.."},
      {ctl::PrefLb1, "Performing Scan.."},
      {ctl::Label1, "Please Click on Next Button"},
      {ctl::SummLb, "Summary"},
      {ctl::SummLb1, "Summary"},
      {ctl::ProbFoLb, "0 Problems Found"},
      {ctl::ext, "A&bort"},
      {ctl::cmdPause, " Pause"},
      {ctl::lblErrHead1, "    Detected Problems..."},
      {ctl::lblErrHead2, "    Detected Problems..."},
      {ctl::lblErrDetectedProb1, "Detected Problems..."},
      {ctl::lblErrDetectedProb2, "Detected Problems..."},
      {ctl::nxt, " Repair"},
      {ctl::cmdBackUp, " Backup"},
      {ctl::lblBackupManagerHead1, " Backup manager"},
      {ctl::lblBackupManagerHead2, " Backup manager"},
      {ctl::ListVW1Column1, "Name"},
      {ctl::ListVW1Column2, "Creation Date"},
      {ctl::ListVW1Column3, "Size"},
      {ctl::cmdRestore, "Restore"},
      {ctl::cmdCleanBackUp, "Clean"},
      {ctl::cmdCancel, "Ok"},
  };
  for (const Caption& c : kCaptions) controls.SetText(c.control, c.text);

  // Buttons and the hidden pictures they show.
  static const Caption kPictures[] = {
      {ctl::hlpBtn, ctl::hlpBtnPic},   {ctl::SuprBtn, ctl::SuprBtnPic},     {ctl::ext, ctl::imgAbort},
      {ctl::nxt, ctl::nxtPic},         {ctl::cmdBackUp, ctl::imgBackUp},    {ctl::cmdPause, ctl::imgPause},
      {ctl::cmdCleanBackUp, ctl::imgCross}, {ctl::cmdRestore, ctl::imgRestore}, {ctl::cmdCancel, ctl::imgOk},
      {ctl::ScanBtn, "scanBtn"},       {ctl::BackupBtn, "backupBtn"},       {ctl::ConfBtn, "confmBtn"},
      {ctl::emblemImg, "Emblem"},      {ctl::cbullet, "cbulletBtn"},
  };
  for (const Caption& c : kPictures) controls.SetPicture(c.control, c.text);

  // Only the first page shows at start.
  for (const char* hidden :
       {ctl::secondFram, ctl::fraBackUp, ctl::nxt, ctl::nxtPic, ctl::cmdBackUp, ctl::cmdPause, ctl::pctErrHeading,
        ctl::lblErrHead1, ctl::lblErrHead2, ctl::imgErrInfo, ctl::lblErrDetectedProb1, ctl::lblErrDetectedProb2,
        ctl::hlpBtnPic, ctl::SuprBtnPic, ctl::imgAbort, ctl::imgReturn, ctl::imgPause, ctl::imgResume, ctl::imgBackUp,
        ctl::imgCross, ctl::imgRestore, ctl::imgOk}) {
    controls.SetVisible(hidden, false);
  }
  RestoreFirstPageLayout();
}

}  // namespace hw
