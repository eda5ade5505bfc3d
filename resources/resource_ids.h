#pragma once
// Identifiers of hivewright.exe's resources, shared by hivewright.rc and the
// code that loads them.

/// The program icon (16, 32 and 48 pixels); the lowest icon identifier, so
/// Explorer shows it for the file.
#define IDI_HIVEWRIGHT 1
