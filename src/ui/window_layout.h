#pragma once
// The main window when it is larger than designed: the page logic keeps
// placing its controls in the design's twips, and each control follows the
// edges of its container that it belongs to. The tree, the lists and the
// bands take the new width and height; the left column stays at the top
// left; command buttons keep their distance from the bottom right.
#include <optional>
#include <string>

#include "ui/form_model.h"

namespace hw {

/// The client area the main window is designed for (twips, without the
/// status bar): the left column and the area right of it. The window is
/// never made smaller.
inline constexpr int kDesignClientWidth = 11920;
inline constexpr int kDesignClientHeight = 4680;

/// How a control follows its container on one axis: keeps its offset from
/// the left (top), grows with the container, keeps its offset from the
/// right (bottom), or grows in proportion (a progress image in its frame).
enum class Anchor { kStart, kStretch, kEnd, kScale };

struct Anchors {
  Anchor x = Anchor::kStart, y = Anchor::kStart;
};

struct TwipsRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const TwipsRect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

/// The anchors of a control of the main window on the page the state shows.
Anchors MainWindowAnchors(const std::string& control, const FormModel& controls);

/// Where a control placed at `design` lies when its container is `growX`
/// twips wider and `growY` higher than designed, `containerWidth` and
/// `containerHeight` being the container's designed size (for kScale).
TwipsRect AnchoredRect(const TwipsRect& design, Anchors anchors, int growX, int growY, int containerWidth,
                       int containerHeight);

/// How much larger than designed the window's client area is (never less
/// than nothing), for a client area of `width` x `height` twips.
inline int Growth(int actual, int designed) { return actual > designed ? actual - designed : 0; }

/// The window's place and size kept in the settings, in screen pixels.
struct WindowPlacement {
  int left = 0, top = 0, width = 0, height = 0;
  bool maximized = false;
};

/// "left,top,width,height,state" with state "max" or "normal".
std::string FormatWindowPlacement(const WindowPlacement& p);
/// None for text not in that form or a size below 100 pixels.
std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text);

inline constexpr char kWindowKey[] = "Software\\Tarnwick\\Hivewright\\Window";
inline constexpr char kPlacementValue[] = "Placement";

}  // namespace hw
