#include "ui/styling/gradient.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/message_pump.h"

namespace hw {

namespace {

std::string Hex(std::uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
  return buf;
}

int HexByte(const std::string& digits) {
  return static_cast<int>(std::strtol(digits.c_str(), nullptr, 16));
}

// Blue, green and red as the six hex digits BBGGRR read from the left.
void SplitColor(std::uint32_t color, int parts[3]) {
  const std::string digits = FillLeft(Hex(color), "000000");
  for (int k = 0; k < 3; ++k) parts[k] = HexByte(digits.substr(2 * k, 2));
}

}  // namespace

long RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  long result = static_cast<long>(floor);
  if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0))) ++result;
  return result;
}

double SafeDivision(double a, double b) { return b == 0 ? 0.0 : a / b; }

std::string FillLeft(const std::string& text, const std::string& pattern) {
  if (text.size() >= pattern.size()) return text.substr(0, pattern.size());
  return pattern.substr(0, pattern.size() - text.size()) + text;
}

void RotatePoint(float centreX, float centreY, float& x, float& y, float angle) {
  const float theta = angle * 0.017453292519943278f;
  const float dx = x - centreX;
  const float dy = y - centreY;
  const float s = std::sin(theta);
  const float c = std::cos(theta);
  const float newX = dy * s + dx * c + centreX;
  const float newY = -(dx * s - dy * c) + centreY;
  x = newX;
  y = newY;
}

std::vector<std::uint32_t> BuildColorTable(std::uint32_t color1, std::uint32_t color2, int steps,
                                           MessagePump* pump) {
  std::vector<std::uint32_t> table;
  if (steps < 1) return table;
  int from[3], to[3];
  SplitColor(color1, from);
  SplitColor(color2, to);
  float step[3];
  for (int k = 0; k < 3; ++k) step[k] = static_cast<float>(SafeDivision(to[k] - from[k], steps));

  table.reserve(static_cast<size_t>(steps));
  for (int i = 1; i <= steps; ++i) {
    std::string digits;
    for (int k = 0; k < 3; ++k) {
      long part = RoundHalfEven(from[k] + static_cast<double>(i) * step[k]);
      part = std::clamp(part, 0L, 255L);
      digits += FillLeft(Hex(static_cast<std::uint32_t>(part)), "00");
    }
    table.push_back(static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16)));
    if (pump) pump->DoEvents();
  }
  return table;
}

void PicGradient::SetClassColor(GradientColor sColor1, GradientColor sColor2) {
  color1_ = sColor1;
  color2_ = sColor2;
  angle_ = 0.0f;
}

void PicGradient::PumpOnce() const {
  if (pump_) pump_->DoEvents();
}

std::uint32_t PicGradient::ResolveColor(GradientCanvas& canvas, GradientColor color) {
  const std::uint32_t kept = canvas.GetPixel(0, 0);
  canvas.SetPixel(0, 0, color);
  const std::uint32_t resolved = canvas.GetPixel(0, 0);
  canvas.SetPixel(0, 0, static_cast<GradientColor>(kept));
  return resolved;
}

bool PicGradient::Draw(GradientCanvas& picObj) {
  // A yield inside a painting could start another one on the same painter.
  if (drawing_) return false;
  drawing_ = true;
  bool drawn = false;
  try {
    picObj.Refresh();
    if (color1_ < 0) color1_ = static_cast<GradientColor>(ResolveColor(picObj, color1_));
    if (color2_ < 0) color2_ = static_cast<GradientColor>(ResolveColor(picObj, color2_));
    picObj.LockUpdates(true);
    int w = 0, h = 0;
    if (picObj.ClientSize(w, h) && w > 1 && h > 1) drawn = PaintLines(picObj, w, h) >= 1;
    picObj.LockUpdates(false);
  } catch (...) {
    drawing_ = false;
    throw;
  }
  drawing_ = false;
  return drawn;
}

std::vector<GradientPoint> PicGradient::LinePoints(int w, int h) const {
  std::vector<GradientPoint> points;
  if (w < 1 || h < 1) return points;
  const float cx = static_cast<float>(w / 2);
  const float cy = static_cast<float>(h / 2);
  const double m = std::max(w, h);
  const long r = RoundHalfEven((std::sqrt(m * m + m * m) + 2) / 2);

  float ax = cx - r, ay = cy, bx = cx + r, by = cy;
  const float turn = angle_ + 90.0f;
  const float direction = turn - 360.0f * std::trunc(turn / 360.0f);
  RotatePoint(cx, cy, ax, ay, direction);
  RotatePoint(cx, cy, bx, by, direction);

  float shiftX = 0, shiftY = 0;
  GradientPoint step;
  const bool rightMoving = std::fabs(ay - by) >= std::fabs(ax - bx);
  if (rightMoving) {
    shiftX = -std::max(ax, bx);
    step = {1, 0};
  } else {
    shiftY = static_cast<float>(h) - ay;
    step = {0, -1};
  }

  points.reserve(1000);
  points.push_back({static_cast<int>(RoundHalfEven(ax + shiftX)), static_cast<int>(RoundHalfEven(ay + shiftY))});
  points.push_back({static_cast<int>(RoundHalfEven(bx + shiftX)), static_cast<int>(RoundHalfEven(by + shiftY))});

  // Every line moves one pixel per step, so the lines cross the area within
  // its extent plus the axis length; the bound only guards odd geometry.
  const size_t limit = 2 * (static_cast<size_t>(m) + 2 * static_cast<size_t>(r)) + 4;
  while (points.size() < limit) {
    const size_t k = points.size();
    if (rightMoving) {
      if (points[k - 2].x >= w) break;
    } else if (points[k - 1].y < 1 && points[k - 2].y < 1) {
      break;
    }
    if (points.size() == points.capacity()) points.reserve(points.capacity() + 1000);
    points.push_back({points[k - 2].x + step.x, points[k - 2].y + step.y});
    PumpOnce();
  }
  return points;
}

int PicGradient::PaintLines(GradientCanvas& canvas, int width, int height) {
  const std::vector<GradientPoint> points = LinePoints(width, height);
  const size_t n = points.size();
  const int steps = static_cast<int>(RoundHalfEven(n / 2.0));
  const std::vector<std::uint32_t> table = BuildColorTable(static_cast<std::uint32_t>(color1_),
                                                           static_cast<std::uint32_t>(color2_), steps, pump_);
  const long last = RoundHalfEven((static_cast<double>(n) - 1) / 2 - 1);
  int i = 0;
  for (; i <= last; i += 2) {
    if (static_cast<size_t>(i) + 1 >= n || static_cast<size_t>(i) >= table.size()) break;
    canvas.MoveTo(points[i].x, points[i].y);
    canvas.LineTo(points[i + 1].x, points[i + 1].y, table[i]);
    PumpOnce();
  }
  return i;
}

}  // namespace hw
