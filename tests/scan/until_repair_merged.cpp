// TEMPORARY, test build only: the Next button's action belongs to the
// repair, which is being written on its own branch. This file stands in for
// it so the scan tests link; delete it (with its test) when the repair is
// merged, and test NoConfirmation against the real repair instead.
#include <gtest/gtest.h>

#include "registry/settings.h"
#include "scan/scan_fixture.h"

namespace hw {
namespace {
int g_nextClicks = 0;
}  // namespace

void Form1::nxt_Click() { ++g_nextClicks; }

namespace {

using ScanHandsOnToRepairTest = test::ScanFixture;

TEST_F(ScanHandsOnToRepairTest, NoConfirmationStartsTheNextStepAfterTheResultsAreShown) {
  PopulateRegistry();
  ClickPicture("CC");
  g_nextClicks = 0;
  form.ScanBtn_Click();
  EXPECT_EQ(0, g_nextClicks);

  Settings(form.module1).Write(kCurrentUser, kOptionsKey, "NoConfirmation", " 1 ");
  form.ext_Click();
  ClickPicture("CC");
  form.ScanBtn_Click();
  EXPECT_EQ(1, g_nextClicks);
  EXPECT_TRUE(form.scanFinished);
  EXPECT_EQ(2u, form.tvwTree.Find("CC")->ChildCount()) << "the results were loaded first";
}

}  // namespace
}  // namespace hw
