#pragma once
// Conversions between the program's text (UTF-8), the single-byte text of
// the offline system's ANSI code page (Windows-1252) and UTF-16LE. A
// character that Windows-1252 cannot hold becomes '?', as Windows' own
// conversion does when asked not to guess.
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

/// UTF-16LE bytes to UTF-8. A surrogate without its partner becomes U+FFFD,
/// as Windows converts it. An odd last byte is ignored.
std::string Utf8FromUtf16Le(const std::uint8_t* bytes, std::size_t length);
/// The same into `*out`, whose storage is reused.
void Utf8FromUtf16Le(const std::uint8_t* bytes, std::size_t length, std::string* out);
/// UTF-8 to UTF-16LE bytes; a malformed sequence becomes U+FFFD.
std::string Utf16LeFromUtf8(const std::string& utf8);
std::u16string Utf16FromUtf8(const std::string& utf8);
std::string Utf8FromUtf16(const std::u16string& utf16);

/// The character of the UTF-8 sequence at `*at`, which moves past it; a
/// malformed or cut sequence gives U+FFFD and moves one byte.
char32_t NextUtf8(const char* text, std::size_t length, std::size_t* at);
void AppendUtf8(std::string& out, char32_t u);

/// Unicode simple upper case for the scripts names are written in (Latin,
/// Greek, Cyrillic); other characters are returned as they are. Used to
/// compare registry names the way Windows does, without regard to case.
char32_t FoldCase(char32_t u);

}  // namespace hw
