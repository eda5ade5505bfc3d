// The results tree read from err.log: which lines become which section's
// ticked problem nodes, the ones a repair then takes.
#include <gtest/gtest.h>

#include "support/scan_repair_machine.h"

namespace hw {
namespace {

using Lines = std::vector<std::string>;

class ResultsTreeTest : public test::ScanFixture {
 protected:
  void SetUp() override {
    ScanFixture::SetUp();
    for (const char* d : {"C", "D"})
      if (!form.tvwTree.Find(d)) form.tvwTree.Add("Scan", d, std::string(d) + " (Fixed)", "NoneDrive");
  }
  void WriteErrLog(const Lines& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    tp.Folder().WriteFile(LogPath("err.log"), text);
  }
  /// The children of a node: "text key number picture" (the selected
  /// picture after a "/" where it differs).
  Lines Children(const std::string& key) {
    Lines out;
    for (TreeNode* n : form.tvwTree.Find(key)->Children())
      out.push_back(n->text + " " + n->key + " " + std::to_string(n->problemNumber) + " " + n->image +
                    (n->selectedImage == n->image ? "" : "/" + n->selectedImage));
    return out;
  }
};

TEST_F(ResultsTreeTest, EachProblemLineOfTheSectionsBlockBecomesATickedNode) {
  WriteErrLog({"[Registry Integrity]", "1.C:\\Gone", "[Custome Controls]", "2.C:\\a.dll", "3.C:\\b c.dll /x",
               "41.C:\\d.dll", "[Software Locations]", "5.C:\\e.exe"});
  form.nodeNumber = 6;
  form.FillSectionResults("Custome Controls", "CC");
  form.FillSectionResults("Custome Controls", "CC");  // filled once per tree build
  form.FillSectionResults("Registry Integrity", "RI");  // the counter runs on across sections
  EXPECT_EQ((Lines{"C:\\a.dll 7Err 2 AllReg", "C:\\b c.dll /x 8Err 3 AllReg", "C:\\d.dll 9Err 41 AllReg"}),
            Children("CC"));
  EXPECT_EQ((Lines{"C:\\Gone 10Err 1 AllReg"}), Children("RI"));

  // Blocks end at the next header, may repeat, may be missing; only the
  // first line of a block has its doubled backslashes collapsed.
  WriteErrLog({"[Startup Programmes]", "1.C:\\\\dir\\\\a.exe", "2.C:\\\\dir\\\\a.exe", "[not a header", "9.C:\\b.exe",
               "[Windows Fonts]", "3.C:\\f.ttf", "4.C:\\odd]", "5.C:\\g.ttf", "[Startup Programmes]", "6.C:\\c.exe",
               "no dot here"});
  form.FillSectionResults("Startup Programmes", "SuP");
  form.FillSectionResults("Windows Fonts", "WF");
  form.FillSectionResults("Virtual Devices", "VD");
  form.FillSectionResults("Virtual Devices", "NoSuchNode");
  EXPECT_EQ((Lines{"C:\\dir\\a.exe 11Err 1 AllReg", "C:\\\\dir\\\\a.exe 12Err 2 AllReg", "C:\\c.exe 13Err 6 AllReg",
                   "no dot here 14Err 0 AllReg"}),
            Children("SuP"));
  EXPECT_EQ((Lines{"C:\\f.ttf 15Err 3 AllReg"}), Children("WF"));
  EXPECT_EQ(0u, form.tvwTree.Find("VD")->ChildCount());
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
  EXPECT_EQ((Lines{"C:\\a.lnk 1Err 2 AllDrive", "C:\\Docs\\c.lnk 2Err 4 AllDrive"}), Children("C"));
  EXPECT_EQ((Lines{"D:\\b.lnk 3Err 3 AllDrive"}), Children("D"));
  EXPECT_TRUE(form.tvwTree.Find("C")->expanded);

  // Without drive filtering (a node that is not a drive): every line, with
  // the computer picture; a node with children is not filled.
  const std::size_t drives = form.tvwTree.Find("Scan")->ChildCount();
  form.FillSectionResults("Scan for Shortcuts", "Scan");
  EXPECT_EQ(drives, form.tvwTree.Find("Scan")->ChildCount());
  form.tvwTree.Add("My", "Other", "Other", "NoneComp");
  form.FillSectionResults("Scan for Shortcuts", "Other");
  EXPECT_EQ((Lines{"C:\\a.lnk 4Err 2 AllComp", "D:\\b.lnk 5Err 3 AllComp", "C:\\Docs\\c.lnk 6Err 4 AllComp"}),
            Children("Other"));
}

}  // namespace
}  // namespace hw
