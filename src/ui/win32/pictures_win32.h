#pragma once
// The program's pictures, drawn in code: the emblem, the splash image, the
// button pictures and the section tree's state pictures, known by the keys
// that the windows use ("Emblem", "scanBtn", "imgPause", "AllReg", ...).
#include <windows.h>

#include <string>
#include <vector>

namespace hw {

/// Owns one GDI bitmap and deletes it when it goes; move-only.
class Bitmap {
 public:
  Bitmap() = default;
  explicit Bitmap(HBITMAP handle) : handle_(handle) {}
  ~Bitmap() { Reset(); }
  Bitmap(Bitmap&& other) noexcept : handle_(other.Release()) {}
  Bitmap& operator=(Bitmap&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.Release();
    }
    return *this;
  }
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  HBITMAP Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  /// Gives the handle to the caller, who then deletes it.
  HBITMAP Release() {
    HBITMAP h = handle_;
    handle_ = nullptr;
    return h;
  }
  void Reset() {
    if (handle_) DeleteObject(handle_);
    handle_ = nullptr;
  }

 private:
  HBITMAP handle_ = nullptr;
};

/// The picture named `key` as a 32-bit top-down DIB section with
/// premultiplied alpha: fully transparent around the drawing, opaque on it,
/// ready for AlphaBlend and for image lists made with ILC_COLOR32. The
/// splash image is opaque throughout. An unknown key gives an empty Bitmap.
Bitmap MakePicture(const std::string& key);

/// The same picture drawn over a solid `background` and opaque throughout,
/// for callers that copy it with BitBlt (button faces, picture boxes).
Bitmap MakePicture(const std::string& key, COLORREF background);

/// Width and height of the picture named `key`; {0, 0} for an unknown key.
SIZE PictureSize(const std::string& key);

}  // namespace hw
