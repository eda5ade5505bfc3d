// The main window at several sizes: what each control's rectangle becomes.
#include "ui/window_layout.h"

#include "ui/scan_progress.h"

#include <gtest/gtest.h>

#include "support/test_platform.h"
#include "ui/control_names.h"
#include "ui/form1.h"

namespace hw {
namespace {

TEST(WindowLayout, ControlsFollowTheCornersTheyBelongToAtEverySize) {
  test::TestPlatform tp;
  NullForm1View view;
  Form1 form{tp.Get(), view};
  form.Form_Load();
  const FormModel& c = form.controls;
  auto design = [&](const char* name) {
    const ControlState& s = c.Get(name);
    return TwipsRect{s.left, s.top, s.width, s.height};
  };
  // Laid out as the window does it: the area in the client, a control in
  // its container.
  auto place = [&](const char* name, const char* container, int clientWidth, int clientHeight) {
    const TwipsRect area = design(ctl::mainArea);
    const int gx = Growth(clientWidth, kDesignClientWidth), gy = Growth(clientHeight, kDesignClientHeight);
    const TwipsRect areaNow = AnchoredRect(area, MainWindowAnchors(ctl::mainArea, c), gx, gy, 0, 0);
    if (!container) return AnchoredRect(design(name), MainWindowAnchors(name, c), 0, 0, 0, 0);
    TwipsRect outer = design(container), outerNow = areaNow;
    if (std::string(container) != ctl::mainArea)
      outerNow = AnchoredRect(outer, MainWindowAnchors(container, c), areaNow.width - area.width,
                              areaNow.height - area.height, area.width, area.height);
    else
      outer = area;
    return AnchoredRect(design(name), MainWindowAnchors(name, c), outerNow.width - outer.width,
                        outerNow.height - outer.height, outer.width, outer.height);
  };
  struct Size {
    int width, height;
  };
  // A little wider and much higher, large, and too small (which keeps the
  // design, as the design size itself does).
  const Size sizes[] = {{12000, 7800}, {24000, 14000}, {8000, 3000}};
  struct Row {
    const char *control, *container;
    TwipsRect expected[3];
  };

  const Row results[] = {
      {ctl::tvwTree, ctl::mainArea, {{100, 240, 9280, 5145}, {100, 240, 21280, 11345}, {100, 240, 9200, 2025}}},
      {ctl::txtDetails, ctl::mainArea, {{100, 5445, 9280, 1575}, {100, 11645, 21280, 1575}, {100, 2325, 9200, 1575}}},
      {ctl::Frame1, ctl::mainArea, {{100, 7080, 9280, 540}, {100, 13280, 21280, 540}, {100, 3960, 9200, 540}}},
      {ctl::ext, ctl::Frame1, {{7720, 60, 1500, 420}, {19720, 60, 1500, 420}, {7640, 60, 1500, 420}}},
      {ctl::lblErrDetectedProb1, ctl::Frame1, {{450, 150, 4500, 240}, {450, 150, 4500, 240}, {450, 150, 4500, 240}}},
      {ctl::hlpBtn, nullptr, {{300, 1920, 1680, 420}, {300, 1920, 1680, 420}, {300, 1920, 1680, 420}}},
  };
  const Row firstPage[] = {
      // The section tree keeps its width beside the pages and takes the height.
      {ctl::tvwTree, ctl::mainArea, {{15, 240, 2895, 7455}, {15, 240, 2895, 13655}, {15, 240, 2895, 4335}}},
      {ctl::scanNowPic, ctl::firstfrm, {{0, 0, 6410, 300}, {0, 0, 18410, 300}, {0, 0, 6330, 300}}},
      {ctl::ScanBtn, ctl::firstfrm, {{240, 450, 1680, 480}, {240, 450, 1680, 480}, {240, 450, 1680, 480}}},
      {ctl::cbullet, ctl::scanNowPic, {{6080, 30, 240, 240}, {18080, 30, 240, 240}, {6000, 30, 240, 240}}},
      // The backup manager: the list takes the room, its buttons the corner.
      {ctl::ListVW1, ctl::fraBackUp, {{60, 360, 6350, 6480}, {60, 360, 18350, 12680}, {60, 360, 6270, 3360}}},
      {ctl::pctBackupPanel, ctl::fraBackUp, {{0, 6900, 6470, 690}, {0, 13100, 18470, 690}, {0, 3780, 6390, 690}}},
  };
  auto check = [&](const Row* rows, std::size_t count) {
    for (std::size_t r = 0; r < count; ++r)
      for (int s = 0; s < 3; ++s)
        EXPECT_EQ(rows[r].expected[s], place(rows[r].control, rows[r].container, sizes[s].width, sizes[s].height))
            << rows[r].control << " at " << sizes[s].width << "x" << sizes[s].height;
  };
  form.ShowResultsLayout();
  check(results, sizeof results / sizeof results[0]);
  form.ext_Click();
  check(firstPage, sizeof firstPage / sizeof firstPage[0]);
}

TEST(WindowLayout, APlacementIsKeptAsTextAndBadTextIsRefused) {
  const WindowPlacement p{-8, 40, 1600, 1000, true};
  EXPECT_EQ("-8,40,1600,1000,max", FormatWindowPlacement(p));
  const auto back = ParseWindowPlacement("-8,40,1600,1000,max");
  ASSERT_TRUE(back);
  EXPECT_EQ(FormatWindowPlacement(p), FormatWindowPlacement(*back));
  EXPECT_FALSE(ParseWindowPlacement("10,10,800,600,normal")->maximized);
  for (const char* bad : {"", " ", "10,10,800", "10,10,800,600,big", "10,10,50,600,normal", "10,10,800,600,normal,x",
                          "a,b,c,d,max"})
    EXPECT_FALSE(ParseWindowPlacement(bad)) << bad;
}

TEST(ScanProgress, ThePercentageOfTheBarsRangeGoesIntoTheTitle) {
  struct Row {
    long value, min, max;
    int percent;
  };
  for (const Row& r : {Row{0, 0, 120, 0}, Row{30, 0, 120, 25}, Row{119, 0, 120, 99}, Row{120, 0, 120, 100},
                       Row{500, 0, 120, 100}, Row{-5, 0, 120, 0}, Row{5, 10, 10, 0}})
    EXPECT_EQ(r.percent, ProgressPercent(r.value, r.min, r.max)) << r.value << "/" << r.max;
  EXPECT_EQ("25% - Hivewright", ProgressTitle("Hivewright", 25));
}

}  // namespace
}  // namespace hw
