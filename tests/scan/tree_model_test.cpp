#include "scan/section_totals.h"
#include "scan/tree_model.h"

#include <gtest/gtest.h>

#include "checks/caption_view.h"
#include "checks/section_catalogue.h"
#include "checks/section_checks.h"
#include "platform/runtime_error.h"

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
  EXPECT_EQ(2u, t.Find("My")->ChildCount());
  EXPECT_EQ("AllDrive", t.Find("C")->selectedImage);
  EXPECT_EQ(nullptr, t.Find("Nope"));
  EXPECT_THROW(t.Add("", "RI", "again", ""), RuntimeError);
  EXPECT_THROW(t.Add("Nope", "x", "x", ""), RuntimeError);

  t.Remove(*t.Find("Reg"));
  EXPECT_EQ(3u, t.Count());
  EXPECT_EQ("Scan", t.Nodes()[1]->key);
  EXPECT_EQ(2u, t.Nodes()[1]->Index());
  EXPECT_EQ(1u, t.Find("My")->ChildCount());
  t.Clear();
  EXPECT_EQ(0u, t.Count());
  EXPECT_TRUE(t.Roots().empty());
}

TEST(TreeModel, SectionTotalsGoOnBoldNodesAndGreyTheEmptyOnes) {
  TreeModel t;
  BuildSectionTree(t);
  for (TreeNode* n : t.Nodes()) n->bold = true;
  t.Find("SL")->bold = false;  // not selected for this scan
  test::CaptionView view;
  view.numSecEr = {"3", "2", "0", "0", "0", "0", "1", "0", "0", "0", "4"};
  ShowSectionTotals(t, view);
  EXPECT_EQ("My Computer (10)", t.Find("My")->text);
  EXPECT_EQ("Scan Registry (6)", t.Find("Reg")->text);
  EXPECT_EQ("Registry Integrity (3)", t.Find("RI")->text);
  EXPECT_EQ("Software Locations", t.Find("SL")->text);
  EXPECT_FALSE(t.Find("SL")->greyText);
  EXPECT_EQ("Device Drivers (0)", t.Find("DD")->text);
  EXPECT_TRUE(t.Find("DD")->greyText);
  EXPECT_FALSE(t.Find("RI")->greyText);
  EXPECT_EQ("Scan for Shortcuts (4)", t.Find("Scan")->text);
  EXPECT_EQ("C (Fixed)", t.Find("C")->text);  // k = 13: past the sections
}

}  // namespace
}  // namespace hw
