#include "ui/win32/panel_gradient_win32.h"

#include <commctrl.h>

#include "ui/styling/gradient.h"
#include "ui/win32/pictures_win32.h"

namespace hw {

namespace {

constexpr UINT_PTR kBandSubclassId = 0x48574742;  // "HWGB"
// The state is also found through a property: the import library of MinGW
// has no GetWindowSubclass.
constexpr char kBandProp[] = "HivewrightBand";
constexpr GradientColor kWorkspaceColor = static_cast<GradientColor>(0x8000000C);

COLORREF ResolveSystemColor(COLORREF color) {
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
  return color;
}

struct BandState {
  Bitmap band;
  COLORREF background = 0;
};

LRESULT CALLBACK BandProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
  auto* state = reinterpret_cast<BandState*>(ref);
  switch (msg) {
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HBRUSH brush = CreateSolidBrush(state->background);
      FillRect(dc, &rc, brush);
      DeleteObject(brush);
      if (state->band) {
        BITMAP bm{};
        GetObjectA(state->band.Get(), sizeof bm, &bm);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, state->band.Get());
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, BandProc, id);
      RemovePropA(hwnd, kBandProp);
      delete state;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

BandState* StateOf(HWND box, bool create) {
  if (auto* state = static_cast<BandState*>(GetPropA(box, kBandProp))) return state;
  if (!create) return nullptr;
  auto* state = new BandState;
  if (!SetPropA(box, kBandProp, state)) {
    delete state;
    return nullptr;
  }
  if (!SetWindowSubclass(box, BandProc, kBandSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
    RemovePropA(box, kBandProp);
    delete state;
    return nullptr;
  }
  return state;
}

// Lines go to a memory bitmap that the box shows from then on; the box's
// window is locked while they are drawn, as on screen.
class BandCanvas : public GradientCanvas {
 public:
  BandCanvas(HWND box, HDC dc) : box_(box), dc_(dc) {}
  ~BandCanvas() override {
    if (locked_) LockWindowUpdate(nullptr);
  }

  void Refresh() override { UpdateWindow(box_); }
  void LockUpdates(bool lock) override {
    if (lock) {
      locked_ = LockWindowUpdate(box_) != 0;
    } else if (locked_) {
      LockWindowUpdate(nullptr);
      locked_ = false;
    }
  }
  bool ClientSize(int& width, int& height) override {
    RECT rc;
    if (!GetClientRect(box_, &rc)) return false;
    width = rc.right - rc.left;
    height = rc.bottom - rc.top;
    return true;
  }
  void MoveTo(int x, int y) override { MoveToEx(dc_, x, y, nullptr); }
  void LineTo(int x, int y, std::uint32_t color) override {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = SelectObject(dc_, pen);
    ::LineTo(dc_, x, y);
    SelectObject(dc_, old);
    DeleteObject(pen);
  }
  std::uint32_t GetPixel(int x, int y) override { return ::GetPixel(dc_, x, y); }
  void SetPixel(int x, int y, GradientColor color) override {
    SetPixelV(dc_, x, y, ResolveSystemColor(static_cast<COLORREF>(color)));
  }

 private:
  HWND box_;
  HDC dc_;
  bool locked_ = false;
};

PicGradient& Painter() {
  static PicGradient painter;
  return painter;
}

}  // namespace

void PaintPanelGradient(COLORREF color, HWND box, MessagePump* pump) {
  if (!IsWindow(box) || Painter().IsDrawing()) return;
  BandState* state = StateOf(box, true);
  if (!state) return;

  RECT rc{};
  GetClientRect(box, &rc);
  const int w = rc.right > 1 ? rc.right : 1;
  const int h = rc.bottom > 1 ? rc.bottom : 1;
  const COLORREF background = ResolveSystemColor(color);

  HDC screen = GetDC(box);
  Bitmap band(CreateCompatibleBitmap(screen, w, h));
  HDC mem = CreateCompatibleDC(screen);
  ReleaseDC(box, screen);
  if (!band || !mem) {
    if (mem) DeleteDC(mem);
    return;
  }
  HGDIOBJ old = SelectObject(mem, band.Get());
  RECT all{0, 0, w, h};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(mem, &all, brush);
  DeleteObject(brush);
  {
    BandCanvas canvas(box, mem);
    Painter().SetPump(pump);
    Painter().SetClassColor(kWorkspaceColor, static_cast<GradientColor>(color));
    Painter().Draw(canvas);
    Painter().SetPump(nullptr);
  }
  SelectObject(mem, old);
  DeleteDC(mem);

  // The box may have gone during a yield.
  if (!IsWindow(box)) return;
  state = StateOf(box, false);
  if (!state) return;
  state->band = std::move(band);
  state->background = background;
  InvalidateRect(box, nullptr, TRUE);
  UpdateWindow(box);
}

HBITMAP PanelGradientOf(HWND box) {
  BandState* state = IsWindow(box) ? StateOf(box, false) : nullptr;
  return state ? state->band.Get() : nullptr;
}

}  // namespace hw
