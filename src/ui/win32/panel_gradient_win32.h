#pragma once
// Heading bands painted from the application-workspace colour into a
// window's background colour.
#include "registry/windows_win32.h"

namespace hw {

/// Paints `box` with the gradient from the workspace colour (system colour
/// 0x8000000C) to `color` and refreshes it (PaintPanelGradient).
void PaintPanelGradient(COLORREF color, HWND box);

}  // namespace hw
