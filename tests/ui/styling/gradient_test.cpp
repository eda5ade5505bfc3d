#include "ui/styling/gradient.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "support/scripted_dialogs.h"

namespace hw {
namespace {

// A drawing surface in memory: pixels, one-pixel lines (end excluded, as
// GDI draws them) and a table of system colours standing for the toolkit's.
class PixelCanvas : public GradientCanvas {
 public:
  PixelCanvas(int w, int h, std::uint32_t background) : w_(w), h_(h), px_(static_cast<size_t>(w * h), background) {}

  void Refresh() override { ++refreshes; }
  void LockUpdates(bool lock) override { locks.push_back(lock); }
  bool ClientSize(int& width, int& height) override {
    width = w_;
    height = h_;
    return true;
  }
  void MoveTo(int x, int y) override {
    cx_ = x;
    cy_ = y;
  }
  void LineTo(int x, int y, std::uint32_t color) override {
    ++lines;
    // Axis-parallel lines are all the painter makes at its one angle.
    const int dx = x > cx_ ? 1 : x < cx_ ? -1 : 0;
    const int dy = y > cy_ ? 1 : y < cy_ ? -1 : 0;
    for (int px = cx_, py = cy_; px != x || py != y; px += dx, py += dy) Put(px, py, color);
    cx_ = x;
    cy_ = y;
  }
  std::uint32_t GetPixel(int x, int y) override { return Inside(x, y) ? px_[Index(x, y)] : 0xFFFFFFFFu; }
  void SetPixel(int x, int y, GradientColor color) override {
    const auto c = static_cast<std::uint32_t>(color);
    Put(x, y, (c & 0x80000000u) ? systemColors.at(c & 0xFF) : c);
  }
  std::uint32_t At(int x, int y) const { return px_[Index(x, y)]; }

  std::map<std::uint32_t, std::uint32_t> systemColors{{0x0C, 0xABABABu}, {0x0F, 0xF0F0F0u}};
  int refreshes = 0;
  int lines = 0;
  std::vector<bool> locks;

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  size_t Index(int x, int y) const { return static_cast<size_t>(y * w_ + x); }
  void Put(int x, int y, std::uint32_t c) {
    if (Inside(x, y)) px_[Index(x, y)] = c;
  }
  int w_, h_;
  std::vector<std::uint32_t> px_;
  int cx_ = 0, cy_ = 0;
};

TEST(Gradient, ColourTableStepsEachComponentToTheSecondColourRoundingHalvesToEven) {
  // Black to pure red in 4 steps: 63.75 a step, 127.5 rounds to the even 128.
  test::ScriptedPump pump;
  EXPECT_EQ((std::vector<std::uint32_t>{64, 128, 191, 255}), BuildColorTable(0x000000, 0x0000FF, 4, &pump));
  EXPECT_EQ(4, pump.Count());
  // Components are blue, green, red from the left of BBGGRR: each moves on
  // its own, and downwards too (255 - 127.5 = 127.5 -> 128).
  EXPECT_EQ((std::vector<std::uint32_t>{0x808018, 0x00FF20}), BuildColorTable(0xFF0010, 0x00FF20, 2));
  EXPECT_EQ(std::vector<std::uint32_t>(5, 0x336699), BuildColorTable(0x336699, 0x336699, 5));
  EXPECT_TRUE(BuildColorTable(0, 0xFFFFFF, 0).empty());
  for (const auto& [value, rounded] : {std::pair{127.5, 128L}, {126.5, 126L}, {191.75, 192L}, {-2.5, -2L}, {-2.6, -3L}})
    EXPECT_EQ(rounded, RoundHalfEven(value)) << value;
}

TEST(Gradient, TwoHundredPixelBandRunsToTheSecondColourAtTheMiddleInVerticalLines) {
  test::ScriptedPump pump;
  PicGradient painter(&pump);
  painter.SetClassColor(0x000000, 0x0000FF);
  EXPECT_EQ(0.0f, painter.Angle());
  PixelCanvas canvas(200, 20, 0x00FF00);
  ASSERT_TRUE(painter.Draw(canvas));
  EXPECT_EQ(1, canvas.refreshes);
  EXPECT_EQ((std::vector<bool>{true, false}), canvas.locks);
  EXPECT_EQ(101, canvas.lines);
  EXPECT_EQ(400 + 201 + 101, pump.Count());  // one yield per point, per colour entry and per line
  // Entries 0, 2, .. 200 of a 201-step table towards pure red; the right
  // half keeps the background.
  for (int x = 0; x < 200; ++x) {
    const std::uint32_t c = canvas.At(x, 0);
    EXPECT_EQ(c, canvas.At(x, 19)) << x;
    const double step = static_cast<double>(255.0f / 201);
    EXPECT_EQ(x <= 100 ? static_cast<std::uint32_t>(RoundHalfEven((2 * x + 1) * step)) : 0x00FF00u, c) << x;
  }
  EXPECT_EQ(0x0000FFu, canvas.At(100, 10));
}

TEST(Gradient, SystemColoursAreResolvedThroughTheCanvasAndThinBoxesAreNotPainted) {
  PicGradient painter;
  painter.SetClassColor(static_cast<GradientColor>(0x8000000C), static_cast<GradientColor>(0x8000000F));
  PixelCanvas canvas(10, 4, 0x123456);
  ASSERT_TRUE(painter.Draw(canvas));
  EXPECT_EQ(0xABABABu, static_cast<std::uint32_t>(painter.Color1()));
  EXPECT_EQ(0xF0F0F0u, static_cast<std::uint32_t>(painter.Color2()));
  // Lines x = 0..5 step from grey AB to F0; the last drawn is the second colour.
  EXPECT_EQ(0xF0F0F0u, canvas.At(5, 0));
  EXPECT_GT(canvas.At(0, 0) & 0xFF, 0xABu);
  EXPECT_EQ(0x123456u, canvas.At(6, 0));
  painter.SetClassColor(0, 0xFFFFFF);
  for (const auto& [w, h, drawn, lines] : {std::tuple{1, 50, false, 0}, {50, 1, false, 0}, {2, 2, true, 2}}) {
    PixelCanvas box(w, h, 7);
    EXPECT_EQ(drawn, painter.Draw(box)) << w << "x" << h;
    EXPECT_EQ(lines, box.lines);
    EXPECT_EQ((std::vector<bool>{true, false}), box.locks);
    if (!drawn) {
      EXPECT_EQ(7u, box.At(0, 0));
    }
  }
}

// A yield that reaches the painter again (a colour change during a paint)
// must not start a second painting on the same instance.
TEST(Gradient, APaintingStartedFromAYieldIsRefused) {
  test::ScriptedPump pump;
  PicGradient painter(&pump);
  bool nested = true;
  int nestedLines = -1;
  pump.At(1, [&] {
    PixelCanvas other(30, 30, 0);
    nested = painter.Draw(other);
    nestedLines = other.lines;
  });
  painter.SetClassColor(0, 0xFF);
  PixelCanvas canvas(20, 5, 0);
  EXPECT_TRUE(painter.Draw(canvas));
  EXPECT_FALSE(nested);
  EXPECT_EQ(0, nestedLines);
  EXPECT_FALSE(painter.IsDrawing());
  EXPECT_EQ(11, canvas.lines);
}

}  // namespace
}  // namespace hw
