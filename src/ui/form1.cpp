#include "ui/form1.h"

#include "platform/system_info.h"
#include "ui/control_names.h"
#include "ui/results_page.h"

namespace hw {

Form1::Form1(Platform& platform, Form1View& v)
    : p(platform),
      view(v),
      module1(platform),
      settings(module1),
      scanner(platform, module1, windows),
      scanState(scanner.State()),
      searchParameters(scanner.Parameters()),
      pathTests(scanner.Paths()),
      problemLogs(scanner.Logs()),
      checks(scanner.Checks()),
      exclusions(scanner.ExclusionList()),
      sReg(scanner.Engine()),
      scanPage_(MakeScanPage()) {
  scanner.SetIdleObserver(scanPage_.get());
}

Form1::~Form1() { ProblemLogs::CloseProblemLogs(scanState); }

void Form1::Form_Load() {
  texts.fixedDriveMark = "(Fixed)";
  texts.scanningPrefix = "Scanning: ";
  ApplyFormDesign();
  SetDefaultTexts();
  view.CheckAndChangeApperance();
  FormUpdateCode(true, true);
  ShowStatusInfo();
}

void Form1::Form_Unload() { ProblemLogs::CloseProblemLogs(scanState); }

void Form1::FormUpdateCode(bool treeFlag, bool bnUpdateLanguage) {
  if (treeFlag && !sReg) BuildSectionTree();
  if (bnUpdateLanguage) {
    BuildSectionTree();
    SetAllTxt();
    view.RefreshButtonSkins();
    ShowStatusInfo();
  }
}

void Form1::SetDefaultTexts() {
  const MainTexts defaults;
  // The two marks are kept: the tree's drive nodes already carry them.
  std::string mark = texts.fixedDriveMark, prefix = texts.scanningPrefix;
  texts = defaults;
  resultsTexts = ResultsTexts();
  texts.fixedDriveMark = mark;
  texts.scanningPrefix = prefix;
  controls.SetText(ctl::Label1, texts.nextButtonHint);
  static const char* const kSectionNames[] = {
      "Registry Integrity", "Custome Controls",   "Software Locations", "Device Drivers",
      "Windows Fonts",      "Help And Resources", "Shared Programmes",  "Startup Programmes",
      "Add/Remove Programmes", "Virtual Devices", "Shortcuts And Links"};
  for (int i = 0; i < 11; ++i) controls.SetText(ctl::errLbl(i), kSectionNames[i]);
  controls.SetText(ctl::PrefLb, "Performing Scan..");
  controls.SetText(ctl::PrefLb1, "Performing Scan..");
  controls.SetText(ctl::SummLb, "Summary");
  controls.SetText(ctl::SummLb1, "Summary");
}

void Form1::ShowStatusInfo() {
  const std::string& product = controls.Text(ctl::HivewrightLB);
  controls.SetText("Form1", product);
  controls.SetText(ctl::lblVersion, texts.versionText);
  controls.SetText(ctl::sbStatus1, "  " + product + ": " + texts.versionText);
  std::string name;
  controls.SetText(ctl::sbStatus2, p.system.ComputerName(&name) ? name : std::string());
}

void Form1::DrawControls() {
  if (!FindWindowsFolders(p.system, p.dialogs, windows)) {
    RestoreFirstPageLayout();
    checks.WindowsFolder = windows.WindowsFolder;
    return;
  }
  checks.WindowsFolder = windows.WindowsFolder;
  view.SetImgLstPic();
}

void Form1::ext_Click() {
  RestoreFirstPageLayout();
  abortPressed = true;
  if (sReg) sReg->StopSearch();
  scanFinished = false;
  FirstPageRoutine();
  controls.SetVisible(ctl::firstfrm, true);
  controls.BringToFront(ctl::firstfrm);
  BuildSectionTree();
  SetAllTxt();
}

void Form1::FirstPageRoutine() {
  for (TreeNode* node : tvwTree.Nodes()) node->bold = true;
  view.TreeChanged();
  controls.SetVisible(ctl::firstfrm, true);
  controls.BringToFront(ctl::firstfrm);
  controls.SetVisible(ctl::secondFram, false);
  controls.SetLeft(ctl::Frame1, 3120);
  controls.SetWidth(ctl::Frame1, 6135);
  controls.SetVisible(ctl::nxt, false);
  controls.SetVisible(ctl::nxtPic, false);
  controls.SetText(ctl::Label1, "");
}

void Form1::ShowResultsLayout() {
  controls.SetText(ctl::ext, texts.returnCaption);
  controls.SetPicture(ctl::ext, ctl::imgReturn);
  controls.SetLeft(ctl::cmdBackUp, kResultsBackUpLeft);
  controls.SetVisible(ctl::Sec_scanPic, false);
  controls.SetWidth(ctl::Frame1, 9200);
  controls.SetLeft(ctl::Frame1, 100);
  controls.SetWidth(ctl::tvwTree, 9200);
  controls.SetLeft(ctl::tvwTree, 100);
  LayoutResultsDetails(*this, true);  // the tree's height, the details pane below it
  controls.SetLeft(ctl::basebox, 10);
  controls.SetWidth(ctl::basebox, 9375);
  controls.SetVisible(ctl::OnBaseBox, false);
  controls.SetLeft(ctl::ext, kResultsExtLeft);
  controls.SetLeft(ctl::nxt, kResultsNxtLeft);
  controls.SetLeft(ctl::nxtPic, kResultsNxtLeft + 110);
  controls.SetVisible(ctl::secondFram, false);
  controls.SetVisible(ctl::firstfrm, false);
  controls.SetLeft(ctl::pctErrHeading, 120);
  controls.SetTop(ctl::pctErrHeading, 38);
  controls.SetHeight(ctl::pctErrHeading, 180);
  controls.SetWidth(ctl::pctErrHeading, 9200);
  controls.SetVisible(ctl::pctErrHeading, true);
  controls.BringToFront(ctl::pctErrHeading);
  for (const char* head : {ctl::lblErrHead1, ctl::lblErrHead2}) {
    controls.SetTop(head, head == ctl::lblErrHead1 ? -18 : 0);
    controls.SetLeft(head, 50);
    controls.SetHeight(head, 310);
    controls.SetAutoSize(head, true);
    controls.SetVisible(head, true);
  }
  controls.SetVisible(ctl::imgErrInfo, true);
  for (const char* line : {ctl::lblErrDetectedProb1, ctl::lblErrDetectedProb2}) {
    controls.SetVisible(line, true);
    controls.SetAutoSize(line, true);
  }
  // The results line.
  const bool none = scanState.ProblemNumber < 2;
  const std::string line =
      none ? texts.noProblemsText
           : std::to_string(scanState.ProblemNumber - 1) + " " + texts.problemsDetectedSuffix;
  controls.SetText(ctl::lblErrDetectedProb1, line);
  controls.SetText(ctl::lblErrDetectedProb2, line);
  // The Backup button goes with Repair: both are offered only when there is
  // something to repair.
  controls.SetVisible(ctl::cmdBackUp, !none);
  controls.SetVisible(ctl::nxt, !none);
  controls.SetVisible(ctl::nxtPic, !none);
}

void Form1::RestoreFirstPageLayout() {
  controls.SetVisible(ctl::cmdBackUp, false);
  controls.SetVisible(ctl::Sec_scanPic, true);
  controls.SetVisible(ctl::imgErrInfo, false);
  controls.SetHeight(ctl::basebox, 4560);
  controls.SetTop(ctl::basebox, 20);
  controls.SetLeft(ctl::basebox, 2950);
  controls.SetWidth(ctl::basebox, 6495);
  controls.SetVisible(ctl::basebox, true);
  controls.SetLeft(ctl::Frame1, 3120);
  for (const char* c : {ctl::lblErrDetectedProb1, ctl::lblErrDetectedProb2, ctl::pctErrHeading, ctl::lblErrHead1}) {
    controls.SetVisible(c, false);
  }
  controls.SetAutoSize(ctl::lblErrHead2, false);
  controls.SetWidth(ctl::Frame1, 6135);
  controls.SetHeight(ctl::tvwTree, 4335);
  controls.SetLeft(ctl::tvwTree, 15);
  controls.SetTop(ctl::tvwTree, 240);
  controls.SetWidth(ctl::tvwTree, 2895);
  controls.SetLeft(ctl::ext, kScanPageExtLeft);
  controls.SetLeft(ctl::nxt, kScanPageNxtLeft);
  controls.SetLeft(ctl::nxtPic, kScanPageNxtLeft + 120);
  LayoutResultsDetails(*this, false);
}

void Form1::NewSearchEngine() { scanner.NewEngine(); }

void Form1::ConfBtn_Click() { view.ShowSettingsDialog(); }

void Form1::hlpBtn_LostFocus() {
  if (controls.Visible(ctl::firstfrm) && view.FocusedControl() != ctl::SuprBtn) view.SetFocus(ctl::tvwTree);
}

void Form1::SetProbFoLbCaption(const std::string& caption) { controls.SetText(ctl::ProbFoLb, caption); }

void Form1::SetLabel3Caption(const std::string& caption) { ShowCurrentPlace(caption); }

void Form1::ShowCurrentPlace(const std::string& place) {
  constexpr auto kInterval = std::chrono::milliseconds(100);
  const auto now = std::chrono::steady_clock::now();
  if (now - placeShownAt_ < kInterval) {
    heldPlace_ = place;
    placeHeld_ = true;
    return;
  }
  placeShownAt_ = now;
  placeHeld_ = false;
  controls.SetText(ctl::Label3, place);
  controls.Refresh(ctl::Label3);
}

void Form1::FlushCurrentPlace() {
  if (!placeHeld_) return;
  placeHeld_ = false;
  placeShownAt_ = std::chrono::steady_clock::now();
  controls.SetText(ctl::Label3, heldPlace_);
  controls.Refresh(ctl::Label3);
}

std::string Form1::NumSecErCaption(int index) { return controls.Text(ctl::NumSecEr(index)); }

void Form1::SetNumSecErCaption(int index, const std::string& caption) {
  controls.SetText(ctl::NumSecEr(index), caption);
}

bool Form1::SuppressKeyStatus() { return view.IsMinimized(); }

}  // namespace hw
