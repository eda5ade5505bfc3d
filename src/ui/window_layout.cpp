#include "ui/window_layout.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "ui/control_names.h"

namespace hw {
namespace {

constexpr Anchors kFixed{};
constexpr Anchors kWide{Anchor::kStretch, Anchor::kStart};
constexpr Anchors kGrows{Anchor::kStretch, Anchor::kStretch};
constexpr Anchors kRight{Anchor::kEnd, Anchor::kStart};
constexpr Anchors kBottomWide{Anchor::kStretch, Anchor::kEnd};

// A tree wider than the left part of the area is the results tree.
constexpr int kResultsTreeMinWidth = 5000;

const std::map<std::string, Anchors>& Table() {
  static const std::map<std::string, Anchors> table = {
      {ctl::mainArea, kGrows},
      {ctl::basebox, kGrows},
      // First page: the bands and descriptions widen; buttons stay.
      {ctl::firstfrm, kWide},
      {ctl::scanNowPic, kWide},
      {ctl::BackupPic, kWide},
      {ctl::CustmPic, kWide},
      {ctl::ScanBtnDescLb, kWide},
      {ctl::BackupBtnDescLb, kWide},
      {ctl::ConfBtnDescLb, kWide},
      {ctl::cbullet, kRight},
      // Scan page.
      {ctl::secondFram, kWide},
      {ctl::PerfPic, kWide},
      {ctl::SummPic, kWide},
      {ctl::Label1, kWide},
      {ctl::Label3, kWide},
      {ctl::PBarFrame, kWide},
      {ctl::pgScanSystem, kWide},
      {ctl::pBarImg, Anchors{Anchor::kScale, Anchor::kStart}},
      {ctl::ProbFoLb, kWide},
      // Command bar along the bottom; its buttons at its right.
      {ctl::Frame1, kBottomWide},
      {ctl::ext, kRight},
      {ctl::nxt, kRight},
      {ctl::cmdBackUp, kRight},
      {ctl::cmdPause, kRight},
      // Results page.
      {ctl::pctErrHeading, kWide},
      {ctl::txtDetails, kBottomWide},
      // Backup manager.
      {ctl::fraBackUp, kGrows},
      {ctl::pctBackManegerTop, kWide},
      {ctl::ListVW1, kGrows},
      {ctl::pctBackupPanel, kBottomWide},
      {ctl::cmdRestore, kRight},
      {ctl::cmdExport, kRight},
      {ctl::cmdCleanBackUp, kRight},
      {ctl::cmdCancel, kRight},
  };
  return table;
}

int Along(Anchor a, int start, int size, int grow, int containerSize, int* outSize) {
  switch (a) {
    case Anchor::kStretch:
      *outSize = size + grow;
      return start;
    case Anchor::kEnd:
      *outSize = size;
      return start + grow;
    case Anchor::kScale: {
      if (containerSize <= 0) break;
      const double f = static_cast<double>(containerSize + grow) / containerSize;
      *outSize = static_cast<int>(std::lround(size * f));
      return static_cast<int>(std::lround(start * f));
    }
    case Anchor::kStart:
      break;
  }
  *outSize = size;
  return start;
}

}  // namespace

Anchors MainWindowAnchors(const std::string& control, const FormModel& controls) {
  if (control == ctl::tvwTree) {
    // The section tree beside the pages keeps its width; widened over the
    // area for the results it takes the window's width too.
    const bool results = controls.Get(ctl::tvwTree).width >= kResultsTreeMinWidth;
    return Anchors{results ? Anchor::kStretch : Anchor::kStart, Anchor::kStretch};
  }
  auto it = Table().find(control);
  return it == Table().end() ? kFixed : it->second;
}

TwipsRect AnchoredRect(const TwipsRect& design, Anchors anchors, int growX, int growY, int containerWidth,
                       int containerHeight) {
  TwipsRect r;
  r.left = Along(anchors.x, design.left, design.width, growX, containerWidth, &r.width);
  r.top = Along(anchors.y, design.top, design.height, growY, containerHeight, &r.height);
  return r;
}

std::string FormatWindowPlacement(const WindowPlacement& p) {
  char text[96];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d,%s", p.left, p.top, p.width, p.height,
                p.maximized ? "max" : "normal");
  return text;
}

std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text) {
  WindowPlacement p;
  char state[16] = {};
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%15[a-z]%n", &p.left, &p.top, &p.width, &p.height, state, &consumed) !=
          5 ||
      static_cast<std::size_t>(consumed) != text.size())
    return std::nullopt;
  if (p.width < 100 || p.height < 100 || p.width > 100000 || p.height > 100000) return std::nullopt;
  if (std::strcmp(state, "max") == 0) p.maximized = true;
  else if (std::strcmp(state, "normal") != 0) return std::nullopt;
  return p;
}

}  // namespace hw
