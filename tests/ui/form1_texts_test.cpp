#include <gtest/gtest.h>

#include "registry/settings.h"
#include "support/test_paths.h"
#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

class Form1TextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings(form.module1).Write(kLocalMachine, kPathKey, "RefFile", ref);
    tp.Folder().MakeFolder(ref);
  }
  void UseLanguage(const std::string& name, const std::string& content) {
    tp.Folder().WriteFile(ref + "\\" + name + ".ini", content);
    Settings(form.module1).Write(kCurrentUser, kLanguageKey, "default", name);
  }
  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
  std::string ref = tp.Root() + "\\Languages";
};

TEST_F(Form1TextsTest, TheShippedGermanFileReplacesCaptionsNodesAndTheDriveMark) {
  UseLanguage("Deutsch", test::ReadSourceFile("/resources/Ref/Deutsch.ini"));
  form.Form_Load();
  EXPECT_EQ("Arbeitsplatz", form.tvwTree.Find("My")->text);
  EXPECT_EQ(" Problem(e) gefunden", form.ProblemsFoundText());
  EXPECT_EQ("(Fest)", form.texts.fixedDriveMark);
  EXPECT_NE("Scan", form.controls.Text(ctl::ScanBtn));
  // The drive nodes carry the new mark, also after the next rebuild.
  for (int build = 0; build < 2; ++build, form.BuildSectionTree())
    for (TreeNode* n : form.tvwTree.Nodes()) {
      if (n->Parent() && n->Parent()->key == "Scan") {
        EXPECT_EQ(n->key + " (Fest)", n->text) << build;
      }
      if (build == 0) {
        EXPECT_TRUE(n->bold) << n->key;
      }
    }
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(Form1TextsTest, LineRulesLaterLinesWinAndTheSeparatorIsSkipped) {
  UseLanguage("Mine",
              "1016 Analyse\r\n1025=First\r\n1025=Second\r\n1076=Fehler gefunden\r\n"
              " 100=ignored\r\n1001=Computer A\r\n9999=unknown\r\n1031=  spaced  \r\n");
  form.Form_Load();
  EXPECT_EQ("Analyse", form.controls.Text(ctl::ScanBtn));
  EXPECT_EQ("Second", form.controls.Text(ctl::hlpBtn));
  EXPECT_EQ("Fehler gefunden", form.texts.problemsDetectedSuffix);
  EXPECT_EQ("Computer A", form.tvwTree.Find("My")->text);
  EXPECT_EQ("  spaced  ", form.texts.nextButtonHint);
  EXPECT_EQ("  spaced  ", form.controls.Text(ctl::Label1));
  // What the file leaves out keeps its default.
  EXPECT_EQ("Custome Controls", form.tvwTree.Find("CC")->text);
  EXPECT_EQ(" Problem(s) Found", form.texts.ProblemsFoundText);
  EXPECT_TRUE(tp.dialogs.messages.empty());
}

TEST_F(Form1TextsTest, ALineWithoutNumberRestoresDefaultsAndSaysSo) {
  UseLanguage("Broken", "1016=Analyse\r\n1029=Stopp\r\n\r\n1025=Hilfe\r\n");
  form.Form_Load();
  ASSERT_EQ(1u, tp.dialogs.messages.size());
  EXPECT_EQ("Error Description : Type mismatch\r\nError Source :SetAll Text function", tp.dialogs.messages[0].text);
  EXPECT_EQ("Abort", form.texts.abortCaption);        // a window text: back at its default
  EXPECT_EQ("Analyse", form.controls.Text(ctl::ScanBtn));  // set directly before the bad line: kept
  EXPECT_EQ("Help", form.controls.Text(ctl::hlpBtn));      // after it: never read
  EXPECT_NE(nullptr, form.sReg);
}

}  // namespace
}  // namespace hw
