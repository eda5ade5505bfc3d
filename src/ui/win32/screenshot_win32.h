#pragma once
#include <windows.h>

#include <string>

namespace hw {

/// Saves what the screen shows of `window` (its whole frame) as a PNG file.
/// Returns false when the picture could not be taken or written.
bool SaveWindowPng(HWND window, const std::string& path);

}  // namespace hw
