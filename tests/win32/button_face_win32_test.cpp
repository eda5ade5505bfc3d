// Button faces and panel bands drawn by GDI, read back pixel by pixel.
#include "ui/win32/button_face_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/win32/panel_gradient_win32.h"
#include "ui/win32/pictures_win32.h"

namespace hw {
namespace {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> px;  // 0x00RRGGBB, top-down
  COLORREF At(int x, int y) const {
    const std::uint32_t p = px[static_cast<size_t>(y * width + x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
};

Image Read(HBITMAP bmp) {
  Image img;
  BITMAP bm{};
  if (!GetObjectA(bmp, sizeof bm, &bm)) return img;
  img.width = bm.bmWidth;
  img.height = bm.bmHeight;
  img.px.resize(static_cast<size_t>(img.width * img.height));
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, img.width, -img.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bmp, 0, static_cast<UINT>(img.height), img.px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return img;
}

SIZE TextSize(const char* text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE s{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{s.cx, tm.tmHeight};
}

struct Form {
  Form() : hwnd(CreateWindowExA(0, "STATIC", "faces", WS_OVERLAPPEDWINDOW, 10, 10, 400, 300, nullptr, nullptr,
                                nullptr, nullptr)) {}
  ~Form() { DestroyWindow(hwnd); }
  HWND hwnd;
};

TEST(ButtonFace, PictureAndCaptionSideBySideWithTheMarkedLetterUnderlinedOverTheRightBackground) {
  Form form;
  HWND button = CreateWindowExA(0, "BUTTON", "A&bort", WS_CHILD | WS_VISIBLE, 10, 10, 150, 30, form.hwnd, nullptr,
                                nullptr, nullptr);
  SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  Bitmap picture = MakePicture("imgAbort", GetSysColor(COLOR_BTNFACE));
  HBITMAP face = ApplyButtonFace(button, picture.Get(), true);
  EXPECT_EQ(face, ButtonFaceOf(button));
  EXPECT_EQ(face, reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)));
  EXPECT_EQ(0x180, GetWindowLongA(button, GWL_STYLE) & 0x180);
  const int tw = TextSize("Abort").cx;
  const Image img = Read(face);
  EXPECT_EQ(16 + 3 + tw + 2, img.width);
  EXPECT_EQ(std::max(16L, TextSize("Abort").cy), static_cast<LONG>(img.height));
  const COLORREF faceColor = GetSysColor(COLOR_BTNFACE), ink = GetSysColor(COLOR_BTNTEXT);
  int inked = 0;
  for (int y = 0; y < img.height; ++y) {
    EXPECT_EQ(faceColor, img.At(17, y)) << y;  // the gap between picture and caption
    EXPECT_EQ(faceColor, img.At(img.width - 1, y)) << y;
    for (int x = 19; x < img.width; ++x) inked += img.At(x, y) == ink;
  }
  EXPECT_GT(inked, 10);
  // A full row of ink below "b" only: its underline.
  const int bFrom = 19 + TextSize("A").cx, bTo = bFrom + TextSize("b").cx;
  auto fullRow = [&](int y, int from, int to) {
    for (int x = from; x < to; ++x)
      if (img.At(x, y) != ink) return false;
    return to > from;
  };
  int underline = -1;
  for (int y = img.height / 2; y < img.height; ++y)
    if (fullRow(y, bFrom, bTo - 1)) underline = y;
  ASSERT_GE(underline, 0) << "no underline below the b";
  EXPECT_FALSE(fullRow(underline, 19, bFrom - 1));
  EXPECT_FALSE(fullRow(underline, bTo + 1, 19 + tw));

  // A disabled button's face is white unless the face colour is kept; an
  // alpha picture is blended over it. One face per button: the one before goes.
  Bitmap alpha = MakePicture("imgOk");
  EnableWindow(button, FALSE);
  HBITMAP white = ApplyButtonFace(button, alpha.Get(), false);
  EXPECT_EQ(0, GetObjectType(face));
  EXPECT_EQ(RGB(255, 255, 255), Read(white).At(0, 0));
  HBITMAP kept = ApplyButtonFace(button, alpha.Get(), true);
  EXPECT_EQ(faceColor, Read(kept).At(17, Read(kept).height / 2));
  EXPECT_EQ(0, GetObjectType(white));
  EnableWindow(button, TRUE);
  HBITMAP enabled = ApplyButtonFace(button, alpha.Get(), false);
  EXPECT_EQ(faceColor, Read(enabled).At(17, 0));
  // Without a picture the button keeps its text face.
  EXPECT_EQ(nullptr, ApplyButtonFace(button, nullptr, true));
  EXPECT_EQ(nullptr, ButtonFaceOf(button));
  EXPECT_EQ(0, GetWindowLongA(button, GWL_STYLE) & 0x180);
  EXPECT_EQ(nullptr, reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)));
  EXPECT_EQ(0, GetObjectType(enabled));
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

TEST(PanelGradient, BandRunsFromTheWorkspaceColourAndIsRepaintedFromItsBitmap) {
  Form form;
  WNDCLASSA wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "HwTestBand";
  RegisterClassA(&wc);
  HWND box = CreateWindowExA(0, "HwTestBand", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 24, form.hwnd, nullptr,
                             wc.hInstance, nullptr);
  const COLORREF window = RGB(0x20, 0x40, 0xC0), workspace = GetSysColor(COLOR_APPWORKSPACE);
  PaintPanelGradient(window, box);
  HBITMAP band = PanelGradientOf(box);
  const Image img = Read(band);
  ASSERT_EQ(200, img.width);
  ASSERT_EQ(24, img.height);
  // From the workspace colour to the window colour; the steps are the painter's.
  EXPECT_LE(std::abs(GetBValue(img.At(0, 5)) - GetBValue(workspace)), 2);
  EXPECT_EQ(window, img.At(199, 23));
  // What the box shows is that bitmap.
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 200, 24);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(mem, target);
  EXPECT_NE(0, SendMessageA(box, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), 0));
  SelectObject(mem, old);
  DeleteDC(mem);
  const Image shown = Read(target);
  DeleteObject(target);
  for (int x : {0, 50, 150}) EXPECT_EQ(img.At(x, 5), shown.At(x, 5)) << x;
  // A repaint replaces the bitmap; destroying the box frees it.
  PaintPanelGradient(0x8000000F, box);  // a system colour as the window colour
  EXPECT_EQ(0, GetObjectType(band));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Read(PanelGradientOf(box)).At(150, 3));
  HBITMAP last = PanelGradientOf(box);
  DestroyWindow(box);
  EXPECT_EQ(0, GetObjectType(last));
}

}  // namespace
}  // namespace hw
