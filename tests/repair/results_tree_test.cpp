// The results tree read from err.log: which lines become which section's
// ticked problem nodes, the ones a repair then takes.
#include <gtest/gtest.h>

#include "support/scan_repair_machine.h"

namespace hw {
namespace {

class ResultsTreeTest : public test::ScanFixture {
 protected:
  void SetUp() override {
    ScanFixture::SetUp();
    for (const char* d : {"C", "D"})
      if (!form.tvwTree.Find(d)) form.tvwTree.Add("Scan", d, std::string(d) + " (Fixed)", "NoneDrive");
  }
  void WriteErrLog(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    tp.Folder().WriteFile(LogPath("err.log"), text);
  }
  std::vector<std::string> Texts(const std::string& key) {
    std::vector<std::string> texts;
    for (TreeNode* n : form.tvwTree.Find(key)->Children()) texts.push_back(n->text);
    return texts;
  }
};

TEST_F(ResultsTreeTest, EachProblemLineOfTheSectionsBlockBecomesATickedNode) {
  WriteErrLog({"[Registry Integrity]", "1.C:\\Gone", "[Custome Controls]", "2.C:\\a.dll", "3.C:\\b c.dll /x",
               "41.C:\\d.dll", "[Software Locations]", "5.C:\\e.exe"});
  form.nodeNumber = 6;
  form.FillSectionResults("Custome Controls", "CC");
  const TreeNode& cc = *form.tvwTree.Find("CC");
  EXPECT_EQ((std::vector<std::string>{"C:\\a.dll", "C:\\b c.dll /x", "C:\\d.dll"}), Texts("CC"));
  ASSERT_EQ(3u, cc.ChildCount());
  EXPECT_EQ("7Err", cc.Children()[0]->key);
  EXPECT_EQ("9Err", cc.Children()[2]->key);
  EXPECT_EQ(2, cc.Children()[0]->problemNumber);
  EXPECT_EQ(41, cc.Children()[2]->problemNumber);
  for (const TreeNode* n : cc.Children()) {
    EXPECT_EQ("AllReg", n->image);
    EXPECT_EQ("AllReg", n->selectedImage);
  }
  form.FillSectionResults("Custome Controls", "CC");  // filled once per tree build
  EXPECT_EQ(3u, cc.ChildCount());
  form.FillSectionResults("Registry Integrity", "RI");  // the counter runs on across sections
  EXPECT_EQ("10Err", form.tvwTree.Find("RI")->Children()[0]->key);

  // Blocks end at the next header, may repeat, may be missing; only the
  // first line of a block has its doubled backslashes collapsed.
  WriteErrLog({"[Startup Programmes]", "1.C:\\\\dir\\\\a.exe", "2.C:\\\\dir\\\\a.exe", "[not a header", "9.C:\\b.exe",
               "[Windows Fonts]",
               "3.C:\\f.ttf", "4.C:\\odd]", "5.C:\\g.ttf", "[Startup Programmes]", "6.C:\\c.exe", "no dot here"});
  form.FillSectionResults("Startup Programmes", "SuP");
  EXPECT_EQ((std::vector<std::string>{"C:\\dir\\a.exe", "C:\\\\dir\\\\a.exe", "C:\\c.exe", "no dot here"}),
            Texts("SuP"));
  EXPECT_EQ(0, form.tvwTree.Find("SuP")->Children()[3]->problemNumber);
  form.FillSectionResults("Windows Fonts", "WF");
  EXPECT_EQ((std::vector<std::string>{"C:\\f.ttf"}), Texts("WF"));
  form.FillSectionResults("Virtual Devices", "VD");
  EXPECT_EQ(0u, form.tvwTree.Find("VD")->ChildCount());
  form.FillSectionResults("Virtual Devices", "NoSuchNode");
  EXPECT_TRUE(tp.dialogs.messages.empty());

  for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"a\\\\b", "a\\b"}, {"a\\\\\\b", "a\\\\b"}, {"a\\\\\\\\b", "a\\\\b"}, {"a\\\\\\\\\\b", "a\\b"},
           {"a\\\\\\\\\\\\b", "a\\b"}, {"\\\\\\\\server\\share", "\\\\server\\share"}})
    EXPECT_EQ(out, Form1::CollapseBackslashes(in)) << in;
}

TEST_F(ResultsTreeTest, DriveNodesTakeOnlyTheirOwnDrivesShortcutsOnceAScanIsDone) {
  WriteErrLog({"[Registry Integrity]", "1.D:\\not a shortcut", "[Scan for Shortcuts]", "2.C:\\a.lnk", "3.D:\\b.lnk",
               "4.C:\\Docs\\c.lnk"});
  form.tvwTree_NodeClick(*form.tvwTree.Find("C"));
  EXPECT_EQ(0u, form.tvwTree.Find("C")->ChildCount()) << "no results before a scan";
  form.scanFinished = true;
  form.tvwTree.Find("C")->expanded = false;
  form.tvwTree_NodeClick(*form.tvwTree.Find("C"));
  form.FillSectionResults("DScan for Shortcuts", "D");
  EXPECT_EQ((std::vector<std::string>{"C:\\a.lnk", "C:\\Docs\\c.lnk"}), Texts("C"));
  EXPECT_EQ((std::vector<std::string>{"D:\\b.lnk"}), Texts("D"));
  EXPECT_EQ("AllDrive", form.tvwTree.Find("D")->Children()[0]->image);
  EXPECT_EQ(3, form.tvwTree.Find("D")->Children()[0]->problemNumber);
  EXPECT_TRUE(form.tvwTree.Find("C")->expanded);

  // Without drive filtering (a node that is not a drive): every line, with
  // the computer picture; a node with children is not filled.
  const std::size_t drives = form.tvwTree.Find("Scan")->ChildCount();
  form.FillSectionResults("Scan for Shortcuts", "Scan");
  EXPECT_EQ(drives, form.tvwTree.Find("Scan")->ChildCount());
  form.tvwTree.Add("My", "Other", "Other", "NoneComp");
  form.FillSectionResults("Scan for Shortcuts", "Other");
  EXPECT_EQ(3u, form.tvwTree.Find("Other")->ChildCount());
  EXPECT_EQ("AllComp", form.tvwTree.Find("Other")->Children()[0]->image);
}

}  // namespace
}  // namespace hw
