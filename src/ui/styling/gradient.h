#pragma once
// The gradient painter of the heading bands: one-pixel lines whose colours
// step from a first colour to a second, drawn on any surface that can draw
// a line and read and write a pixel.
#include <cstdint>
#include <string>
#include <vector>

namespace hw {

class MessagePump;

/// Colours are 0x00BBGGRR (red in the low byte). A value with the high bit
/// set (negative as int32) names a system colour: index in the low byte.
using GradientColor = std::int32_t;

/// What the painter draws on. The Win32 one is panel_gradient_win32.cpp.
class GradientCanvas {
 public:
  virtual ~GradientCanvas() = default;
  /// Brings the surface up to date before painting (a picture box's Refresh).
  virtual void Refresh() = 0;
  /// Stops (true) or resumes (false) on-screen updates while lines are drawn.
  virtual void LockUpdates(bool lock) = 0;
  /// Width and height of the drawing area in pixels; false when unknown
  /// (outputs then unchanged).
  virtual bool ClientSize(int& width, int& height) = 0;
  virtual void MoveTo(int x, int y) = 0;
  /// A solid one-pixel line from the current position to (x, y), the end
  /// pixel excluded, in `color` (never a system colour reference).
  virtual void LineTo(int x, int y, std::uint32_t color) = 0;
  virtual std::uint32_t GetPixel(int x, int y) = 0;
  /// Sets one pixel; a system colour reference is set as its current value.
  virtual void SetPixel(int x, int y, GradientColor color) = 0;
};

struct GradientPoint {
  int x = 0;
  int y = 0;
};

/// Rounds to the nearest integer, halves to the even neighbour (the
/// rounding of the painter's conversions).
long RoundHalfEven(double value);

/// 0 when `b` is 0, otherwise a / b.
double SafeDivision(double a, double b);

/// `text` cut or filled on the left to the length of `pattern`: the first
/// characters of `text` when it is at least as long, otherwise the first
/// (pattern length - text length) characters of `pattern` and then `text`.
std::string FillLeft(const std::string& text, const std::string& pattern);

/// `point` rotated about `centre` by `angle` degrees, in single precision.
void RotatePoint(float centreX, float centreY, float& x, float& y, float angle);

/// The colour table: `steps` colours from one step after `color1` to
/// `color2`, each component (blue, green, red) rounded halves to even.
/// Empty when steps < 1. `pump`, when given, runs once per entry.
std::vector<std::uint32_t> BuildColorTable(std::uint32_t color1, std::uint32_t color2, int steps,
                                           MessagePump* pump = nullptr);

/// The painter (`PicGradient`). Not re-entered: a Draw that starts while
/// another runs (from a yield) paints nothing and returns false.
class PicGradient {
 public:
  /// `pump`, when given, runs between the steps of a painting.
  explicit PicGradient(MessagePump* pump = nullptr) : pump_(pump) {}

  /// Sets both colours and the angle 0.
  void SetClassColor(GradientColor sColor1, GradientColor sColor2);

  /// Paints the canvas; true when lines were drawn. A canvas 1 pixel wide or
  /// high (or smaller) is not painted.
  bool Draw(GradientCanvas& picObj);

  /// The ends of the lines for a `width` x `height` area at the current
  /// angle: points 2k and 2k + 1 are the ends of line k.
  std::vector<GradientPoint> LinePoints(int width, int height) const;

  /// Draws every second line of LinePoints with the colour table's entry of
  /// the same index; returns the index that ended the loop.
  int PaintLines(GradientCanvas& canvas, int width, int height);

  /// The pump for the next paintings (null: none).
  void SetPump(MessagePump* pump) { pump_ = pump; }
  /// True while a Draw runs (a yield may reach code that would paint).
  bool IsDrawing() const { return drawing_; }

  GradientColor Color1() const { return color1_; }
  GradientColor Color2() const { return color2_; }
  float Angle() const { return angle_; }

 private:
  std::uint32_t ResolveColor(GradientCanvas& canvas, GradientColor color);
  void PumpOnce() const;

  MessagePump* pump_;
  GradientColor color1_ = 0;
  GradientColor color2_ = 0;
  float angle_ = 0.0f;
  bool drawing_ = false;
};

}  // namespace hw
