#include "ui/results_page.h"

#include "checks/section_catalogue.h"
#include "platform/shell.h"
#include "platform/vb_text.h"
#include "ui/control_names.h"
#include "ui/problem_details.h"
#include "ui/tree_selection.h"

namespace hw {
namespace {

constexpr int kTreeTop = 240, kTreeLeft = 100, kTreeWidth = 9200;
constexpr int kResultsTreeHeight = 2025;
constexpr int kDetailsGap = 60, kDetailsHeight = 1575;

}  // namespace

void LayoutResultsDetails(Form1& form, bool resultsPage) {
  FormModel& c = form.controls;
  c.SetVisible(ctl::txtDetails, resultsPage);
  if (!resultsPage) {
    c.SetText(ctl::txtDetails, "");
    return;
  }
  c.SetHeight(ctl::tvwTree, kResultsTreeHeight);
  c.SetLeft(ctl::txtDetails, kTreeLeft);
  c.SetTop(ctl::txtDetails, kTreeTop + kResultsTreeHeight + kDetailsGap);
  c.SetWidth(ctl::txtDetails, kTreeWidth);
  c.SetHeight(ctl::txtDetails, kDetailsHeight);
}

namespace {

// The facts with the section named as the scan page names it, in the
// window's language.
std::optional<ProblemFacts> ShownFacts(Form1& form, const TreeNode& node) {
  auto facts = FactsOfProblem(form.module1, node);
  if (!facts) return facts;
  const Section* s = FindSection(facts->sectionCode);
  const std::string name = form.controls.Text(ctl::errLbl(s->CounterIndex()));
  if (!name.empty())
    facts->section = facts->IsShortcut() ? name + " (" + node.Parent()->text + ")" : name;
  return facts;
}

}  // namespace

void ShowProblemDetails(Form1& form, const TreeNode* node) {
  const auto facts = node ? ShownFacts(form, *node) : std::nullopt;
  form.controls.SetText(ctl::txtDetails, facts ? ProblemDetailsText(*facts, form.resultsTexts) : std::string());
}

std::vector<ResultsMenuItem> ResultsMenuFor(Form1& form, const TreeNode& node) {
  const ResultsTexts& t = form.resultsTexts;
  std::vector<ResultsMenuItem> items;
  if (const auto facts = FactsOfProblem(form.module1, node)) {
    if (facts->IsShortcut())
      items.push_back({ResultsCommand::kOpenFileLocation, t.openFileLocation});
    else
      items.push_back({ResultsCommand::kOpenInRegistryEditor, t.openInRegedit});
    items.push_back({ResultsCommand::kCopyDetails, t.copyDetails});
    items.push_back({ResultsCommand::kExclude, t.exclude});
  }
  items.push_back({ResultsCommand::kSelectAll, t.selectAll, !items.empty()});
  items.push_back({ResultsCommand::kSelectNone, t.selectNone});
  items.push_back({ResultsCommand::kInvertSelection, t.invertSelection});
  items.push_back({ResultsCommand::kSortByPath, t.sortByPath, true});
  return items;
}

std::string RegeditLastKeyText(const std::string& previous, const std::string& root, const std::string& key) {
  std::string computer = "Computer";
  const std::size_t slash = previous.find('\\');
  const std::string first = Trim(previous.substr(0, slash));
  if (!first.empty() && first.compare(0, 5, "HKEY_") != 0) computer = first;
  return computer + "\\" + root + (key.empty() ? "" : "\\" + key);
}

std::string RunResultsCommand(Form1& form, const std::string& nodeKey, ResultsCommand command) {
  TreeNode* node = form.tvwTree.Find(nodeKey);
  if (!node) return std::string();
  switch (command) {
    case ResultsCommand::kSelectAll:
    case ResultsCommand::kSelectNone:
    case ResultsCommand::kInvertSelection:
      SelectSubtree(*node, command == ResultsCommand::kSelectAll    ? SubtreeChoice::kAll
                           : command == ResultsCommand::kSelectNone ? SubtreeChoice::kNone
                                                                    : SubtreeChoice::kInvert);
      form.view.TreeChanged();
      return std::string();
    case ResultsCommand::kSortByPath: {
      const auto byText = [](const TreeNode& a, const TreeNode& b) { return LCase(a.text) < LCase(b.text); };
      for (TreeNode* n : form.tvwTree.Nodes())
        if (n->ChildCount() > 1) form.tvwTree.SortChildren(*n, byText);
      form.view.TreeChanged();
      return std::string();
    }
    default:
      break;
  }
  const auto facts = ShownFacts(form, *node);
  if (!facts) return std::string();
  const std::uintptr_t owner = form.view.WindowHandle();
  switch (command) {
    case ResultsCommand::kOpenInRegistryEditor: {
      // The editor opens at the key it last showed, which it reads from
      // its own setting when it starts.
      const std::string previous = Trim(form.module1.getstr(kCurrentUser, kRegeditKey, kRegeditLastKey));
      form.module1.WriteRegistryValue(kHkeyCurrentUser, kRegeditKey, kRegeditLastKey,
                                      RegeditLastKeyText(previous, facts->root, facts->key), kRegSz);
      form.p.shell.Run(owner, "regedit.exe", "");
      return std::string();
    }
    case ResultsCommand::kOpenFileLocation:
      form.p.shell.Run(owner, "explorer.exe", "/select,\"" + facts->shortcutFile + "\"");
      return std::string();
    case ResultsCommand::kCopyDetails:
      return ProblemDetailsText(*facts, form.resultsTexts);
    case ResultsCommand::kExclude: {
      form.exclusions.Add(form.module1, facts->ExclusionEntry());
      TreeNode* section = node->Parent();
      const std::string sectionKey = section ? section->key : std::string();
      form.tvwTree.Remove(*node);
      // The section's tick follows what is left under it.
      if (TreeNode* s = form.tvwTree.Find(sectionKey)) SettleTicks(*s);
      ShowProblemDetails(form, nullptr);
      form.view.TreeChanged();
      return std::string();
    }
    default:
      return std::string();
  }
}

}  // namespace hw
