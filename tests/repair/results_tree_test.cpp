#include <gtest/gtest.h>

#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

class ResultsTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Form_Load();
    for (const char* d : {"C", "D"}) {
      if (!form.tvwTree.Find(d)) form.tvwTree.Add("Scan", d, std::string(d) + " (Fixed)", "NoneDrive");
    }
  }
  void WriteErrLog(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    tp.Folder().WriteFile(form.module1.GetLogFolder() + "\\err.log", text);
  }
  std::vector<std::string> Texts(const std::string& key) {
    std::vector<std::string> texts;
    for (TreeNode* n : form.tvwTree.Find(key)->Children()) texts.push_back(n->text);
    return texts;
  }

  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
};

TEST_F(ResultsTreeTest, EachProblemLineOfTheSectionsBlockBecomesATickedNode) {
  WriteErrLog({"[Registry Integrity]", "1.C:\\Gone", "[Custome Controls]", "2.C:\\a.dll", "3.C:\\b c.dll /x",
               "41.C:\\d.dll", "[Software Locations]", "5.C:\\e.exe"});
  form.nodeNumber = 6;
  form.FillSectionResults("Custome Controls", "CC");
  const TreeNode& cc = *form.tvwTree.Find("CC");
  ASSERT_EQ(3u, cc.ChildCount());
  EXPECT_EQ((std::vector<std::string>{"C:\\a.dll", "C:\\b c.dll /x", "C:\\d.dll"}), Texts("CC"));
  EXPECT_EQ((std::vector<std::string>{"7Err", "8Err", "9Err"}),
            (std::vector<std::string>{cc.Children()[0]->key, cc.Children()[1]->key, cc.Children()[2]->key}));
  EXPECT_EQ(2, cc.Children()[0]->problemNumber);
  EXPECT_EQ(41, cc.Children()[2]->problemNumber);
  for (const TreeNode* n : cc.Children()) {
    EXPECT_EQ("AllReg", n->image);
    EXPECT_EQ("AllReg", n->selectedImage);
    EXPECT_TRUE(n->selected);
    EXPECT_TRUE(n->expanded);
  }
  EXPECT_EQ(9, form.nodeNumber);

  // Filled once per tree build: a second fill adds nothing.
  form.FillSectionResults("Custome Controls", "CC");
  EXPECT_EQ(3u, cc.ChildCount());
  EXPECT_EQ(9, form.nodeNumber);

  // The counter runs on across sections.
  form.FillSectionResults("Registry Integrity", "RI");
  EXPECT_EQ("10Err", form.tvwTree.Find("RI")->Children()[0]->key);
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(ResultsTreeTest, DriveNodesTakeOnlyTheirOwnDrivesShortcuts) {
  WriteErrLog({"[Registry Integrity]", "1.D:\\not a shortcut", "[Scan for Shortcuts]", "2.C:\\a.lnk", "3.D:\\b.lnk",
               "4.C:\\Docs\\c.lnk"});
  form.tvwTree.Find("C")->expanded = false;
  form.FillSectionResults("CScan for Shortcuts", "C");
  form.FillSectionResults("DScan for Shortcuts", "D");
  EXPECT_EQ((std::vector<std::string>{"C:\\a.lnk", "C:\\Docs\\c.lnk"}), Texts("C"));
  EXPECT_EQ((std::vector<std::string>{"D:\\b.lnk"}), Texts("D"));
  EXPECT_EQ("AllDrive", form.tvwTree.Find("D")->Children()[0]->image);
  EXPECT_EQ(3, form.tvwTree.Find("D")->Children()[0]->problemNumber);
  EXPECT_TRUE(form.tvwTree.Find("C")->expanded);

  // Without drive filtering (the shortcut node itself, a child of "My"):
  // every line, with the computer picture.
  const std::size_t drives = form.tvwTree.Find("Scan")->ChildCount();
  form.FillSectionResults("Scan for Shortcuts", "Scan");
  EXPECT_EQ(drives, form.tvwTree.Find("Scan")->ChildCount()) << "a node with children is not filled";
  form.tvwTree.Add("My", "Other", "Other", "NoneComp");
  form.FillSectionResults("Scan for Shortcuts", "Other");
  EXPECT_EQ(3u, form.tvwTree.Find("Other")->ChildCount());
  EXPECT_EQ("AllComp", form.tvwTree.Find("Other")->Children()[0]->image);
}

TEST_F(ResultsTreeTest, OnlyTheFirstLineOfABlockIsCollapsed) {
  WriteErrLog({"[Custome Controls]", "7.C:\\\\dir\\\\x.dll", "8.C:\\\\dir\\\\x.dll"});
  form.FillSectionResults("Custome Controls", "CC");
  EXPECT_EQ((std::vector<std::string>{"C:\\dir\\x.dll", "C:\\\\dir\\\\x.dll"}), Texts("CC"));

  EXPECT_EQ("a\\b", Form1::CollapseBackslashes("a\\\\b"));
  EXPECT_EQ("a\\\\b", Form1::CollapseBackslashes("a\\\\\\b"));       // three: a pair and one left
  EXPECT_EQ("a\\\\b", Form1::CollapseBackslashes("a\\\\\\\\b"));     // four: two pairs
  EXPECT_EQ("a\\b", Form1::CollapseBackslashes("a\\\\\\\\\\b"));     // five: three left, then one
  EXPECT_EQ("a\\b", Form1::CollapseBackslashes("a\\\\\\\\\\\\b"));   // six: three left, then one
  EXPECT_EQ("\\\\server\\share", Form1::CollapseBackslashes("\\\\\\\\server\\share"));
}

TEST_F(ResultsTreeTest, BlocksEndAtBracketsRepeatAndMayBeMissing) {
  WriteErrLog({"[Startup Programmes]", "1.C:\\a.exe", "[not a header", "2.C:\\b.exe", "[Windows Fonts]",
               "3.C:\\f.ttf", "4.C:\\odd]", "5.C:\\g.ttf", "[Startup Programmes]", "6.C:\\c.exe", "no dot here"});
  form.FillSectionResults("Startup Programmes", "SuP");
  EXPECT_EQ((std::vector<std::string>{"C:\\a.exe", "C:\\c.exe", "no dot here"}), Texts("SuP"));
  EXPECT_EQ(0, form.tvwTree.Find("SuP")->Children()[2]->problemNumber);
  form.FillSectionResults("Windows Fonts", "WF");
  EXPECT_EQ((std::vector<std::string>{"C:\\f.ttf"}), Texts("WF"));

  form.FillSectionResults("Virtual Devices", "VD");  // no such block
  EXPECT_EQ(0u, form.tvwTree.Find("VD")->ChildCount());
  form.FillSectionResults("Virtual Devices", "NoSuchNode");
  tp.Folder().WriteFile(form.module1.GetLogFolder() + "\\err.log", "");
  form.FillSectionResults("Help And Resources", "HR");
  EXPECT_EQ(0u, form.tvwTree.Find("HR")->ChildCount());
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(ResultsTreeTest, AfterAScanANodeClickLoadsThatSectionsResults) {
  WriteErrLog({"[Software Locations]", "1.C:\\x.exe", "[Scan for Shortcuts]", "2.C:\\a.lnk"});
  form.tvwTree_NodeClick(*form.tvwTree.Find("SL"));
  EXPECT_EQ(0u, form.tvwTree.Find("SL")->ChildCount()) << "no results before a scan";
  form.scanFinished = true;
  form.tvwTree_NodeClick(*form.tvwTree.Find("SL"));
  EXPECT_EQ((std::vector<std::string>{"C:\\x.exe"}), Texts("SL"));
  form.tvwTree_NodeClick(*form.tvwTree.Find("C"));
  EXPECT_EQ((std::vector<std::string>{"C:\\a.lnk"}), Texts("C"));
}

}  // namespace
}  // namespace hw
