#include <gtest/gtest.h>

#include "checks/section_catalogue.h"
#include "scan/tree_clicks.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

const char* const kSections[] = {"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"};

class SectionTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.tree = &form.tvwTree;
    form.Form_Load();
  }
  std::string Image(const std::string& key) { return form.tvwTree.Find(key)->image; }
  std::vector<std::string> Drives() {
    std::vector<std::string> keys;
    for (TreeNode* d : form.tvwTree.Find("Scan")->Children()) keys.push_back(d->key);
    return keys;
  }
  void ClickPicture(const std::string& key) { test::ClickTree(form, view, view.PictureOf(key)); }
  void ClickText(const std::string& key) { test::ClickTree(form, view, view.TextOf(key)); }

  // A second drive on Linux; under Wine the machine's own drives.
  test::TestPlatform tp{"D"};
  test::ScriptedTreeView view;
  Form1 form{tp.Get(), view};
};

TEST_F(SectionTreeTest, ABuiltTreeHasTheTableShapeAllBoldExpandedAndNone) {
  const auto& nodes = form.tvwTree.Nodes();
  ASSERT_GE(nodes.size(), 13u);
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < 13; ++i) keys.push_back(nodes[i]->key);
  EXPECT_EQ((std::vector<std::string>{"My", "Reg", "RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD",
                                      "Scan"}),
            keys);
  EXPECT_EQ("Custome Controls", form.tvwTree.Find("CC")->text);
  EXPECT_EQ("Scan for Shortcuts", form.tvwTree.Find("Scan")->text);
  for (const std::string& d : Drives()) {
    EXPECT_EQ(d + " (Fixed)", form.tvwTree.Find(d)->text);
    EXPECT_EQ("NoneDrive", Image(d));
  }
  EXPECT_EQ(nodes.size(), 13 + Drives().size());
  for (TreeNode* n : nodes) {
    EXPECT_TRUE(n->bold) << n->key;
    EXPECT_TRUE(n->expanded) << n->key;
    EXPECT_EQ(n->image, n->selectedImage);
    EXPECT_TRUE(n->image.rfind("None", 0) == 0) << n->key;
  }
  EXPECT_EQ("NoneComp", Image("My"));
  EXPECT_EQ("NoneReg", Image("VD"));
}

TEST_F(SectionTreeTest, PictureClicksSelectSubtreesAndParentsShowAllSomeOrNone) {
  ClickPicture("Reg");
  EXPECT_EQ("AllReg", Image("Reg"));
  for (const char* s : kSections) EXPECT_EQ("AllReg", Image(s)) << s;
  EXPECT_EQ("SomeComp", Image("My"));
  EXPECT_EQ("NoneDrive", Image("Scan"));

  ClickPicture("SL");
  EXPECT_EQ("NoneReg", Image("SL"));
  EXPECT_FALSE(form.tvwTree.Find("SL")->selected);
  EXPECT_EQ("SomeReg", Image("Reg"));
  EXPECT_EQ("SomeComp", Image("My"));

  ClickPicture("SL");  // every section ticked again: the parent is All, its parent still Some
  EXPECT_EQ("AllReg", Image("Reg"));
  EXPECT_EQ("SomeComp", Image("My"));

  ClickPicture("Scan");
  EXPECT_EQ("AllDrive", Image("Scan"));
  for (const std::string& d : Drives()) EXPECT_EQ("AllDrive", Image(d));
  EXPECT_EQ("AllComp", Image("My"));

  const std::vector<std::string> drives = Drives();
  ClickPicture(drives.front());
  EXPECT_EQ("NoneDrive", Image(drives.front()));
  EXPECT_EQ(drives.size() > 1 ? "SomeDrive" : "NoneDrive", Image("Scan"));
  EXPECT_EQ("SomeComp", Image("My"));

  ClickPicture("My");  // Some: everything becomes All
  for (TreeNode* n : form.tvwTree.Nodes()) EXPECT_EQ(0u, n->image.rfind("All", 0)) << n->key;
  ClickPicture("My");  // All: everything becomes None
  for (TreeNode* n : form.tvwTree.Nodes()) EXPECT_EQ(0u, n->image.rfind("None", 0)) << n->key;
  EXPECT_EQ("NoneComp", Image("My"));
}

TEST_F(SectionTreeTest, TextClicksToggleTwiceSoOnlySomeChanges) {
  ClickText("CC");  // None -> All -> None
  EXPECT_EQ("NoneReg", Image("CC"));
  EXPECT_EQ("NoneReg", Image("Reg"));
  EXPECT_EQ("NoneComp", Image("My"));

  ClickPicture("CC");
  ClickText("CC");  // All -> None -> All
  EXPECT_EQ("AllReg", Image("CC"));
  EXPECT_EQ("SomeReg", Image("Reg"));

  ClickText("Reg");  // Some -> All -> None, with the sections following
  EXPECT_EQ("NoneReg", Image("Reg"));
  for (const char* s : kSections) EXPECT_EQ("NoneReg", Image(s)) << s;
  EXPECT_EQ("NoneComp", Image("My"));

  // A press beside every node (right of the texts, below the last row)
  // changes nothing.
  const auto before = form.tvwTree.Count();
  test::ClickTree(form, view, {9000, 120});
  test::ClickTree(form, view, {100, 240.0f * static_cast<float>(before) + 500});
  for (TreeNode* n : form.tvwTree.Nodes()) EXPECT_EQ(0u, n->image.rfind("None", 0)) << n->key;
}

TEST_F(SectionTreeTest, SpaceTicksTheFocusedNodeOnceAndTheFocusStays) {
  // As a click on the picture: None -> All, All -> None, the focus kept.
  for (const char* expected : {"AllReg", "NoneReg"}) {
    form.tvwTree_SpaceKey(*form.tvwTree.Find("Reg"));
    EXPECT_EQ(expected, Image("Reg"));
    EXPECT_EQ(expected, Image("SL"));
    EXPECT_TRUE(form.tvwTree.Find("Reg")->selected);
  }
}

TEST_F(SectionTreeTest, ADisabledTreeIgnoresPressesClicksAndExpansion) {
  form.controls.SetEnabled(ctl::tvwTree, false);
  form.mx = 1;
  form.my = 2;
  ClickPicture("Reg");
  EXPECT_EQ("NoneReg", Image("Reg"));
  EXPECT_EQ(1, form.mx);
  EXPECT_EQ(2, form.my);
  TreeNode& vd = *form.tvwTree.Find("VD");
  vd.selected = true;
  form.tvwTree_Collapse(vd);
  form.tvwTree_Expand(vd);
  EXPECT_TRUE(vd.selected);

  form.controls.SetEnabled(ctl::tvwTree, true);
  form.tvwTree_Collapse(vd);
  EXPECT_FALSE(vd.selected);
  vd.selected = true;
  form.tvwTree_Expand(vd);
  EXPECT_FALSE(vd.selected);
}

TEST_F(SectionTreeTest, CollapsedParentsHideTheirChildrenFromClicks) {
  // With "Reg" collapsed the row under it is "Scan": a person clicking that
  // row's picture ticks the shortcut search, not a section.
  form.tvwTree.Find("Reg")->expanded = false;
  const auto scanRow = view.PictureOf("Scan");
  EXPECT_EQ(240.0f * 2 + 120, scanRow.y);
  test::ClickTree(form, view, scanRow);
  EXPECT_EQ("AllDrive", Image("Scan"));
  EXPECT_EQ("NoneReg", Image("Reg"));
  EXPECT_EQ("NoneReg", Image("RI"));
}

TEST_F(SectionTreeTest, ARebuildForgetsTheSelectionAndRenewsTheEngine) {
  ClickPicture("My");
  Mani* before = form.sReg.get();
  form.scanState.CurrentSection = "CC";
  form.BuildSectionTree();
  EXPECT_NE(before, form.sReg.get());
  EXPECT_EQ("", form.scanState.CurrentSection);
  for (TreeNode* n : form.tvwTree.Nodes()) EXPECT_EQ(0u, n->image.rfind("None", 0)) << n->key;
  form.FreeRetiredEngines();
}

}  // namespace
}  // namespace hw
