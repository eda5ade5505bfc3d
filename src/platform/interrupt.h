#pragma once
// Ctrl+C as a request, not an ending: the handler only raises a flag that
// long work polls at its safe points. Backends: interrupt_posix.cpp
// (SIGINT) and interrupt_win32.cpp (SetConsoleCtrlHandler).
namespace hw {

/// Installs the handler once; later calls do nothing.
void InstallInterruptHandler();
/// Whether Ctrl+C was pressed since the handler was installed.
bool InterruptRequested();
/// Raises the flag as Ctrl+C does (a test presses it at a chosen step),
/// or lowers it again.
void SetInterruptRequested(bool requested);

}  // namespace hw
