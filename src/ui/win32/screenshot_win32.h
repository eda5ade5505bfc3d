#pragma once
#include <windows.h>

#include <string>

namespace hw {

/// Saves what the screen shows of `window` (its whole frame) as a PNG file.
/// Returns false when the picture could not be taken or written.
bool SaveWindowPng(HWND window, const std::string& path);

/// Saves a 32-bit bitmap as a PNG, keeping its alpha channel (taken as
/// premultiplied). False when it is not 32-bit or cannot be written.
bool SaveBitmapPng(HBITMAP bitmap, const std::string& path);

}  // namespace hw
