// The scan driver: runs the ticked sections of the tree one after another,
// frames their findings in the problem logs and shows progress, then the
// results page. Pause and Abort run inside it, between two steps of a walk.
#include <algorithm>
#include <cmath>

#include "checks/section_catalogue.h"
#include "scan/section_totals.h"
#include "engine/drives.h"
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

void Form1::ScanBtn_Click() {
  // A Scan click handled while an aborted scan still unwinds (in the same
  // drain of messages as the Abort) starts nothing: that scan's engine is
  // still walking below, and freeing the retired engines would pull it away.
  if (scanRunning_) return;
  scanRunning_ = true;
  struct Unwound {
    bool& running;
    ~Unwound() { running = false; }
  } unwound{scanRunning_};

  // The tree and the engine may be replaced by handlers that run while the
  // searches yield (Abort rebuilds both), so the loop holds node keys, never
  // nodes, and asks for `sReg` again after every yield.
  auto aborted = [this] { return abortPressed || (sReg && sReg->lStopSearch >= 1); };
  // An aborted scan shows nothing and repairs nothing; its logs are closed
  // at once, so nothing is left writing into them once the window closes.
  auto endAborted = [this] {
    ProblemLogs::CloseProblemLogs(scanState);
    controls.SetVisible(ctl::cmdPause, false);
    controls.SetEnabled(ctl::tvwTree, true);
  };
  auto addProgress = [this](long step) {
    const long value = controls.Get(ctl::pgScanSystem).value;
    controls.SetValue(ctl::pgScanSystem, std::min(kProgressMax, value + step));
  };
  auto sectionDone = [this](int order) {
    const double frame = controls.Get(ctl::PBarFrame).width;
    controls.SetWidth(ctl::pBarImg, static_cast<int>(std::lround(frame / 11 * order)));
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

    controls.SetVisible(ctl::secondFram, true);
    controls.BringToFront(ctl::secondFram);
    sReg->SetlStartSearch();
    scanState.StartCounting();
    controls.SetText(ctl::ProbFoLb, "0" + texts.ProblemsFoundText);
    for (int i = 0; i < kSectionCount; ++i) controls.SetText(ctl::NumSecEr(i), "0");

    problemLogs.StartProblemLogs(scanState);
    exclusions.Load(module1);

    controls.SetVisible(ctl::firstfrm, false);
    controls.SetEnabled(ctl::ext, true);
    controls.SetVisible(ctl::secondFram, true);
    controls.SetWidth(ctl::pBarImg, 10);
    controls.SetRange(ctl::pgScanSystem, 0, kProgressMax);
    controls.SetValue(ctl::pgScanSystem, 0);

    std::vector<std::string> keys;
    keys.reserve(all.size());
    for (const TreeNode* n : all) keys.push_back(n->key);

    bool shortcutHeaderWritten = false;
    for (const std::string& key : keys) {
      p.pump.DoEvents();
      if (aborted()) return endAborted();
      TreeNode* node = tvwTree.Find(key);
      if (!node) continue;
      if (!IsTicked(*node)) {
        if (Contains(node->image, "None", true) && node->bold) {
          node->bold = false;
          view.TreeChanged();
        }
        continue;
      }
      const bool isDrive = Contains(node->text, texts.fixedDriveMark) && node->Parent() &&
                           node->Parent()->key == "Scan";
      const std::string code = isDrive ? node->text : node->key;
      const std::string text = node->text;
      node = nullptr;  // not valid after the first yield below
      scanState.CurrentSection = code;
      controls.SetText(ctl::Label1, texts.scanningPrefix + text);
      controls.Refresh(ctl::Label1);

      if (isDrive) {
        if (!shortcutHeaderWritten) {
          scanState.ErrLog->WriteLine(FindSection("Scan")->logHeader);
          shortcutHeaderWritten = true;
        }
        if (aborted()) return endAborted();
        sReg->DoSearchFiles(Left(code, 1) + ":", kShortcutPattern);
        FlushCurrentPlace();
        addProgress(10);
        sectionDone(FindSection("Scan")->order);
        continue;
      }

      const Section* section = FindSection(code);
      if (!section || section->search == SectionSearch::kFiles) continue;  // "My", "Reg", "Scan"
      scanState.ErrLog->WriteLine(section->logHeader);
      if (section->search == SectionSearch::kNone) {
        addProgress(10);
        sectionDone(section->order);
        continue;
      }
      const bool twoPasses = code == "SuP" || code == "ArP";
      const std::vector<SectionPass> passes = SectionPasses(*section, windows.WindowsFamily);
      if (passes.empty() && aborted()) return endAborted();
      for (std::size_t i = 0; i < passes.size(); ++i) {
        if (code == "ArP" && i == 1) addProgress(5);
        searchParameters.lSearchRoot = Module1::RootKeyFromName(passes[i].rootName);
        searchParameters.lSearchFlags = passes[i].flags;
        searchParameters.sSearchText = passes[i].searchText;
        searchParameters.sStartKey = passes[i].startKey;
        if (aborted()) return endAborted();
        if (code == "RI") addProgress(5);
        sReg->DoSearch();
        FlushCurrentPlace();
        if (code == "SuP" || (code == "ArP" && i == 1)) addProgress(5);
      }
      if (!twoPasses && code != "RI") addProgress(10);
      sectionDone(section->order);
    }

    // Abort pressed during the last walk: that walk ended early, and the
    // loop with it. (A handler that stopped the walk leaves the results due.)
    if (abortPressed) return endAborted();

    // Normal end.
    sReg->StopSearch();
    ProblemLogs::FinishProblemLogs(scanState);
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
    p.dialogs.MessageBox(e.Description(), kAppTitle, MsgButtons::kOk);
    // The logs are not left open under a results page that may read them.
    ProblemLogs::CloseProblemLogs(scanState);
    controls.SetVisible(ctl::cmdPause, false);
    RestoreFirstPageLayout();
    ShowResultsLayout();
    controls.SetEnabled(ctl::tvwTree, true);
    view.TreeChanged();
    view.ScrollTreeToTop();
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
