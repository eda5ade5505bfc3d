#pragma once
// Names of the main window's controls, as the page logic and the window
// both use them. Arrays are named "Name(index)".
#include <string>

namespace hw::ctl {

// The area right of the left column: every page, the tree and the command
// bar are placed relative to it.
inline constexpr char mainArea[] = "mainArea";

// Left column and first page.
inline constexpr char emblemImg[] = "emblemImg";
inline constexpr char HivewrightLB[] = "HivewrightLB";
inline constexpr char hlpBtn[] = "hlpBtn";
inline constexpr char hlpBtnPic[] = "hlpBtnPic";
inline constexpr char SuprBtn[] = "SuprBtn";
inline constexpr char SuprBtnPic[] = "SuprBtnPic";
inline constexpr char lblVersion[] = "lblVersion";
inline constexpr char CopyrightLb[] = "CopyrightLb";
inline constexpr char Sec_scanPic[] = "Sec_scanPic";
inline constexpr char Sec_scanLb[] = "Sec_scanLb";
inline constexpr char Sec_scanLb1[] = "Sec_scanLb1";
inline constexpr char tvwTree[] = "tvwTree";
inline constexpr char basebox[] = "basebox";
inline constexpr char OnBaseBox[] = "OnBaseBox";
inline constexpr char firstfrm[] = "firstfrm";
inline constexpr char scanNowPic[] = "scanNowPic";
inline constexpr char ScanNowLb[] = "ScanNowLb";
inline constexpr char ScanNowLb1[] = "ScanNowLb1";
inline constexpr char ScanBtn[] = "ScanBtn";
inline constexpr char ScanBtnDescLb[] = "ScanBtnDescLb";
inline constexpr char BackupPic[] = "BackupPic";
inline constexpr char BackupLb[] = "BackupLb";
inline constexpr char BackupLb1[] = "BackupLb1";
inline constexpr char BackupBtn[] = "BackupBtn";
inline constexpr char BackupBtnDescLb[] = "BackupBtnDescLb";
inline constexpr char CustmPic[] = "CustmPic";
inline constexpr char CustmLb[] = "CustmLb";
inline constexpr char CustmLb1[] = "CustmLb1";
inline constexpr char ConfBtn[] = "ConfBtn";
inline constexpr char ConfBtnDescLb[] = "ConfBtnDescLb";
inline constexpr char cbullet[] = "cbullet";
inline constexpr char sbStatus1[] = "sbStatus(1)";  // first status bar panel
inline constexpr char sbStatus2[] = "sbStatus(2)";  // second status bar panel

// Scan page.
inline constexpr char secondFram[] = "secondFram";
inline constexpr char PerfPic[] = "PerfPic";
inline constexpr char PrefLb[] = "PrefLb";
inline constexpr char PrefLb1[] = "PrefLb1";
inline constexpr char pgScanSystem[] = "pgScanSystem";
inline constexpr char PBarFrame[] = "PBarFrame";
inline constexpr char pBarImg[] = "pBarImg";
inline constexpr char Label1[] = "Label1";
inline constexpr char Label3[] = "Label3";
inline constexpr char SummPic[] = "SummPic";
inline constexpr char SummLb[] = "SummLb";
inline constexpr char SummLb1[] = "SummLb1";
inline constexpr char ProbFoLb[] = "ProbFoLb";
inline std::string errLbl(int i) { return "errLbl(" + std::to_string(i) + ")"; }
inline std::string NumSecEr(int i) { return "NumSecEr(" + std::to_string(i) + ")"; }

// Command bar (scan and results pages).
inline constexpr char Frame1[] = "Frame1";
inline constexpr char ext[] = "ext";
inline constexpr char imgAbort[] = "imgAbort";
inline constexpr char imgReturn[] = "imgReturn";
inline constexpr char cmdPause[] = "cmdPause";
inline constexpr char imgPause[] = "imgPause";
inline constexpr char imgResume[] = "imgResume";
inline constexpr char nxt[] = "nxt";
inline constexpr char nxtPic[] = "nxtPic";
inline constexpr char cmdBackUp[] = "cmdBackUp";
inline constexpr char imgBackUp[] = "imgBackUp";

// Results page.
inline constexpr char pctErrHeading[] = "pctErrHeading";
inline constexpr char lblErrHead1[] = "lblErrHead1";
inline constexpr char lblErrHead2[] = "lblErrHead2";
inline constexpr char imgErrInfo[] = "imgErrInfo";
inline constexpr char lblErrDetectedProb1[] = "lblErrDetectedProb1";
inline constexpr char lblErrDetectedProb2[] = "lblErrDetectedProb2";
inline constexpr char txtDetails[] = "txtDetails";  // what is known about the selected problem

// Backup manager.
inline constexpr char fraBackUp[] = "fraBackUp";
inline constexpr char pctBackManegerTop[] = "pctBackManegerTop";
inline constexpr char lblBackupManagerHead1[] = "lblBackupManagerHead1";
inline constexpr char lblBackupManagerHead2[] = "lblBackupManagerHead2";
inline constexpr char pctBackupPanel[] = "pctBackupPanel";
inline constexpr char ListVW1[] = "ListVW1";
inline constexpr char ListVW1Column1[] = "ListVW1.Column(1)";
inline constexpr char ListVW1Column2[] = "ListVW1.Column(2)";
inline constexpr char ListVW1Column3[] = "ListVW1.Column(3)";
inline constexpr char cmdRestore[] = "cmdRestore";
inline constexpr char cmdExport[] = "cmdExport";
inline constexpr char imgRestore[] = "imgRestore";
inline constexpr char cmdCleanBackUp[] = "cmdCleanBackUp";
inline constexpr char imgCross[] = "imgCross";
inline constexpr char cmdCancel[] = "cmdCancel";
inline constexpr char imgOk[] = "imgOk";

}  // namespace hw::ctl
