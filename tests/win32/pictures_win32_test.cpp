#include "ui/win32/pictures_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace hw {
namespace {

// The keys the windows ask for, with the size each is laid out for.
std::map<std::string, SIZE> ExpectedSizes() {
  std::map<std::string, SIZE> m = {{"Emblem", {64, 64}}, {"Splash", {480, 280}}};
  for (const char* k : {"scanBtn", "backupBtn", "confmBtn"}) m[k] = {24, 24};
  for (const char* k : {"help", "Support", "cbulletBtn", "link", "abort", "performing", "nxtBtn", "hlpBtnPic",
                        "SuprBtnPic", "imgAbort", "imgReturn", "nxtPic", "imgBackUp", "imgPause", "imgResume",
                        "imgCross", "imgRestore", "imgOk"})
    m[k] = {16, 16};
  for (const char* state : {"All", "Some", "None"})
    for (const char* kind : {"Comp", "Reg", "Drive"}) m[std::string(state) + kind] = {16, 16};
  return m;
}

struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;
};

Pixels Read(const Bitmap& bmp) {
  Pixels p;
  DIBSECTION ds{};
  if (GetObjectA(bmp.Get(), sizeof ds, &ds) != sizeof ds || ds.dsBm.bmBitsPixel != 32) return p;
  p.width = ds.dsBm.bmWidth;
  p.height = ds.dsBm.bmHeight;
  const auto* bits = static_cast<const std::uint32_t*>(ds.dsBm.bmBits);
  p.argb.assign(bits, bits + static_cast<size_t>(p.width) * p.height);
  return p;
}

TEST(Pictures, EveryKeyDrawsAPictureOfItsSizeAndStatesAndTogglesCanBeToldApart) {
  for (const auto& [key, want] : ExpectedSizes()) {
    SCOPED_TRACE(key);
    EXPECT_EQ(want.cx, PictureSize(key).cx);
    EXPECT_EQ(want.cy, PictureSize(key).cy);
    const Pixels p = Read(MakePicture(key));
    ASSERT_EQ(want.cx, p.width);
    ASSERT_EQ(want.cy, p.height);
    // Drawn in several colours over a real share, opaque or fully transparent;
    // over a solid background opaque, the surround that background.
    const Pixels solid = Read(MakePicture(key, RGB(0x12, 0x34, 0x56)));
    ASSERT_EQ(p.argb.size(), solid.argb.size());
    size_t opaque = 0, transparent = 0, background = 0, half = 0;
    std::set<std::uint32_t> colours;
    for (size_t i = 0; i < p.argb.size(); ++i) {
      const std::uint32_t px = p.argb[i];
      opaque += px >> 24 == 0xFF;
      transparent += px == 0;
      half += px != 0 && px >> 24 != 0xFF;
      if (px >> 24 == 0xFF) colours.insert(px);
      EXPECT_EQ(0xFFu, solid.argb[i] >> 24);
      background += px == 0 && solid.argb[i] == 0xFF123456u;
    }
    EXPECT_EQ(0u, half);
    EXPECT_GT(opaque, p.argb.size() / 8);
    EXPECT_GE(colours.size(), key == "Splash" ? 20u : 2u);
    EXPECT_EQ(key == "Splash", transparent == 0) << "transparent surround";
    EXPECT_EQ(transparent, background);
  }
  EXPECT_FALSE(MakePicture("NoSuchPicture"));
  EXPECT_FALSE(MakePicture("allcomp"));  // keys are exact
  EXPECT_EQ(0, PictureSize("NoSuchPicture").cx);

  // Every tree state picture differs from every other, and so do the two
  // faces one button switches between; the kind glyph is the same whatever the state.
  std::set<std::vector<std::uint32_t>> seen;
  for (const char* state : {"All", "Some", "None"})
    for (const char* kind : {"Comp", "Reg", "Drive"})
      EXPECT_TRUE(seen.insert(Read(MakePicture(std::string(state) + kind)).argb).second) << state << kind;
  for (const auto& [a, b] : {std::pair{"imgPause", "imgResume"}, {"imgAbort", "imgReturn"}, {"imgCross", "imgOk"}})
    EXPECT_NE(Read(MakePicture(a)).argb, Read(MakePicture(b)).argb) << a;
  const Pixels all = Read(MakePicture("AllReg")), none = Read(MakePicture("NoneReg"));
  for (int y = 0; y < 16; ++y)
    for (int x = 10; x < 16; ++x) EXPECT_EQ(all.argb[y * 16 + x], none.argb[y * 16 + x]) << x << "," << y;
}

}  // namespace
}  // namespace hw
