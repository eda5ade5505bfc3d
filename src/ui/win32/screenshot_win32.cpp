#include "ui/win32/screenshot_win32.h"

#include <gdiplus.h>

#include <cstdint>
#include <vector>

namespace hw {
namespace {

bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
  std::vector<unsigned char> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

bool SaveImagePng(Gdiplus::Image& image, const std::string& path) {
  CLSID png;
  std::wstring wide(path.begin(), path.end());
  return PngEncoder(&png) && image.Save(wide.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace

bool SaveWindowPng(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  bool ok = false;
  {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(mem, old);
    {
      Gdiplus::Bitmap image(bmp, nullptr);
      ok = SaveImagePng(image, path);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
  }
  Gdiplus::GdiplusShutdown(token);
  return ok;
}

bool SaveBitmapPng(HBITMAP bitmap, const std::string& path) {
  BITMAP bm{};
  if (GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmBitsPixel != 32) return false;
  const int w = bm.bmWidth, h = bm.bmHeight;
  // Copy the rows out top-down whatever the bitmap's own order; GDI+ would
  // drop the alpha of an HBITMAP, so it gets the pixels instead.
  std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * h);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != h) return false;

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  bool ok = false;
  {
    Gdiplus::Bitmap image(w, h, w * 4, PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()));
    ok = SaveImagePng(image, path);
  }
  Gdiplus::GdiplusShutdown(token);
  return ok;
}

}  // namespace hw
