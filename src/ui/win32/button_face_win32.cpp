#include "ui/win32/button_face_win32.h"
#include "ui/win32/wide_text_win32.h"

#include <algorithm>
#include <string>

namespace hw {

namespace {

// The button's "Tag": the face bitmap it shows, kept as a window property.
constexpr char kFaceProp[] = "HivewrightFace";
constexpr LONG kBitmapLeft = BS_BITMAP | BS_LEFT;  // 0x180

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
  const int got = GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

// Restores a DC's selected object when it goes.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~Selected() {
    if (old_) SelectObject(dc_, old_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  ~GdiObject() {
    if (object_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
};

// A 32-bit picture with alpha (the program's own pictures are premultiplied)
// is blended over the background; any other bitmap is copied as it is.
bool HasAlpha(HBITMAP picture) {
  DIBSECTION ds{};
  if (GetObjectA(picture, sizeof ds, &ds) != sizeof ds || ds.dsBm.bmBitsPixel != 32 || !ds.dsBm.bmBits)
    return false;
  const auto* px = static_cast<const std::uint32_t*>(ds.dsBm.bmBits);
  const size_t count = static_cast<size_t>(ds.dsBm.bmWidth) * static_cast<size_t>(std::abs(ds.dsBm.bmHeight));
  for (size_t i = 0; i < count; ++i)
    if (px[i] >> 24) return true;
  return false;
}

void PaintPicture(HDC dc, HBITMAP picture, int x, int y, int width, int height) {
  MemoryDc source;
  if (!source.Get()) return;
  Selected keep(source.Get(), picture);
  if (HasAlpha(picture)) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width, height, source.Get(), 0, 0, width, height, blend);
  } else {
    BitBlt(dc, x, y, width, height, source.Get(), 0, 0, SRCCOPY);
  }
}

struct Caption {
  std::string before, marked, after;  // the "&" itself is not printed
  std::string Printed() const { return before + marked + after; }
};

Caption SplitCaption(const std::string& text) {
  Caption c;
  const size_t amp = text.find('&');
  if (amp == std::string::npos) {
    c.before = text;
    return c;
  }
  c.before = text.substr(0, amp);
  if (amp + 1 < text.size()) {
    // One character, which in UTF-8 may be several bytes.
    std::size_t end = amp + 2;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    c.marked = text.substr(amp + 1, end - amp - 1);
    c.after = text.substr(end);
  }
  return c;
}

int TextWidth(HDC dc, const std::string& text) {
  if (text.empty()) return 0;
  SIZE size{};
  TextExtentUtf8(dc, text, &size);
  return size.cx;
}

void DeleteFace(HWND button) {
  auto face = static_cast<HBITMAP>(RemovePropA(button, kFaceProp));
  if (!face) return;
  // The button must not show a bitmap that is about to go.
  if (reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0)) == face)
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, 0);
  DeleteObject(face);
}

}  // namespace

HBITMAP ButtonFaceOf(HWND button) { return static_cast<HBITMAP>(GetPropA(button, kFaceProp)); }

HBITMAP ApplyButtonFace(HWND button, HBITMAP picture, bool keepFace) {
  if (!IsWindow(button)) return nullptr;
  const COLORREF background = (keepFace || IsWindowEnabled(button)) ? GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255);
  const COLORREF foreground = GetSysColor(COLOR_BTNTEXT);

  int pw = 0, ph = 0;
  BITMAP bm{};
  if (picture && GetObjectA(picture, sizeof bm, &bm) == sizeof bm) {
    pw = bm.bmWidth;
    ph = std::abs(bm.bmHeight);
  }

  HBITMAP face = nullptr;
  if (ph > 0) {
    MemoryDc dc;
    if (!dc.Get()) return nullptr;
    auto font = reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA underlinedLf{};
    GetObjectA(font, sizeof underlinedLf, &underlinedLf);
    underlinedLf.lfUnderline = TRUE;
    GdiObject underlined(CreateFontIndirectA(&underlinedLf));

    const Caption caption = SplitCaption(WindowText(button));
    int tw = 0, th = 0;
    {
      Selected f(dc.Get(), font);
      TEXTMETRICA tm{};
      GetTextMetricsA(dc.Get(), &tm);
      th = tm.tmHeight;
      tw = TextWidth(dc.Get(), caption.Printed());
    }
    const int width = pw + 3 + tw + 2;
    const int height = std::max(ph, th);
    const int pictureY = ph < height ? (height - ph) / 2 : 0;
    const int textY = th < height ? (height - th) / 2 : 0;

    HDC screen = GetDC(nullptr);
    face = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!face) return nullptr;
    {
      Selected target(dc.Get(), face);
      RECT all{0, 0, width, height};
      GdiObject brush(CreateSolidBrush(background));
      FillRect(dc.Get(), &all, static_cast<HBRUSH>(brush.Get()));
      PaintPicture(dc.Get(), picture, 0, pictureY, pw, ph);

      SetBkMode(dc.Get(), TRANSPARENT);
      SetTextColor(dc.Get(), foreground);
      int x = pw + 3;
      {
        Selected f(dc.Get(), font);
        TextOutUtf8(dc.Get(), x, textY, caption.before);
        x += TextWidth(dc.Get(), caption.before);
      }
      if (!caption.marked.empty()) {
        Selected f(dc.Get(), underlined.Get() ? underlined.Get() : font);
        TextOutUtf8(dc.Get(), x, textY, caption.marked);
        x += TextWidth(dc.Get(), caption.marked);
      }
      Selected f(dc.Get(), font);
      TextOutUtf8(dc.Get(), x, textY, caption.after);
    }
  }

  DeleteFace(button);
  LONG style = GetWindowLongA(button, GWL_STYLE);
  if (face) {
    SetPropA(button, kFaceProp, face);
    style |= kBitmapLeft;
  } else {
    style &= ~kBitmapLeft;
  }
  SetWindowLongA(button, GWL_STYLE, style);
  SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
  InvalidateRect(button, nullptr, TRUE);
  return face;
}

void DeleteButtonFaces(HWND form) {
  if (!IsWindow(form)) return;
  EnumChildWindows(
      form,
      [](HWND child, LPARAM) -> BOOL {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        // Push buttons and check boxes carry faces; other "Button" kinds
        // (group boxes, option buttons) never get one, and are harmless.
        if (lstrcmpiA(cls, "Button") == 0) DeleteFace(child);
        return TRUE;
      },
      0);
}

}  // namespace hw
