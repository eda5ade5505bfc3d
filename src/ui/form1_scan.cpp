// The scan page: frames a Scanner run with the window's controls. The
// scanner walks; this page shows progress, lets the user pause, resume and
// abort (their clicks run while the walks yield), then the results page.
#include <algorithm>
#include <cmath>

#include "checks/section_catalogue.h"
#include "scan/section_totals.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

constexpr long kProgressMax = 120;
constexpr char kShortcutCaption[] = "Scan for Shortcuts";

bool IsTicked(const TreeNode& node) { return Contains(node.image, "All", true); }

}  // namespace

// What the scanner tells the window, shown in its controls.
class Form1::ScanPage : public ScanObserver {
 public:
  explicit ScanPage(Form1& f) : f_(f) {}

  void SectionStarted(const std::string& code, const std::string& caption) override {
    const TreeNode* node = f_.tvwTree.Find(code == "Scan" ? Left(caption, 1) : code);
    f_.controls.SetText(ctl::Label1, f_.texts.scanningPrefix + (node ? node->text : caption));
    f_.controls.Refresh(ctl::Label1);
    if (code == "RI") AddProgress(5);
  }
  void WalkFinished(const std::string& code, int) override {
    f_.FlushCurrentPlace();
    if (code == "SuP" || code == "ArP") AddProgress(5);
  }
  void SectionFinished(const std::string& code, long) override {
    if (code == "Scan") f_.FlushCurrentPlace();
    if (code != "RI" && code != "SuP" && code != "ArP") AddProgress(10);
    const Section* section = FindSection(code);
    const double frame = f_.controls.Get(ctl::PBarFrame).width;
    f_.controls.SetWidth(ctl::pBarImg, static_cast<int>(std::lround(frame / 11 * (section ? section->order : 11))));
  }
  void PlaceSearched(const std::string& place, long) override {
    if (!f_.SuppressKeyStatus()) f_.ShowCurrentPlace(place);
  }
  void ProblemFound(const FoundProblem& problem) override {
    const Section* section = FindSection(problem.section);
    const int index = section ? section->CounterIndex() : kShortcutCounterIndex;
    f_.SetProbFoLbCaption(std::to_string(f_.scanState.ProblemsFound) + f_.texts.ProblemsFoundText);
    // The caption is the counter, as the results page reads it.
    const std::int16_t count = CaptionNumber(f_.NumSecErCaption(index));
    f_.SetNumSecErCaption(index, std::to_string(CheckedAdd16(count, 1)));
  }
  bool StopRequested() override { return f_.abortPressed; }
  void Notice(const std::string& text, ScanMessage kind) override {
    if (kind == ScanMessage::kProblemLimit) {
      f_.p.dialogs.MessageBox(text, kAppTitle, MsgButtons::kOk, MsgIcon::kExclamation);
      return;
    }
    f_.p.dialogs.MessageBox(text, kAppTitle, MsgButtons::kOk);
    f_.RestoreFirstPageLayout();
  }

 private:
  void AddProgress(long step) {
    const long value = f_.controls.Get(ctl::pgScanSystem).value;
    f_.controls.SetValue(ctl::pgScanSystem, std::min(kProgressMax, value + step));
  }
  Form1& f_;
};

std::unique_ptr<ScanObserver> Form1::MakeScanPage() { return std::make_unique<ScanPage>(*this); }

void Form1::ScanBtn_Click() {
  // A Scan click handled while an aborted scan still unwinds (in the same
  // drain of messages as the Abort) starts nothing: that scan's engine is
  // still walking below, and freeing the retired engines would pull it away.
  if (scanRunning_ || scanner.Running()) return;
  scanRunning_ = true;
  struct Unwound {
    bool& running;
    ~Unwound() { running = false; }
  } unwound{scanRunning_};

  // An aborted scan shows nothing and repairs nothing (the scanner has
  // closed its logs).
  auto endAborted = [this] {
    controls.SetVisible(ctl::cmdPause, false);
    controls.SetEnabled(ctl::tvwTree, true);
  };
  auto endFailed = [this](const std::string& description) {
    p.dialogs.MessageBox(description, kAppTitle, MsgButtons::kOk);
    // The logs are not left open under a results page that may read them.
    ProblemLogs::CloseProblemLogs(scanState);
    controls.SetVisible(ctl::cmdPause, false);
    RestoreFirstPageLayout();
    ShowResultsLayout();
    controls.SetEnabled(ctl::tvwTree, true);
    view.TreeChanged();
    view.ScrollTreeToTop();
  };

  try {
    FreeRetiredEngines();
    abortPressed = false;
    sReg->PauseOperation = false;

    controls.SetText(ctl::ext, texts.abortCaption);
    controls.SetPicture(ctl::ext, ctl::imgAbort);
    controls.SetEnabled(ctl::tvwTree, false);
    BackupName.clear();
    controls.SetVisible(ctl::cmdPause, true);
    // A scan aborted while paused left the button saying Resume although
    // the new engine runs; it must offer Pause again.
    if (controls.Get(ctl::cmdPause).picture == ctl::imgResume) {
      controls.SetText(ctl::cmdPause, texts.pauseCaption);
      controls.SetPicture(ctl::cmdPause, ctl::imgPause);
    }
    scanState.ProblemNumber = 0;
    placeHeld_ = false;
    controls.SetVisible(ctl::nxt, false);
    controls.SetVisible(ctl::nxtPic, false);

    const auto& all = tvwTree.Nodes();
    if (std::none_of(all.begin(), all.end(), [](const TreeNode* n) { return IsTicked(*n); })) {
      p.dialogs.MessageBox(texts.noSectionMessage, "Information", MsgButtons::kOk, MsgIcon::kInformation);
      controls.SetVisible(ctl::cmdPause, false);
      controls.SetEnabled(ctl::tvwTree, true);
      return;
    }

    // The ticked sections and drives; nodes left out lose their bold type.
    ScanSelection selection;
    bool unboldened = false;
    for (TreeNode* node : all) {
      if (!IsTicked(*node)) {
        if (Contains(node->image, "None", true) && node->bold) {
          node->bold = false;
          unboldened = true;
        }
        continue;
      }
      const bool isDrive = Contains(node->text, texts.fixedDriveMark) && node->Parent() &&
                           node->Parent()->key == "Scan";
      if (isDrive) {
        selection.drives.push_back(Left(node->text, 1));
      } else if (const Section* s = FindSection(node->key); s && s->search != SectionSearch::kFiles) {
        selection.sections.push_back(s->code);
      }
    }
    // "Scan" with no drive below it (a machine without fixed drives)
    // searches nothing, and an empty selection would mean every section.
    if (!selection.drives.empty() || selection.sections.empty()) selection.sections.push_back("Scan");
    if (unboldened) view.TreeChanged();

    controls.SetVisible(ctl::secondFram, true);
    controls.BringToFront(ctl::secondFram);
    controls.SetText(ctl::ProbFoLb, "0" + texts.ProblemsFoundText);
    for (int i = 0; i < kSectionCount; ++i) controls.SetText(ctl::NumSecEr(i), "0");
    controls.SetVisible(ctl::firstfrm, false);
    controls.SetEnabled(ctl::ext, true);
    controls.SetVisible(ctl::secondFram, true);
    controls.SetWidth(ctl::pBarImg, 10);
    controls.SetRange(ctl::pgScanSystem, 0, kProgressMax);
    controls.SetValue(ctl::pgScanSystem, 0);

    const ScanOutcome outcome = scanner.Run(selection, *scanPage_);
    if (outcome.end == ScanOutcome::End::kStopped) return endAborted();
    if (outcome.end == ScanOutcome::End::kFailed) return endFailed(outcome.error);

    // Normal end.
    controls.SetWidth(ctl::pBarImg, controls.Get(ctl::PBarFrame).width);
    controls.SetText(ctl::Label1, texts.nextButtonHint);
    placeHeld_ = false;
    controls.SetText(ctl::Label3, "");
    controls.SetVisible(ctl::nxt, false);
    controls.SetVisible(ctl::nxtPic, false);
    controls.SetEnabled(ctl::ext, true);
    scanFinished = true;

    ShowSectionTotals(tvwTree, *this);
    ShowResultsLayout();
    for (const Section& s : SectionCatalogue()) {
      if (s.search != SectionSearch::kFiles) FillSectionResults(s.caption, s.code);
    }
    std::vector<std::string> drives;
    if (const TreeNode* scan = tvwTree.Find("Scan")) {
      for (const TreeNode* d : scan->Children()) drives.push_back(d->key);
    }
    for (const std::string& d : drives) FillSectionResults(Left(d, 1) + kShortcutCaption, d);

    controls.SetEnabled(ctl::tvwTree, true);
    controls.SetVisible(ctl::cmdPause, false);
    view.TreeChanged();
    view.ScrollTreeToTop();

    if (settings.NoConfirmation()) nxt_Click();
  } catch (const RuntimeError& e) {
    endFailed(e.Description());
  }
}

void Form1::cmdPause_Click() {
  if (sReg->PauseOperation) {
    controls.SetText(ctl::cmdPause, texts.pauseCaption);
    sReg->PauseOperation = false;
    controls.SetPicture(ctl::cmdPause, ctl::imgPause);
  } else {
    controls.SetText(ctl::cmdPause, texts.resumeCaption);
    sReg->PauseOperation = true;
    controls.SetPicture(ctl::cmdPause, ctl::imgResume);
  }
}

}  // namespace hw
