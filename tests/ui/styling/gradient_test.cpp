#include "ui/styling/gradient.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

#include "platform/message_pump.h"

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

class CountingPump : public MessagePump {
 public:
  void DoEvents() override { ++count; }
  int count = 0;
};

std::uint32_t Red(std::uint32_t c) { return c & 0xFF; }
std::uint32_t Green(std::uint32_t c) { return (c >> 8) & 0xFF; }
std::uint32_t Blue(std::uint32_t c) { return (c >> 16) & 0xFF; }

TEST(Gradient, HelpersRoundHalvesToEvenDivideSafelyAndFillOnTheLeft) {
  EXPECT_EQ(128, RoundHalfEven(127.5));
  EXPECT_EQ(126, RoundHalfEven(126.5));
  EXPECT_EQ(192, RoundHalfEven(191.75));
  EXPECT_EQ(-2, RoundHalfEven(-2.5));
  EXPECT_EQ(-3, RoundHalfEven(-2.6));
  EXPECT_EQ(0.0, SafeDivision(5, 0));
  EXPECT_DOUBLE_EQ(2.5, SafeDivision(5, 2));
  EXPECT_EQ("0000FF", FillLeft("FF", "000000"));
  EXPECT_EQ("0A", FillLeft("A", "00"));
  EXPECT_EQ("12", FillLeft("123", "00"));
  EXPECT_EQ("00", FillLeft("", "00"));

  float x = 10, y = 0;
  RotatePoint(0, 0, x, y, 90);
  EXPECT_NEAR(0.0, x, 1e-4);
  EXPECT_NEAR(-10.0, y, 1e-4);  // y grows downwards on screen
  x = 3, y = 4;
  RotatePoint(1, 1, x, y, 0);
  EXPECT_FLOAT_EQ(3, x);
  EXPECT_FLOAT_EQ(4, y);
}

TEST(Gradient, ColourTableStepsEachComponentToTheSecondColour) {
  // Black to pure red in 4 steps: 63.75 a step, 127.5 rounds to the even 128.
  CountingPump pump;
  const auto table = BuildColorTable(0x000000, 0x0000FF, 4, &pump);
  ASSERT_EQ(4u, table.size());
  EXPECT_EQ(64u, Red(table[0]));
  EXPECT_EQ(128u, Red(table[1]));
  EXPECT_EQ(191u, Red(table[2]));
  EXPECT_EQ(255u, Red(table[3]));
  for (auto c : table) EXPECT_EQ(0u, c & 0xFFFF00u);
  EXPECT_EQ(4, pump.count);

  // Components are blue, green, red from the left of BBGGRR: each moves on
  // its own, and downwards too.
  const auto mixed = BuildColorTable(0xFF0010, 0x00FF20, 2);
  ASSERT_EQ(2u, mixed.size());
  EXPECT_EQ(0x80u, Blue(mixed[0]));  // 255 - 127.5 = 127.5 -> 128
  EXPECT_EQ(0x80u, Green(mixed[0]));
  EXPECT_EQ(0x18u, Red(mixed[0]));
  EXPECT_EQ(0x00FF20u, mixed[1]);

  const auto flat = BuildColorTable(0x336699, 0x336699, 5);
  ASSERT_EQ(5u, flat.size());
  for (auto c : flat) EXPECT_EQ(0x336699u, c);

  EXPECT_TRUE(BuildColorTable(0, 0xFFFFFF, 0).empty());
}

TEST(Gradient, VerticalLinesCrossTheBoxOnePixelAPart) {
  PicGradient painter;
  painter.SetClassColor(0x000000, 0xFFFFFF);
  EXPECT_EQ(0.0f, painter.Angle());
  const auto points = painter.LinePoints(200, 30);
  // Two ends per line, the lines at x = 0 .. 200: 402 points.
  ASSERT_EQ(402u, points.size());
  for (size_t k = 0; k < points.size(); k += 2) {
    EXPECT_EQ(static_cast<int>(k / 2), points[k].x);
    EXPECT_EQ(points[k].x, points[k + 1].x);
    // Each line spans more than the box's height.
    EXPECT_GE(points[k].y, 30);
    EXPECT_LT(points[k + 1].y, 0);
  }
}

TEST(Gradient, TwoHundredPixelBandRunsToTheSecondColourAtTheMiddle) {
  CountingPump pump;
  PicGradient painter(&pump);
  painter.SetClassColor(0x000000, 0x0000FF);
  PixelCanvas canvas(200, 20, 0x00FF00);
  ASSERT_TRUE(painter.Draw(canvas));
  EXPECT_EQ(1, canvas.refreshes);
  EXPECT_EQ((std::vector<bool>{true, false}), canvas.locks);
  EXPECT_EQ(101, canvas.lines);
  // One yield per point, per colour entry and per line.
  EXPECT_EQ(400 + 201 + 101, pump.count);

  // Entries 0, 2, .. 200 of a 201-step table towards pure red.
  std::uint32_t previous = 0;
  for (int x = 0; x <= 100; ++x) {
    SCOPED_TRACE(x);
    const std::uint32_t c = canvas.At(x, 0);
    EXPECT_EQ(c, canvas.At(x, 19));
    EXPECT_EQ(0u, c & 0xFFFF00u);
    EXPECT_EQ(static_cast<std::uint32_t>(RoundHalfEven(static_cast<double>(2 * x + 1) * static_cast<double>(255.0f / 201))), Red(c));
    if (x > 0) {
      EXPECT_GE(Red(c), previous);
    }
    previous = Red(c);
  }
  EXPECT_EQ(0x0000FFu, canvas.At(100, 10));
  // The right half keeps the background.
  for (int x = 101; x < 200; ++x) EXPECT_EQ(0x00FF00u, canvas.At(x, 10)) << x;
}

TEST(Gradient, SystemColoursAreResolvedThroughTheCanvasAndThePixelKept) {
  PicGradient painter;
  painter.SetClassColor(static_cast<GradientColor>(0x8000000C), static_cast<GradientColor>(0x8000000F));
  PixelCanvas canvas(10, 4, 0x123456);
  ASSERT_TRUE(painter.Draw(canvas));
  EXPECT_EQ(0xABABABu, static_cast<std::uint32_t>(painter.Color1()));
  EXPECT_EQ(0xF0F0F0u, static_cast<std::uint32_t>(painter.Color2()));
  // Lines x = 0..5 step from grey AB to F0; the last drawn is the second colour.
  EXPECT_EQ(0xF0F0F0u, canvas.At(5, 0));
  EXPECT_GT(Red(canvas.At(0, 0)), 0xABu);
  EXPECT_EQ(0x123456u, canvas.At(6, 0));

  // Equal colours: a uniform band.
  painter.SetClassColor(0x445566, 0x445566);
  PixelCanvas flat(40, 3, 0);
  ASSERT_TRUE(painter.Draw(flat));
  for (int x = 0; x <= 20; ++x) EXPECT_EQ(0x445566u, flat.At(x, 1));
}

TEST(Gradient, BoxesOnePixelWideOrHighAreNotPainted) {
  PicGradient painter;
  painter.SetClassColor(0, 0xFFFFFF);
  PixelCanvas thin(1, 50, 7);
  EXPECT_FALSE(painter.Draw(thin));
  EXPECT_EQ(0, thin.lines);
  EXPECT_EQ((std::vector<bool>{true, false}), thin.locks);
  PixelCanvas flat(50, 1, 7);
  EXPECT_FALSE(painter.Draw(flat));
  EXPECT_EQ(7u, flat.At(0, 0));
  PixelCanvas small(2, 2, 7);
  EXPECT_TRUE(painter.Draw(small));
  EXPECT_EQ(2, small.lines);
}

// A yield that reaches the painter again (a colour change during a paint)
// must not start a second painting on the same instance.
class ReenteringPump : public MessagePump {
 public:
  void DoEvents() override {
    if (painter && !tried) {
      tried = true;
      PixelCanvas other(30, 30, 0);
      nested = painter->Draw(other);
      nestedLines = other.lines;
    }
  }
  PicGradient* painter = nullptr;
  bool tried = false;
  bool nested = true;
  int nestedLines = -1;
};

TEST(Gradient, APaintingStartedFromAYieldIsRefused) {
  ReenteringPump pump;
  PicGradient painter(&pump);
  pump.painter = &painter;
  painter.SetClassColor(0, 0xFF);
  PixelCanvas canvas(20, 5, 0);
  EXPECT_TRUE(painter.Draw(canvas));
  EXPECT_TRUE(pump.tried);
  EXPECT_FALSE(pump.nested);
  EXPECT_EQ(0, pump.nestedLines);
  EXPECT_FALSE(painter.IsDrawing());
  EXPECT_EQ(11, canvas.lines);
}

}  // namespace
}  // namespace hw
