#include "ui/win32/pictures_win32.h"
#include "ui/win32/wide_text_win32.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>

namespace hw {
namespace {

// One palette for every picture: honey and amber on dark brown outlines.
constexpr COLORREF kOutline = RGB(0x3B, 0x2A, 0x14);
constexpr COLORREF kAmber = RGB(0xF0, 0xA2, 0x1A);
constexpr COLORREF kAmberDark = RGB(0xC2, 0x74, 0x0C);
constexpr COLORREF kHoney = RGB(0xFF, 0xD3, 0x5C);
constexpr COLORREF kHoneyPale = RGB(0xFF, 0xEE, 0xB8);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kGreen = RGB(0x2E, 0x9A, 0x40);
constexpr COLORREF kGreenDark = RGB(0x1B, 0x5E, 0x27);
constexpr COLORREF kRed = RGB(0xD0, 0x32, 0x2A);
constexpr COLORREF kRedDark = RGB(0x7A, 0x16, 0x12);
constexpr COLORREF kScreen = RGB(0x7F, 0xB2, 0xE5);
constexpr COLORREF kMetal = RGB(0xC8, 0xC8, 0xC8);
// Stands for "transparent" while drawing; no picture uses it.
constexpr COLORREF kKey = RGB(0xFF, 0x00, 0xFF);

constexpr double kPi = 3.14159265358979323846;

class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ h) : h_(h) {}
  ~GdiObject() {
    if (h_) DeleteObject(h_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ Get() const { return h_; }

 private:
  HGDIOBJ h_;
};

class Selection {
 public:
  Selection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Drawing primitives over a memory DC. Rectangles are left, top, right,
// bottom with right and bottom excluded, as GDI takes them.
class Canvas {
 public:
  Canvas(HDC dc, COLORREF background, bool smooth_text)
      : dc_(dc), background_(background), smooth_text_(smooth_text) {}

  COLORREF Background() const { return background_; }

  void Fill(int l, int t, int r, int b, COLORREF c) {
    RECT rc{l, t, r, b};
    GdiObject brush(CreateSolidBrush(c));
    FillRect(dc_, &rc, static_cast<HBRUSH>(brush.Get()));
  }

  // A rectangle with a 1-pixel outline.
  void Box(int l, int t, int r, int b, COLORREF fill, COLORREF outline) {
    Fill(l, t, r, b, outline);
    Fill(l + 1, t + 1, r - 1, b - 1, fill);
  }

  void Line(const std::vector<POINT>& pts, COLORREF c, int width) {
    LOGBRUSH lb{BS_SOLID, c, 0};
    GdiObject pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &lb, 0, nullptr));
    Selection sp(dc_, pen.Get());
    Polyline(dc_, pts.data(), static_cast<int>(pts.size()));
  }

  // A thick line with a darker rim: the rim first, the colour inside it.
  void RimmedLine(const std::vector<POINT>& pts, COLORREF c, COLORREF rim, int width) {
    Line(pts, rim, width + 2);
    Line(pts, c, width);
  }

  void Poly(const std::vector<POINT>& pts, COLORREF fill, COLORREF outline, int width = 1) {
    GdiObject pen(CreatePen(PS_SOLID, width, outline));
    GdiObject brush(CreateSolidBrush(fill));
    Selection sp(dc_, pen.Get());
    Selection sb(dc_, brush.Get());
    Polygon(dc_, pts.data(), static_cast<int>(pts.size()));
  }

  void Oval(int l, int t, int r, int b, COLORREF fill, COLORREF outline, int width = 1) {
    GdiObject pen(CreatePen(PS_INSIDEFRAME, width, outline));
    GdiObject brush(CreateSolidBrush(fill));
    Selection sp(dc_, pen.Get());
    Selection sb(dc_, brush.Get());
    Ellipse(dc_, l, t, r, b);
  }

  void Wedge(int l, int t, int r, int b, POINT from, POINT to, COLORREF fill) {
    GdiObject brush(CreateSolidBrush(fill));
    Selection sp(dc_, GetStockObject(NULL_PEN));
    Selection sb(dc_, brush.Get());
    Pie(dc_, l, t, r + 1, b + 1, from.x, from.y, to.x, to.y);
  }


  // Text centred in the rectangle.
  void Text(const RECT& rc, const char* text, int height, int weight, COLORREF c, const char* face = "Arial",
            UINT align = DT_CENTER) {
    GdiObject font(CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                               CLIP_DEFAULT_PRECIS, smooth_text_ ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY,
                               VARIABLE_PITCH | FF_SWISS, face));
    Selection sf(dc_, font.Get());
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, c);
    RECT r = rc;
    DrawTextUtf8(dc_, text, &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }

  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  COLORREF background_;
  bool smooth_text_;
};

POINT Pt(double x, double y) { return POINT{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(y))}; }

// A hexagon with flat top and bottom, as the cells of a honeycomb lie.
std::vector<POINT> Hexagon(double cx, double cy, double r) {
  std::vector<POINT> pts;
  for (int i = 0; i < 6; ++i) {
    const double a = kPi / 3 * i;
    pts.push_back(Pt(cx + r * std::cos(a), cy + r * std::sin(a)));
  }
  return pts;
}

// ---- the pictures -------------------------------------------------------------

void DrawHoneycomb(Canvas& c, double cx, double cy, double r, int outline_width) {
  const double d = std::sqrt(3.0) * r;  // centre to centre of neighbouring cells
  const COLORREF shades[6] = {kAmber, kAmberDark, kAmber, kHoney, kAmberDark, kAmber};
  for (int i = 0; i < 6; ++i) {
    const double a = kPi / 6 + kPi / 3 * i;
    c.Poly(Hexagon(cx + d * std::cos(a), cy + d * std::sin(a), r), shades[i], kOutline, outline_width);
  }
  c.Poly(Hexagon(cx, cy, r), kHoneyPale, kOutline, outline_width);
}

void DrawEmblem(Canvas& c) { DrawHoneycomb(c, 32, 32, 11.5, 2); }

void DrawSplash(Canvas& c) {
  const int w = 480, h = 280;
  // Dark comb brown at the top, warming towards the bottom.
  for (int y = 0; y < h; ++y) {
    const double t = static_cast<double>(y) / (h - 1);
    c.Fill(0, y, w, y + 1, RGB(0x2A + static_cast<int>(0x36 * t), 0x1C + static_cast<int>(0x1E * t), 0x0E));
  }
  // A field of comb cells on the right, fuller towards the edge.
  const double r = 24, dx = 1.5 * r, dy = std::sqrt(3.0) * r;
  const COLORREF fills[5] = {kAmber, kAmberDark, kHoney, kAmber, kAmberDark};
  for (int col = 0; col < 9; ++col) {
    const double x = 236 + col * dx;
    for (int row = -1; row < 7; ++row) {
      const double y = row * dy + (col % 2 ? dy / 2 : 0);
      const int seed = (col * 7 + row * 3 + 11) % 5;
      if (col >= 3 && seed != 4) {
        c.Poly(Hexagon(x, y, r - 2), fills[(col + row + 5) % 5], kOutline, 2);
      } else {
        c.Poly(Hexagon(x, y, r - 2), RGB(0x4A, 0x32, 0x16), RGB(0x8A, 0x5A, 0x1A), 1);
      }
    }
  }
  // The emblem, then the name and version in the clear part on the left.
  DrawHoneycomb(c, 58, 62, 12, 2);
  c.Text(RECT{28, 96, 470, 160}, "Hivewright", 46, FW_BOLD, RGB(0x1A, 0x10, 0x06), "Arial", DT_LEFT);
  c.Text(RECT{26, 94, 468, 158}, "Hivewright", 46, FW_BOLD, kHoney, "Arial", DT_LEFT);
  c.Text(RECT{30, 156, 330, 184}, "Registry cleaner", 20, FW_NORMAL, kHoneyPale, "Arial", DT_LEFT);
  c.Fill(30, 192, 214, 194, kAmber);
  c.Text(RECT{30, 200, 330, 224}, "Version 1.0", 18, FW_BOLD, kWhite, "Arial", DT_LEFT);
  c.Text(RECT{30, 244, 330, 264}, "Copyright (C) 2002 Tarnwick", 13, FW_NORMAL, RGB(0xD8, 0xC0, 0x90), "Arial",
         DT_LEFT);
}

void DrawMagnifier(Canvas& c) {
  c.RimmedLine({Pt(15, 15), Pt(21, 21)}, kAmberDark, kOutline, 4);
  c.Oval(2, 2, 19, 19, kHoneyPale, kOutline, 2);
  c.Poly(Hexagon(10.5, 10.5, 4.5), kAmber, kAmberDark);
}

void DrawDisk(Canvas& c, int s) {
  // A diskette: body with a clipped corner, shutter at the top, label below.
  const int e = s - 1;
  const int cut = s / 6;
  c.Poly({Pt(1, 1), Pt(e - cut, 1), Pt(e, 1 + cut), Pt(e, e), Pt(1, e)}, kAmber, kOutline);
  const int sl = s / 4, sr = s - s / 4 - 1, sb = s * 3 / 8 + 1;
  c.Box(sl, 1, sr, sb, kHoneyPale, kOutline);
  c.Fill(sr - s / 8 - 1, 3, sr - 2, sb - 1, kOutline);
  c.Box(s / 5, s * 9 / 16, s - s / 5, e, kWhite, kOutline);
  c.Fill(s / 5 + 2, s * 9 / 16 + 2, s - s / 5 - 2, s * 9 / 16 + 3, kScreen);
}

void DrawGear(Canvas& c, double cx, double cy, double outer, double inner, int teeth, double hole) {
  std::vector<POINT> pts;
  const int steps = teeth * 4;
  for (int i = 0; i < steps; ++i) {
    const double a = 2 * kPi * i / steps + kPi / steps;
    const double r = (i % 4 < 2) ? outer : inner;
    pts.push_back(Pt(cx + r * std::cos(a), cy + r * std::sin(a)));
  }
  c.Poly(pts, kAmber, kOutline);
  c.Oval(static_cast<int>(cx - hole), static_cast<int>(cy - hole), static_cast<int>(cx + hole + 1),
         static_cast<int>(cy + hole + 1), c.Background(), kOutline);
}

void DrawHelp(Canvas& c) {
  c.Oval(0, 0, 16, 16, kAmber, kOutline);
  c.Text(RECT{0, 0, 16, 16}, "?", 13, FW_BOLD, kOutline);
}

void DrawSupport(Canvas& c) {
  // A life ring: amber with four white bands and an open middle.
  c.Oval(0, 0, 16, 16, kAmber, kOutline);
  c.Wedge(1, 1, 14, 14, Pt(15, 5), Pt(11, 1), kWhite);
  c.Wedge(1, 1, 14, 14, Pt(5, 1), Pt(1, 5), kWhite);
  c.Wedge(1, 1, 14, 14, Pt(1, 11), Pt(5, 15), kWhite);
  c.Wedge(1, 1, 14, 14, Pt(11, 15), Pt(15, 11), kWhite);
  c.Oval(4, 4, 12, 12, c.Background(), kOutline);
}

void DrawBullet(Canvas& c) {
  c.Poly(Hexagon(7.5, 7.5, 6.5), kAmber, kOutline);
  c.Poly(Hexagon(7.5, 7.5, 3), kHoney, kHoney);
}

// A chain link: a ring two pixels thick with clipped corners.
void DrawChainLink(Canvas& c, int l, int t, int r, int b, COLORREF colour) {
  c.Fill(l + 1, t, r - 1, t + 2, colour);
  c.Fill(l + 1, b - 2, r - 1, b, colour);
  c.Fill(l, t + 1, l + 2, b - 1, colour);
  c.Fill(r - 2, t + 1, r, b - 1, colour);
}

void DrawLink(Canvas& c) {
  DrawChainLink(c, 0, 3, 10, 10, kOutline);
  DrawChainLink(c, 6, 6, 16, 13, kAmberDark);
  c.Fill(8, 3, 9, 5, kOutline);  // the first link passes over the second here
  c.Fill(8, 8, 10, 10, kOutline);
}

void DrawAbort(Canvas& c) {
  c.Oval(0, 0, 16, 16, kRed, kRedDark);
  c.Line({Pt(5, 5), Pt(10, 10)}, kWhite, 2);
  c.Line({Pt(10, 5), Pt(5, 10)}, kWhite, 2);
}

void DrawHourglass(Canvas& c) {
  c.Box(2, 0, 14, 2, kAmberDark, kOutline);
  c.Box(2, 14, 14, 16, kAmberDark, kOutline);
  c.Poly({Pt(3, 2), Pt(12, 2), Pt(8, 7), Pt(8, 8), Pt(12, 13), Pt(3, 13), Pt(7, 8), Pt(7, 7)}, kHoneyPale, kOutline);
  c.Poly({Pt(5, 5), Pt(10, 5), Pt(8, 7), Pt(7, 7)}, kAmber, kAmber);
  c.Poly({Pt(4, 12), Pt(11, 12), Pt(8, 10), Pt(7, 10)}, kAmber, kAmber);
}

void DrawArrowDisc(Canvas& c, bool right) {
  c.Oval(0, 0, 16, 16, kAmber, kOutline);
  std::vector<POINT> arrow = {Pt(3, 6), Pt(8, 6), Pt(8, 3), Pt(12, 7), Pt(12, 8), Pt(8, 12), Pt(8, 9), Pt(3, 9)};
  if (!right)
    for (POINT& p : arrow) p.x = 15 - p.x;
  c.Poly(arrow, kWhite, kOutline);
}

void DrawHammer(Canvas& c) {
  c.RimmedLine({Pt(2, 14), Pt(9, 7)}, kAmberDark, kOutline, 2);
  c.Poly({Pt(5, 5), Pt(10, 0), Pt(15, 5), Pt(10, 10)}, kMetal, kOutline);
  c.Poly({Pt(9, 2), Pt(10, 1), Pt(14, 5), Pt(13, 6)}, kWhite, kWhite);
}

void DrawPause(Canvas& c) {
  c.Box(3, 2, 7, 14, kAmber, kOutline);
  c.Box(9, 2, 13, 14, kAmber, kOutline);
}

void DrawPlay(Canvas& c) { c.Poly({Pt(4, 2), Pt(13, 8), Pt(4, 14)}, kGreen, kGreenDark); }

void DrawCross(Canvas& c) {
  c.RimmedLine({Pt(4, 4), Pt(11, 11)}, kRed, kRedDark, 2);
  c.RimmedLine({Pt(11, 4), Pt(4, 11)}, kRed, kRedDark, 2);
}

void DrawTick(Canvas& c) { c.RimmedLine({Pt(3, 8), Pt(6, 11), Pt(12, 4)}, kGreen, kGreenDark, 2); }

void DrawRestore(Canvas& c) {
  // Three quarters of a ring turning back on itself, ending in a head.
  const double cx = 7.5, cy = 8, outer = 7, inner = 3.5;
  const double from = kPi * 0.75, to = kPi * 2.25;
  std::vector<POINT> pts;
  const int steps = 16;
  for (int i = 0; i <= steps; ++i) {
    const double a = from + (to - from) * i / steps;
    pts.push_back(Pt(cx + outer * std::cos(a), cy + outer * std::sin(a)));
  }
  const double mid = (outer + inner) / 2;
  pts.push_back(Pt(cx + (outer + 2) * std::cos(to), cy + (outer + 2) * std::sin(to)));
  pts.push_back(Pt(cx + mid * std::cos(to + 0.75), cy + mid * std::sin(to + 0.75)));
  pts.push_back(Pt(cx + (inner - 2) * std::cos(to), cy + (inner - 2) * std::sin(to)));
  for (int i = steps; i >= 0; --i) {
    const double a = from + (to - from) * i / steps;
    pts.push_back(Pt(cx + inner * std::cos(a), cy + inner * std::sin(a)));
  }
  c.Poly(pts, kAmber, kOutline);
}

// ---- tree state pictures: a check box and a kind glyph --------------------------

void DrawCheckBox(Canvas& c, char state) {
  c.Box(0, 4, 9, 13, kWhite, kOutline);
  if (state == 'A') {
    c.Line({Pt(2, 8), Pt(4, 10), Pt(7, 6)}, kOutline, 2);
  } else if (state == 'S') {
    c.Fill(2, 6, 7, 11, kAmber);
  }
}

void DrawComputer(Canvas& c) {
  c.Box(9, 3, 16, 10, kScreen, kOutline);
  c.Fill(12, 10, 13, 12, kOutline);
  c.Fill(10, 12, 15, 13, kOutline);
}

void DrawCube(Canvas& c) {
  c.Poly({Pt(9, 5), Pt(12, 7), Pt(12, 12), Pt(9, 10)}, kAmber, kOutline);
  c.Poly({Pt(12, 7), Pt(15, 5), Pt(15, 10), Pt(12, 12)}, kAmberDark, kOutline);
  c.Poly({Pt(12, 3), Pt(15, 5), Pt(12, 7), Pt(9, 5)}, kHoney, kOutline);
}

void DrawDrive(Canvas& c) {
  c.Box(9, 6, 16, 12, kMetal, kOutline);
  c.Fill(10, 9, 15, 10, RGB(0x90, 0x90, 0x90));
  c.Fill(13, 10, 15, 11, kGreen);
}

struct Recipe {
  SIZE size;
  std::function<void(Canvas&)> draw;
  bool opaque = false;
};

std::function<void(Canvas&)> TreePicture(char state, void (*glyph)(Canvas&)) {
  return [state, glyph](Canvas& c) {
    DrawCheckBox(c, state);
    glyph(c);
  };
}

const std::vector<std::pair<std::string, Recipe>>& Recipes() {
  static const std::vector<std::pair<std::string, Recipe>> recipes = [] {
    const SIZE s16{16, 16}, s24{24, 24};
    std::vector<std::pair<std::string, Recipe>> r = {
        {"Emblem", {{64, 64}, DrawEmblem}},
        {"Splash", {{480, 280}, DrawSplash, true}},
        // Image lists of the main window.
        {"scanBtn", {s24, DrawMagnifier}},
        {"backupBtn", {s24, [](Canvas& c) { DrawDisk(c, 24); }}},
        {"confmBtn", {s24, [](Canvas& c) { DrawGear(c, 11.5, 11.5, 11, 8, 8, 3.5); }}},
        {"help", {s16, DrawHelp}},
        {"Support", {s16, DrawSupport}},
        {"cbulletBtn", {s16, DrawBullet}},
        {"link", {s16, DrawLink}},
        {"abort", {s16, DrawAbort}},
        {"performing", {s16, DrawHourglass}},
        {"nxtBtn", {s16, [](Canvas& c) { DrawArrowDisc(c, true); }}},
        // The hidden images of the button pairs.
        {"hlpBtnPic", {s16, DrawHelp}},
        {"SuprBtnPic", {s16, DrawSupport}},
        {"imgAbort", {s16, DrawAbort}},
        {"imgReturn", {s16, [](Canvas& c) { DrawArrowDisc(c, false); }}},
        {"nxtPic", {s16, DrawHammer}},
        {"imgBackUp", {s16, [](Canvas& c) { DrawDisk(c, 16); }}},
        {"imgPause", {s16, DrawPause}},
        {"imgResume", {s16, DrawPlay}},
        {"imgCross", {s16, DrawCross}},
        {"imgRestore", {s16, DrawRestore}},
        {"imgOk", {s16, DrawTick}},
    };
    const std::pair<const char*, void (*)(Canvas&)> kinds[] = {
        {"Comp", DrawComputer}, {"Reg", DrawCube}, {"Drive", DrawDrive}};
    for (const auto& [kind, glyph] : kinds)
      for (const char* state : {"All", "Some", "None"})
        r.push_back({std::string(state) + kind, {s16, TreePicture(state[0], glyph)}});
    return r;
  }();
  return recipes;
}

const Recipe* Find(const std::string& key) {
  for (const auto& [name, recipe] : Recipes())
    if (name == key) return &recipe;
  return nullptr;
}

// Draws the recipe into a fresh 32-bit DIB section. With `transparent`, the
// picture is drawn over the key colour, which then becomes alpha 0.
Bitmap Render(const Recipe& recipe, COLORREF background, bool transparent) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = recipe.size.cx;
  bi.bmiHeader.biHeight = -recipe.size.cy;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp || !bits) return Bitmap();

  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return Bitmap();
  {
    Selection sel(dc, bmp.Get());
    Canvas canvas(dc, background, !transparent);
    canvas.Fill(0, 0, recipe.size.cx, recipe.size.cy, background);
    recipe.draw(canvas);
    GdiFlush();
  }
  DeleteDC(dc);

  auto* px = static_cast<std::uint32_t*>(bits);
  const std::uint32_t key = (GetRValue(kKey) << 16) | (GetGValue(kKey) << 8) | GetBValue(kKey);
  const size_t count = static_cast<size_t>(recipe.size.cx) * recipe.size.cy;
  for (size_t i = 0; i < count; ++i) {
    const std::uint32_t rgb = px[i] & 0x00FFFFFF;
    px[i] = (transparent && rgb == key) ? 0 : (rgb | 0xFF000000u);
  }
  return bmp;
}

}  // namespace

Bitmap MakePicture(const std::string& key) {
  const Recipe* r = Find(key);
  if (!r) return Bitmap();
  return r->opaque ? Render(*r, RGB(0, 0, 0), false) : Render(*r, kKey, true);
}

Bitmap MakePicture(const std::string& key, COLORREF background) {
  const Recipe* r = Find(key);
  return r ? Render(*r, background, false) : Bitmap();
}

SIZE PictureSize(const std::string& key) {
  const Recipe* r = Find(key);
  return r ? r->size : SIZE{0, 0};
}

}  // namespace hw
