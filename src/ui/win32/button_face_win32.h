#pragma once
// Picture buttons: a face bitmap made of the button's picture and its
// caption side by side, composed once per change (not on every paint).
#include "platform/windows_win32.h"

namespace hw {

/// Composes the face of `button` from `picture` (may be null: a plain text
/// face) and the button's caption in its font: the picture at the left, 3
/// pixels, the caption with the letter after "&" underlined, 2 pixels;
/// background the button-face colour when `keepFace` or the button is
/// enabled, white otherwise. Installs it (BS_BITMAP | BS_LEFT, BM_SETIMAGE),
/// deletes the face made before for this button and remembers the new one
/// (the button's Tag). Returns the new face (null without a picture).
HBITMAP ApplyButtonFace(HWND button, HBITMAP picture, bool keepFace);

/// Deletes every face bitmap remembered for the buttons and check boxes of
/// `form` (the face cleanup at the end).
void DeleteButtonFaces(HWND form);

/// The face bitmap remembered for `button` ("Tag"); null when none.
HBITMAP ButtonFaceOf(HWND button);

}  // namespace hw
