#pragma once
// Conversions between the program's single-byte text (Windows-1252) and the
// encodings found at the edges of the Linux backends: UTF-8 host file names
// and UTF-16LE strings inside Windows files.
#include <cstddef>
#include <cstdint>
#include <string>

namespace hw {

/// Windows-1252 text as UTF-8. The five unassigned bytes (0x81, 0x8D, 0x8F,
/// 0x90, 0x9D) map to the C1 controls of the same value, as Windows does.
std::string Utf8FromAnsi(const std::string& ansi);
/// UTF-8 text as Windows-1252; characters outside the code page become '?'.
/// A byte that is not part of valid UTF-8 is taken as a Windows-1252 byte,
/// so that no host name is lost.
std::string AnsiFromUtf8(const std::string& utf8);
/// `count` UTF-16LE code units at `data` as Windows-1252, stopping at a NUL
/// unit; characters outside the code page (and lone surrogates) become '?'.
std::string AnsiFromUtf16Le(const unsigned char* data, std::size_t count);
/// The Windows-1252 byte of a Unicode code point, or '?' when it has none.
char AnsiFromCodePoint(std::uint32_t cp);

}  // namespace hw
