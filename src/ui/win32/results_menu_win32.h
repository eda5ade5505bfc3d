#pragma once
// The results tree's context menu and the clipboard, for the main window.
#include "platform/windows_win32.h"

#include <string>
#include <vector>

#include "ui/results_page.h"

namespace hw {

/// Shows `items` as a popup menu at `screen` and waits for the choice; the
/// chosen command, or 0 when the menu was dismissed.
int TrackResultsMenu(HWND owner, const std::vector<ResultsMenuItem>& items, POINT screen);

/// Puts UTF-8 `text` on the clipboard as Unicode text; false when the
/// clipboard could not be had.
bool CopyTextToClipboard(HWND owner, const std::string& text);

}  // namespace hw
