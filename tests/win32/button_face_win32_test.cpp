#include "ui/win32/button_face_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/win32/panel_gradient_win32.h"
#include "ui/win32/pictures_win32.h"

namespace hw {
namespace {

DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }

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
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = img.width;
  bi.bmiHeader.biHeight = -img.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, bmp, 0, static_cast<UINT>(img.height), img.px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  return img;
}

int TextWidthIn(HFONT font, const char* text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE s{};
  GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
  SelectObject(dc, old);
  DeleteDC(dc);
  return s.cx;
}

int FontHeight(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return tm.tmHeight;
}

class Form {
 public:
  Form() {
    hwnd = CreateWindowExA(0, "STATIC", "faces", WS_OVERLAPPEDWINDOW, 10, 10, 400, 300, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~Form() {
    if (hwnd) DestroyWindow(hwnd);
  }
  HWND Button(const char* caption, DWORD style = BS_PUSHBUTTON, int y = 10) {
    HWND b = CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | style, 10, y, 150, 30, hwnd, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return b;
  }
  HWND hwnd = nullptr;
};

TEST(ButtonFace, PictureAndCaptionSideBySideWithTheMarkedLetterUnderlined) {
  Form form;
  ASSERT_TRUE(form.hwnd);
  HWND button = form.Button("A&bort");
  Bitmap picture = MakePicture("imgAbort", GetSysColor(COLOR_BTNFACE));
  ASSERT_TRUE(picture);

  HBITMAP face = ApplyButtonFace(button, picture.Get(), true);
  ASSERT_TRUE(face);
  EXPECT_EQ(face, ButtonFaceOf(button));
  EXPECT_EQ(face, reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)));
  EXPECT_EQ(0x180, GetWindowLongA(button, GWL_STYLE) & 0x180);

  auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const int tw = TextWidthIn(font, "Abort");
  const int th = FontHeight(font);
  const Image img = Read(face);
  EXPECT_EQ(16 + 3 + tw + 2, img.width);
  EXPECT_EQ(std::max(16, th), img.height);

  const COLORREF faceColor = GetSysColor(COLOR_BTNFACE);
  const COLORREF textColor = GetSysColor(COLOR_BTNTEXT);
  // The gap between picture and caption, and the margin after it.
  for (int y = 0; y < img.height; ++y) {
    EXPECT_EQ(faceColor, img.At(17, y)) << y;
    EXPECT_EQ(faceColor, img.At(img.width - 1, y)) << y;
  }
  // The caption printed: text pixels right of the picture.
  int inked = 0;
  for (int y = 0; y < img.height; ++y)
    for (int x = 19; x < img.width; ++x) inked += img.At(x, y) == textColor;
  EXPECT_GT(inked, 10);

  // A full row of ink below "b" only: its underline. "A" and "ort" have none.
  const int bFrom = 19 + TextWidthIn(font, "A");
  const int bTo = bFrom + TextWidthIn(font, "b");
  auto fullRow = [&](int y, int from, int to) {
    for (int x = from; x < to; ++x)
      if (img.At(x, y) != textColor) return false;
    return to > from;
  };
  int underlineRow = -1;
  for (int y = img.height / 2; y < img.height; ++y)
    if (fullRow(y, bFrom, bTo - 1)) underlineRow = y;
  ASSERT_GE(underlineRow, 0) << "no underline below the b";
  EXPECT_FALSE(fullRow(underlineRow, 19, bFrom - 1));
  EXPECT_FALSE(fullRow(underlineRow, bTo + 1, 19 + tw));

  DeleteButtonFaces(form.hwnd);
  EXPECT_EQ(nullptr, ButtonFaceOf(button));
  EXPECT_EQ(0, GetObjectType(face));
}

TEST(ButtonFace, BackgroundFollowsKeepFaceAndTheEnabledState) {
  Form form;
  HWND button = form.Button("&OK");
  Bitmap picture = MakePicture("imgOk");  // alpha picture: blended over the face
  ASSERT_TRUE(picture);
  EnableWindow(button, FALSE);

  HBITMAP white = ApplyButtonFace(button, picture.Get(), false);
  ASSERT_TRUE(white);
  Image img = Read(white);
  EXPECT_EQ(RGB(255, 255, 255), img.At(0, 0));
  EXPECT_EQ(RGB(255, 255, 255), img.At(17, img.height / 2));

  HBITMAP kept = ApplyButtonFace(button, picture.Get(), true);
  ASSERT_TRUE(kept);
  img = Read(kept);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), img.At(17, img.height / 2));
  // One face per button: the first is gone.
  EXPECT_EQ(0, GetObjectType(white));

  EnableWindow(button, TRUE);
  HBITMAP enabled = ApplyButtonFace(button, picture.Get(), false);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Read(enabled).At(17, 0));
  EXPECT_EQ(0, GetObjectType(kept));
  DeleteButtonFaces(form.hwnd);
}

TEST(ButtonFace, WithoutAPictureTheButtonKeepsItsTextFace) {
  Form form;
  HWND button = form.Button("Plain");
  Bitmap picture = MakePicture("imgCross", GetSysColor(COLOR_BTNFACE));
  ASSERT_TRUE(ApplyButtonFace(button, picture.Get(), true));
  HBITMAP before = ButtonFaceOf(button);

  EXPECT_EQ(nullptr, ApplyButtonFace(button, nullptr, true));
  EXPECT_EQ(nullptr, ButtonFaceOf(button));
  EXPECT_EQ(0, GetWindowLongA(button, GWL_STYLE) & 0x180);
  EXPECT_EQ(nullptr, reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)));
  EXPECT_EQ(0, GetObjectType(before));
}

TEST(ButtonFace, RecomposingAndCleaningUpLeaveNoBitmapBehind) {
  Form form;
  HWND push = form.Button("&Scan", BS_PUSHBUTTON, 10);
  HWND check = form.Button("&Backup", BS_AUTOCHECKBOX, 50);
  HWND other = form.Button("Group", BS_GROUPBOX, 90);
  Bitmap a = MakePicture("imgBackUp", GetSysColor(COLOR_BTNFACE));
  Bitmap b = MakePicture("imgRestore", GetSysColor(COLOR_BTNFACE));

  // Wine reports no GDI object count (0); there every face made is checked
  // by its handle instead, which Windows does as well.
  const DWORD start = GdiObjects();
  std::vector<HBITMAP> made;
  made.push_back(ApplyButtonFace(push, a.Get(), true));
  made.push_back(ApplyButtonFace(check, b.Get(), true));
  const DWORD withFaces = GdiObjects();
  if (start > 0) {
    EXPECT_GE(withFaces, start + 2);
  }
  for (int round = 0; round < 20; ++round) {
    made.push_back(ApplyButtonFace(push, a.Get(), round % 2 == 0));
    made.push_back(ApplyButtonFace(check, b.Get(), true));
  }
  EXPECT_EQ(withFaces, GdiObjects());
  int alive = 0;
  for (HBITMAP face : made) alive += GetObjectType(face) == OBJ_BITMAP;
  EXPECT_EQ(2, alive);
  EXPECT_EQ(made[made.size() - 2], ButtonFaceOf(push));
  EXPECT_EQ(made.back(), ButtonFaceOf(check));

  DeleteButtonFaces(form.hwnd);
  EXPECT_EQ(nullptr, ButtonFaceOf(push));
  EXPECT_EQ(nullptr, ButtonFaceOf(check));
  EXPECT_EQ(nullptr, ButtonFaceOf(other));
  for (HBITMAP face : made) EXPECT_EQ(0, GetObjectType(face));
  EXPECT_EQ(start, GdiObjects());
  DeleteButtonFaces(form.hwnd);  // twice is harmless
  EXPECT_EQ(start, GdiObjects());
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

HWND PlainBox(HWND parent, int width, int height) {
  static const ATOM cls = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HwTestBand";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    return RegisterClassA(&wc);
  }();
  return CreateWindowExA(0, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(cls)), "", WS_CHILD | WS_VISIBLE, 0, 0,
                         width, height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(PanelGradient, BandRunsFromTheWorkspaceColourAndIsRepaintedFromItsBitmap) {
  Form form;
  const DWORD start = GdiObjects();
  HWND box = PlainBox(form.hwnd, 200, 24);
  ASSERT_TRUE(box);
  const COLORREF window = RGB(0x20, 0x40, 0xC0);

  PaintPanelGradient(window, box);
  HBITMAP band = PanelGradientOf(box);
  ASSERT_TRUE(band);
  const Image img = Read(band);
  ASSERT_EQ(200, img.width);
  ASSERT_EQ(24, img.height);
  const COLORREF workspace = GetSysColor(COLOR_APPWORKSPACE);
  // x = 0 is one step from the workspace colour; x = 100 is the window colour.
  EXPECT_LE(std::abs(GetRValue(img.At(0, 5)) - GetRValue(workspace)), 2);
  EXPECT_LE(std::abs(GetBValue(img.At(0, 5)) - GetBValue(workspace)), 2);
  EXPECT_EQ(window, img.At(100, 5));
  EXPECT_EQ(window, img.At(199, 23));
  const COLORREF mid = img.At(50, 12);
  EXPECT_GT(GetBValue(mid), std::min(GetBValue(workspace), GetBValue(window)) - 1);
  EXPECT_LT(GetBValue(mid), std::max(GetBValue(workspace), GetBValue(window)) + 1);

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
  EXPECT_EQ(img.At(0, 5), shown.At(0, 5));
  EXPECT_EQ(img.At(50, 5), shown.At(50, 5));
  EXPECT_EQ(window, shown.At(150, 5));

  // A repaint replaces the bitmap; destroying the box frees it.
  PaintPanelGradient(0x8000000F, box);  // a system colour as the window colour
  EXPECT_EQ(0, GetObjectType(band));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), Read(PanelGradientOf(box)).At(150, 3));
  HBITMAP last = PanelGradientOf(box);
  DestroyWindow(box);
  EXPECT_EQ(0, GetObjectType(last));
  EXPECT_EQ(start, GdiObjects());
}

}  // namespace
}  // namespace hw
