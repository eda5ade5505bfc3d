#pragma once
// Names Windows gives to devices in every folder: a file so named is the
// device, so a backup must never be written under one.
#include <string>

namespace hw {

/// True for NUL, CON, PRN, AUX, COM1 to COM9 and LPT1 to LPT9, in any case,
/// with or without an extension and trailing spaces ("nul.bak", "COM1 ").
bool IsDeviceName(const std::string& name);

}  // namespace hw
