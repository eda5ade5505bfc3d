#pragma once
// Writes bitmaps to PNG files so that tests can leave pictures to look at.
#include <windows.h>

#include <string>

namespace hw::test {

/// Saves a 32-bit bitmap as a PNG, keeping its alpha channel (taken as
/// premultiplied). Returns false when the bitmap is not 32-bit or the file
/// could not be written.
bool SaveBitmapPng(HBITMAP bitmap, const std::string& path);

}  // namespace hw::test
