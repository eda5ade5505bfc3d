#pragma once
// Heading bands painted from the application-workspace colour into a
// window's background colour.
#include "platform/windows_win32.h"

namespace hw {

class MessagePump;

/// Paints `box` with the gradient from the workspace colour (system colour
/// 0x8000000C) to `color` (PaintPanelGradient). The band is kept as a bitmap
/// of the box's client size and drawn in the box's WM_ERASEBKGND (a
/// subclass installed on the first call and removed with the window), so the
/// box must paint its background through WM_ERASEBKGND: a plain child
/// window, not a STATIC control. Area outside the bitmap (after a resize)
/// shows `color`. `color` may itself be a system colour reference. `pump`,
/// when given, runs between the lines. A call made from such a yield while
/// another band is painted does nothing.
void PaintPanelGradient(COLORREF color, HWND box, MessagePump* pump = nullptr);

/// The band bitmap last painted for `box`; null when none. Owned by the box.
HBITMAP PanelGradientOf(HWND box);

}  // namespace hw
