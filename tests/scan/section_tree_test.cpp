// The section tree a person ticks before a scan: its shape, and what clicks,
// the space key and a disabled tree do to the All / Some / None pictures.
#include <gtest/gtest.h>

#include "support/scan_repair_machine.h"

namespace hw {
namespace {

const std::vector<std::string> kSections = {"RI", "CC", "SL", "DD", "WF", "HR", "SP", "SuP", "ArP", "VD"};

class SectionTreeTest : public test::ScanFixture {
 protected:
  SectionTreeTest() : ScanFixture("D") {}  // a second drive on Linux; under Wine the machine's own
  void ClickText(const std::string& key) { test::ClickTree(form, view, view.TextOf(key)); }
  bool AllAre(const char* prefix) {
    for (TreeNode* n : form.tvwTree.Nodes())
      if (n->image.rfind(prefix, 0) != 0) return false;
    return true;
  }
};

TEST_F(SectionTreeTest, ABuiltTreeHasTheTableShapeAllBoldExpandedAndNone) {
  const auto& nodes = form.tvwTree.Nodes();
  std::string keys;
  for (TreeNode* n : nodes) {
    keys += n->key + " ";
    EXPECT_TRUE(n->bold && n->expanded) << n->key;
    EXPECT_EQ(n->image, n->selectedImage);
  }
  EXPECT_EQ(0u, keys.find("My Reg RI CC SL DD WF HR SP SuP ArP VD Scan "));
  EXPECT_EQ(nodes.size(), 13 + Drives().size());
  for (const std::string& d : Drives()) EXPECT_EQ(d + " (Fixed)", form.tvwTree.Find(d)->text);
  EXPECT_EQ("Custome Controls", form.tvwTree.Find("CC")->text);
  EXPECT_TRUE(AllAre("None"));
  EXPECT_EQ("NoneComp NoneDrive", Images({"My", Drives().front()}));
}

TEST_F(SectionTreeTest, PictureClicksSelectSubtreesAndParentsShowAllSomeOrNone) {
  ClickPicture("Reg");
  for (const std::string& s : kSections) EXPECT_EQ("AllReg", Image(s)) << s;
  EXPECT_EQ("SomeComp NoneDrive", Images({"My", "Scan"}));

  ClickPicture("SL");
  EXPECT_EQ("NoneReg SomeReg", Images({"SL", "Reg"}));
  EXPECT_FALSE(form.tvwTree.Find("SL")->selected);
  ClickPicture("SL");  // every section ticked again: the parent is All, its parent still Some
  EXPECT_EQ("AllReg SomeComp", Images({"Reg", "My"}));

  ClickPicture("Scan");
  for (const std::string& d : Drives()) EXPECT_EQ("AllDrive", Image(d));
  EXPECT_EQ("AllComp", Image("My"));
  const std::vector<std::string> drives = Drives();
  ClickPicture(drives.front());
  EXPECT_EQ(drives.size() > 1 ? "SomeDrive SomeComp" : "NoneDrive SomeComp", Images({"Scan", "My"}));

  ClickPicture("My");  // Some: everything becomes All
  EXPECT_TRUE(AllAre("All"));
  ClickPicture("My");  // All: everything becomes None
  EXPECT_TRUE(AllAre("None"));

  // With "Reg" collapsed the row under it is "Scan": a click on that row's
  // picture ticks the shortcut search, not a section.
  form.tvwTree.Find("Reg")->expanded = false;
  EXPECT_EQ(240.0f * 2 + 120, view.PictureOf("Scan").y);
  test::ClickTree(form, view, view.PictureOf("Scan"));
  EXPECT_EQ("AllDrive NoneReg", Images({"Scan", "RI"}));
}

TEST_F(SectionTreeTest, TextClicksToggleTwiceSoOnlySomeChangesAndSpaceTicksOnce) {
  ClickText("CC");  // None -> All -> None
  EXPECT_EQ("NoneReg NoneReg", Images({"CC", "Reg"}));
  ClickPicture("CC");
  ClickText("CC");  // All -> None -> All
  EXPECT_EQ("AllReg SomeReg", Images({"CC", "Reg"}));
  ClickText("Reg");  // Some -> All -> None, with the sections following
  for (const std::string& s : kSections) EXPECT_EQ("NoneReg", Image(s)) << s;
  EXPECT_EQ("NoneComp", Image("My"));

  // A press beside every node (right of the texts, below the last row)
  // changes nothing.
  test::ClickTree(form, view, {9000, 120});
  test::ClickTree(form, view, {100, 240.0f * static_cast<float>(form.tvwTree.Count()) + 500});
  EXPECT_TRUE(AllAre("None"));

  // Space as a click on the picture, the focus kept.
  for (const char* expected : {"AllReg", "NoneReg"}) {
    form.tvwTree_SpaceKey(*form.tvwTree.Find("Reg"));
    EXPECT_EQ(expected, Image("SL"));
    EXPECT_TRUE(form.tvwTree.Find("Reg")->selected);
  }
}

TEST_F(SectionTreeTest, ADisabledTreeIgnoresPressesAndARebuildForgetsTheSelection) {
  form.controls.SetEnabled(ctl::tvwTree, false);
  ClickPicture("Reg");
  EXPECT_EQ("NoneReg", Image("Reg"));
  TreeNode& vd = *form.tvwTree.Find("VD");
  vd.selected = true;
  form.tvwTree_Collapse(vd);
  form.tvwTree_Expand(vd);
  EXPECT_TRUE(vd.selected);
  form.controls.SetEnabled(ctl::tvwTree, true);
  form.tvwTree_Collapse(vd);
  EXPECT_FALSE(vd.selected);

  ClickPicture("My");
  Mani* before = form.sReg.get();
  form.scanState.CurrentSection = "CC";
  form.BuildSectionTree();
  EXPECT_NE(before, form.sReg.get());
  EXPECT_EQ("", form.scanState.CurrentSection);
  EXPECT_TRUE(AllAre("None"));
  form.FreeRetiredEngines();
}

}  // namespace
}  // namespace hw
