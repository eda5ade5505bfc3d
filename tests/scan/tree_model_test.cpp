#include "scan/section_totals.h"
#include "scan/tree_model.h"

#include <gtest/gtest.h>

#include "support/caption_view.h"
#include "checks/section_catalogue.h"
#include "checks/section_checks.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {
namespace {

// The section tree as the window builds it: My Computer, Scan Registry and
// its ten sections, then Scan for Shortcuts with its drives.
void BuildSectionTree(TreeModel& t) {
  t.Add("", "My", "My Computer", "AllComp");
  t.Add("My", "Reg", "Scan Registry", "AllReg");
  for (const Section& s : SectionCatalogue())
    if (s.search != SectionSearch::kFiles) t.Add("Reg", s.code, s.caption, "AllReg");
  t.Add("My", "Scan", "Scan for Shortcuts", "AllDrive");
  t.Add("Scan", "C", "C (Fixed)", "AllDrive");
}

TEST(TreeModel, KeepsCollectionOrderChildrenAndUniqueKeys) {
  TreeModel t;
  BuildSectionTree(t);
  ASSERT_EQ(14u, t.Count());
  EXPECT_EQ("RI", t.Nodes()[2]->key);
  EXPECT_EQ(3u, t.Nodes()[2]->Index());
  EXPECT_EQ(10u, t.Find("Reg")->ChildCount());
  EXPECT_EQ(t.Find("Reg"), t.Find("VD")->Parent());
  EXPECT_EQ(nullptr, t.Find("Nope"));
  EXPECT_THROW(t.Add("", "RI", "again", ""), RuntimeError);
  EXPECT_THROW(t.Add("Nope", "x", "x", ""), RuntimeError);
  t.Remove(*t.Find("Reg"));  // with its children; the indexes close up
  EXPECT_EQ(3u, t.Count());
  EXPECT_EQ(2u, t.Find("Scan")->Index());
  EXPECT_EQ(1u, t.Find("My")->ChildCount());
}

TEST(TreeModel, SortingChildrenReordersThemInTheirOwnPlacesOfTheCollection) {
  TreeModel t;
  BuildSectionTree(t);
  // Problems as a scan adds them: two sections' found paths interleaved.
  const std::pair<const char*, const char*> found[] = {{"RI", "c:\\zeta.dll"}, {"SL", "D:\\b"}, {"RI", "C:\\Alpha.dll"},
                                                       {"SL", "d:\\A"},        {"RI", "C:\\mid.dll"}};
  int n = 0;
  for (const auto& [section, path] : found) t.Add(section, "Err" + std::to_string(++n), path, "AllReg");
  const auto byText = [](const TreeNode& a, const TreeNode& b) { return LCase(a.text) < LCase(b.text); };
  EXPECT_FALSE(t.SortChildren(*t.Find("Reg"), byText));  // its children have children
  ASSERT_TRUE(t.SortChildren(*t.Find("RI"), byText));
  ASSERT_TRUE(t.SortChildren(*t.Find("SL"), byText));
  auto texts = [&](const std::vector<TreeNode*>& nodes, std::size_t from) {
    std::vector<std::string> out;
    for (std::size_t i = from; i < nodes.size(); ++i) out.push_back(nodes[i]->text);
    return out;
  };
  EXPECT_EQ((std::vector<std::string>{"C:\\Alpha.dll", "C:\\mid.dll", "c:\\zeta.dll"}),
            texts(t.Find("RI")->Children(), 0));
  // The collection: sections untouched, each problem in a place its section's held.
  EXPECT_EQ("RI", t.Nodes()[2]->key);
  EXPECT_EQ((std::vector<std::string>{"C:\\Alpha.dll", "d:\\A", "C:\\mid.dll", "D:\\b", "c:\\zeta.dll"}),
            texts(t.Nodes(), 14));
  for (std::size_t i = 0; i < t.Count(); ++i) EXPECT_EQ(i + 1, t.Nodes()[i]->Index());
}

TEST(TreeModel, SectionTotalsGoOnBoldNodesAndGreyTheEmptyOnes) {
  TreeModel t;
  BuildSectionTree(t);
  for (TreeNode* n : t.Nodes()) n->bold = true;
  t.Find("SL")->bold = false;  // not selected for this scan
  test::CaptionView view;
  view.numSecEr = {"3", "2", "0", "0", "0", "0", "1", "0", "0", "0", "4"};
  ShowSectionTotals(t, view);
  std::string shown;
  for (TreeNode* n : t.Nodes()) shown += n->text + (n->greyText ? " grey" : "") + "|";
  // Not bold: no total, not grey. The drive (k = 13) is past the sections.
  EXPECT_EQ("My Computer (10)|Scan Registry (6)|Registry Integrity (3)|Custome Controls (2)|Software Locations|"
            "Device Drivers (0) grey|Windows Fonts (0) grey|Help And Resources (0) grey|Shared Programmes (1)|"
            "Startup Programmes (0) grey|Add/Remove Programmes (0) grey|Virtual Devices (0) grey|"
            "Scan for Shortcuts (4)|C (Fixed)|",
            shown);
}

}  // namespace
}  // namespace hw
