#pragma once
// Conversions between the program's single-byte text (Windows-1252) and the
// Unicode forms found in files made by Windows (UTF-16LE, UTF-8). A character
// that Windows-1252 cannot hold becomes '?', as Windows' own conversion does
// when asked not to guess.
#include <cstddef>
#include <cstdint>
#include <string>

namespace hw {

/// The Unicode character of a Windows-1252 byte. The five bytes without a
/// character (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of
/// the same number, so every byte survives a round trip.
char32_t UnicodeFromCp1252(unsigned char c);
/// The Windows-1252 byte of a Unicode character, '?' when there is none.
char Cp1252FromUnicode(char32_t u);

/// UTF-8 to Windows-1252; malformed sequences become '?'.
std::string Cp1252FromUtf8(const std::string& utf8);
std::string Utf8FromCp1252(const std::string& text);

/// UTF-16LE bytes to Windows-1252, one character per UTF-16 unit (a
/// surrogate pair gives one '?'). An odd last byte is ignored.
std::string Cp1252FromUtf16Le(const std::uint8_t* bytes, std::size_t length);
/// The same into `*out`, whose storage is reused.
void Cp1252FromUtf16Le(const std::uint8_t* bytes, std::size_t length, std::string* out);
std::string Utf16LeFromCp1252(const std::string& text);

/// Unicode simple upper case for the scripts names are written in (Latin,
/// Greek, Cyrillic); other characters are returned as they are. Used to
/// compare registry names the way Windows does, without regard to case.
char32_t FoldCase(char32_t u);

}  // namespace hw
