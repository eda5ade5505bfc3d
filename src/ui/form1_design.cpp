#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {

namespace {
constexpr char kDescription[] = "Click on the start Button for Scanning...";

// The design layout in twips. The left column holds the product; the main
// area right of it holds the tree, the pages and the command bar, placed
// relative to the area (the page layouts move some of them).
constexpr int kLeftColumnWidth = 2400;
constexpr int kAreaWidth = 9520;
constexpr int kAreaHeight = 4680;
constexpr int kButtonWidth = 1125;
constexpr int kButtonHeight = 420;
constexpr int kActionButtonWidth = 1680;
constexpr int kActionButtonHeight = 480;
constexpr int kBandHeight = 300;
constexpr int kLineHeight = 240;
constexpr int kShadow = 15;  // offset of a heading's shadow label
constexpr int kPageLeft = 3030, kPageTop = 90, kPageWidth = 6330;
constexpr int kFirstPageHeight = 4410;
constexpr int kScanPageHeight = 3780;
constexpr int kCommandBarTop = 3960, kCommandBarHeight = 540;
constexpr int kActionSpacing = 1380;  // from one action of the first page to the next
constexpr int kSummaryTop = 1920, kSummaryRow = 255, kSummaryRows = 6;

struct Place {
  const char* control;
  int left, top, width, height;
};

}  // namespace

void Form1::ApplyDesignLayout() {
  static const Place kPlaces[] = {
      {ctl::mainArea, kLeftColumnWidth, 0, kAreaWidth, kAreaHeight},
      // Left column (window coordinates).
      {ctl::emblemImg, (kLeftColumnWidth - 960) / 2, 240, 960, 960},
      {ctl::HivewrightLB, 0, 1290, kLeftColumnWidth, 450},
      {ctl::hlpBtn, 300, 1920, kActionButtonWidth, kButtonHeight},
      {ctl::SuprBtn, 300, 2430, kActionButtonWidth, kButtonHeight},
      {ctl::lblVersion, 90, 3090, kLeftColumnWidth - 180, kLineHeight},
      {ctl::CopyrightLb, 90, 3390, kLeftColumnWidth - 180, 3 * kLineHeight},
      // Heading of the tree (area coordinates, as the tree).
      {ctl::Sec_scanPic, 15, 15, 2895, 225},
      {ctl::Sec_scanLb, 75, 0, 2700, 225},
      {ctl::Sec_scanLb1, 75 + kShadow, kShadow, 2700, 225},
      {ctl::OnBaseBox, 4680, 600, 0, 0},
      // First page.
      {ctl::firstfrm, kPageLeft, kPageTop, kPageWidth, kFirstPageHeight},
      {ctl::scanNowPic, 0, 0, kPageWidth, kBandHeight},
      {ctl::BackupPic, 0, kActionSpacing, kPageWidth, kBandHeight},
      {ctl::CustmPic, 0, 2 * kActionSpacing, kPageWidth, kBandHeight},
      {ctl::ScanBtn, 240, 450, kActionButtonWidth, kActionButtonHeight},
      {ctl::BackupBtn, 240, 450 + kActionSpacing, kActionButtonWidth, kActionButtonHeight},
      {ctl::ConfBtn, 240, 450 + 2 * kActionSpacing, kActionButtonWidth, kActionButtonHeight},
      {ctl::ScanBtnDescLb, 2100, 480, 4080, 2 * kLineHeight},
      {ctl::BackupBtnDescLb, 2100, 480 + kActionSpacing, 4080, 2 * kLineHeight},
      {ctl::ConfBtnDescLb, 2100, 480 + 2 * kActionSpacing, 4080, 2 * kLineHeight},
      {ctl::cbullet, kPageWidth - 330, 30, 240, 240},
      // Scan page.
      {ctl::secondFram, kPageLeft, kPageTop, kPageWidth, kScanPageHeight},
      {ctl::PerfPic, 0, 0, kPageWidth, kBandHeight},
      {ctl::Label1, 120, 390, kPageWidth - 240, kLineHeight},
      {ctl::Label3, 120, 660, kPageWidth - 240, kLineHeight},
      {ctl::PBarFrame, 120, 960, kPageWidth - 240, 150},
      {ctl::pBarImg, 0, 0, 10, 150},
      {ctl::pgScanSystem, 120, 1170, kPageWidth - 240, kLineHeight},
      {ctl::SummPic, 0, 1530, kPageWidth, kBandHeight},
      {ctl::ProbFoLb, 240, kSummaryTop + kSummaryRows * kSummaryRow + 60, kPageWidth - 480, kLineHeight},
      // Command bar: the page layouts place its buttons across.
      {ctl::Frame1, 3120, kCommandBarTop, 6135, kCommandBarHeight},
      {ctl::cmdPause, kScanPageNxtLeft, 60, kCommandButtonWidth, kButtonHeight},
      {ctl::ext, kScanPageExtLeft, 60, kCommandButtonWidth, kButtonHeight},
      {ctl::nxt, kScanPageNxtLeft, 60, kCommandButtonWidth, kButtonHeight},
      {ctl::cmdBackUp, kResultsBackUpLeft, 60, kCommandButtonWidth, kButtonHeight},
      {ctl::imgErrInfo, 120, 150, 240, 240},
      {ctl::lblErrDetectedProb1, 450, 150, 4500, kLineHeight},
      {ctl::lblErrDetectedProb2, 450 + kShadow, 150 + kShadow, 4500, kLineHeight},
      // Results heading.
      {ctl::pctErrHeading, 120, 38, 9200, 180},
      {ctl::lblErrHead1, 50, -18, 4500, 310},
      {ctl::lblErrHead2, 50, 0, 4500, 310},
      // Backup manager.
      {ctl::fraBackUp, 3000, 60, 6390, 4470},
      {ctl::pctBackManegerTop, 0, 0, 6390, kBandHeight},
      {ctl::lblBackupManagerHead1, 90, 30, 4000, kLineHeight},
      {ctl::lblBackupManagerHead2, 90 + kShadow, 30 + kShadow, 4000, kLineHeight},
      {ctl::ListVW1, 60, 360, 6270, 3360},
      {ctl::pctBackupPanel, 0, 3780, 6390, 690},
      // Wide enough for the German "Exportieren" and "Wiederherstellen".
      {ctl::cmdExport, 300, 135, 1500, kButtonHeight},
      {ctl::cmdRestore, 1890, 135, 1950, kButtonHeight},
      {ctl::cmdCleanBackUp, 3930, 135, kButtonWidth, kButtonHeight},
      {ctl::cmdCancel, 5145, 135, kButtonWidth, kButtonHeight},
  };
  for (const Place& p : kPlaces) {
    controls.SetLeft(p.control, p.left);
    controls.SetTop(p.control, p.top);
    controls.SetWidth(p.control, p.width);
    controls.SetHeight(p.control, p.height);
  }
  // Heading labels on their bands: the shadow lies one pixel below right.
  struct Pair {
    const char* label;
    const char* shadow;
  };
  for (const Pair& h : {Pair{ctl::ScanNowLb, ctl::ScanNowLb1}, Pair{ctl::BackupLb, ctl::BackupLb1},
                        Pair{ctl::CustmLb, ctl::CustmLb1}, Pair{ctl::PrefLb, ctl::PrefLb1},
                        Pair{ctl::SummLb, ctl::SummLb1}}) {
    controls.SetLeft(h.label, 90);
    controls.SetTop(h.label, 30);
    controls.SetWidth(h.label, 4500);
    controls.SetHeight(h.label, kLineHeight);
    controls.SetLeft(h.shadow, 90 + kShadow);
    controls.SetTop(h.shadow, 30 + kShadow);
    controls.SetWidth(h.shadow, 4500);
    controls.SetHeight(h.shadow, kLineHeight);
  }
  // The per-section counts in two columns.
  for (int i = 0; i < 11; ++i) {
    const int column = i / kSummaryRows, row = i % kSummaryRows;
    const int left = 240 + column * 3060, top = kSummaryTop + row * kSummaryRow;
    controls.SetLeft(ctl::errLbl(i), left);
    controls.SetTop(ctl::errLbl(i), top);
    controls.SetWidth(ctl::errLbl(i), 2100);
    controls.SetHeight(ctl::errLbl(i), kLineHeight);
    controls.SetLeft(ctl::NumSecEr(i), left + 2160);
    controls.SetTop(ctl::NumSecEr(i), top);
    controls.SetWidth(ctl::NumSecEr(i), 600);
    controls.SetHeight(ctl::NumSecEr(i), kLineHeight);
  }
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
      {ctl::cmdExport, "Export"},
      {ctl::cmdCleanBackUp, "Clean"},
      {ctl::cmdCancel, "Ok"},
  };
  for (const Caption& c : kCaptions) controls.SetText(c.control, c.text);

  // Buttons and the hidden pictures they show.
  static const Caption kPictures[] = {
      {ctl::hlpBtn, ctl::hlpBtnPic},   {ctl::SuprBtn, ctl::SuprBtnPic},     {ctl::ext, ctl::imgAbort},
      {ctl::nxt, ctl::nxtPic},         {ctl::cmdBackUp, ctl::imgBackUp},    {ctl::cmdPause, ctl::imgPause},
      {ctl::cmdCleanBackUp, ctl::imgCross}, {ctl::cmdRestore, ctl::imgRestore}, {ctl::cmdCancel, ctl::imgOk},
      {ctl::cmdExport, ctl::imgBackUp},
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
  ApplyDesignLayout();
  RestoreFirstPageLayout();
}

}  // namespace hw
