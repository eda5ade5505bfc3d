#include "ui/win32/pictures_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "ui/win32/screenshot_win32.h"
#include "support/test_paths.h"

namespace hw {
namespace {

// The keys the windows ask for, with the size each is laid out for.
const std::map<std::string, SIZE>& ExpectedSizes() {
  static const std::map<std::string, SIZE> sizes = [] {
    std::map<std::string, SIZE> m = {{"Emblem", {64, 64}}, {"Splash", {480, 280}}};
    for (const char* k : {"scanBtn", "backupBtn", "confmBtn"}) m[k] = {24, 24};
    for (const char* k : {"help", "Support", "cbulletBtn", "link", "abort", "performing", "nxtBtn", "hlpBtnPic",
                          "SuprBtnPic", "imgAbort", "imgReturn", "nxtPic", "imgBackUp", "imgPause", "imgResume",
                          "imgCross", "imgRestore", "imgOk"})
      m[k] = {16, 16};
    for (const char* state : {"All", "Some", "None"})
      for (const char* kind : {"Comp", "Reg", "Drive"}) m[std::string(state) + kind] = {16, 16};
    return m;
  }();
  return sizes;
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

TEST(Pictures, EveryKeyDrawsAPictureOfItsSize) {
  std::set<std::string> made;
  for (const std::string& key : PictureKeys()) {
    SCOPED_TRACE(key);
    made.insert(key);
    ASSERT_EQ(1u, ExpectedSizes().count(key)) << "picture nobody asked for";
    const SIZE want = ExpectedSizes().at(key);
    EXPECT_EQ(want.cx, PictureSize(key).cx);
    EXPECT_EQ(want.cy, PictureSize(key).cy);

    Bitmap bmp = MakePicture(key);
    ASSERT_TRUE(bmp);
    const Pixels p = Read(bmp);
    ASSERT_EQ(want.cx, p.width);
    ASSERT_EQ(want.cy, p.height);

    size_t opaque = 0, transparent = 0;
    std::set<std::uint32_t> colours;
    for (std::uint32_t px : p.argb) {
      const std::uint32_t alpha = px >> 24;
      if (alpha == 0xFF) {
        ++opaque;
        colours.insert(px);
      } else if (px == 0) {
        ++transparent;
      } else {
        ADD_FAILURE() << "half-transparent pixel " << std::hex << px;
        break;
      }
    }
    // Not blank: a real share of the picture is drawn, in several colours.
    EXPECT_GT(opaque, p.argb.size() / 8);
    EXPECT_GE(colours.size(), 2u);
    if (key == "Splash") {
      EXPECT_EQ(0u, transparent);
      EXPECT_GE(colours.size(), 20u);
    } else {
      EXPECT_GT(transparent, 0u) << "no transparent surround";
    }

    // Over a solid background the picture is opaque and the surround is
    // that background.
    const COLORREF face = RGB(0x12, 0x34, 0x56);
    const Pixels solid = Read(MakePicture(key, face));
    ASSERT_EQ(p.argb.size(), solid.argb.size());
    size_t background = 0;
    for (size_t i = 0; i < solid.argb.size(); ++i) {
      EXPECT_EQ(0xFFu, solid.argb[i] >> 24);
      if (p.argb[i] == 0) background += (solid.argb[i] == 0xFF123456u);
    }
    EXPECT_EQ(transparent, background);
  }
  EXPECT_EQ(ExpectedSizes().size(), made.size());

  EXPECT_FALSE(MakePicture("NoSuchPicture"));
  EXPECT_FALSE(MakePicture("allcomp"));  // keys are exact
  EXPECT_EQ(0, PictureSize("NoSuchPicture").cx);
}

TEST(Pictures, StatesAndTogglesCanBeToldApart) {
  // Every tree state picture differs from every other, and so do the two
  // faces that one button switches between.
  std::vector<std::string> distinct;
  for (const char* state : {"All", "Some", "None"})
    for (const char* kind : {"Comp", "Reg", "Drive"}) distinct.push_back(std::string(state) + kind);
  std::set<std::vector<std::uint32_t>> seen;
  for (const auto& key : distinct) EXPECT_TRUE(seen.insert(Read(MakePicture(key)).argb).second) << key;
  EXPECT_NE(Read(MakePicture("imgPause")).argb, Read(MakePicture("imgResume")).argb);
  EXPECT_NE(Read(MakePicture("imgAbort")).argb, Read(MakePicture("imgReturn")).argb);
  EXPECT_NE(Read(MakePicture("imgCross")).argb, Read(MakePicture("imgOk")).argb);

  // The state of a node shows in its check box alone: the kind glyph is
  // the same whatever the state.
  const Pixels all = Read(MakePicture("AllReg")), none = Read(MakePicture("NoneReg"));
  for (int y = 0; y < 16; ++y)
    for (int x = 10; x < 16; ++x) EXPECT_EQ(all.argb[y * 16 + x], none.argb[y * 16 + x]) << x << "," << y;
}

// One sheet with every picture, blended over a window-coloured background
// at their own size and three times enlarged, for a person to look at.
TEST(Pictures, ContactSheet) {
  const int cols = 6, cell_w = 104, cell_h = 92;
  std::vector<std::string> small;
  for (const auto& key : PictureKeys())
    if (key != "Splash" && key != "Emblem") small.push_back(key);
  const int rows = static_cast<int>((small.size() + cols - 1) / cols);
  const int width = 16 + cols * cell_w, top = 300, height = top + rows * cell_h + 8;

  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  Bitmap sheet(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(sheet);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, sheet.Get());
  RECT all{0, 0, width, height};
  HBRUSH face = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
  FillRect(dc, &all, face);
  DeleteObject(face);
  SetBkMode(dc, TRANSPARENT);

  HDC src = CreateCompatibleDC(nullptr);
  auto blend = [&](const std::string& key, int x, int y, int scale) {
    Bitmap b = MakePicture(key);
    const SIZE s = PictureSize(key);
    HGDIOBJ o = SelectObject(src, b.Get());
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const BOOL ok = AlphaBlend(dc, x, y, s.cx * scale, s.cy * scale, src, 0, 0, s.cx, s.cy, bf);
    SelectObject(src, o);
    return ok;
  };
  EXPECT_TRUE(blend("Splash", 8, 8, 1));
  EXPECT_TRUE(blend("Emblem", 500, 8, 1));
  EXPECT_TRUE(blend("Emblem", 500, 80, 2));
  for (size_t i = 0; i < small.size(); ++i) {
    const int x = 8 + static_cast<int>(i % cols) * cell_w, y = top + static_cast<int>(i / cols) * cell_h;
    EXPECT_TRUE(blend(small[i], x, y, 3)) << small[i];
    EXPECT_TRUE(blend(small[i], x + 78, y, 1)) << small[i];
    RECT label{x, y + 74, x + cell_w - 4, y + 90};
    DrawTextA(dc, small[i].c_str(), -1, &label, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
  DeleteDC(src);
  GdiFlush();
  // GDI leaves alpha at 0; the sheet itself is opaque.
  auto* px = static_cast<std::uint32_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) px[i] |= 0xFF000000u;
  SelectObject(dc, old);
  DeleteDC(dc);

  const std::string dir = test::BuildDir() + "\\screenshots";
  std::filesystem::create_directories(dir);
  const std::string png = dir + "\\pictures.png";
  ASSERT_TRUE(SaveBitmapPng(sheet.Get(), png));
  EXPECT_GT(std::filesystem::file_size(png), 2000u);
}

}  // namespace
}  // namespace hw
