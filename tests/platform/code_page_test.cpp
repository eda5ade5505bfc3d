#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"

namespace hw::test {
namespace {

std::string Utf16(const std::u16string& s) {
  std::string bytes;
  for (char16_t u : s) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

std::string FromUtf16(const std::string& bytes) {
  return Cp1252FromUtf16Le(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// Long texts go through a quicker path while they are ASCII; a character
// that is not, wherever it falls, must come out as the slow path has it.
TEST(CodePage, Utf16ToCp1252AtEveryPosition) {
  for (std::size_t length : {1u, 7u, 8u, 15u, 16u, 17u, 31u, 40u, 70u}) {
    const std::u16string ascii(length, u'a');
    EXPECT_EQ(FromUtf16(Utf16(ascii)), std::string(length, 'a'));
    for (std::size_t at = 0; at < length; ++at) {
      for (char16_t odd : {u'\u20AC', u'\u00E9', u'\u0100', u'\u0080', u'\u4E2D'}) {
        std::u16string text = ascii;
        text[at] = odd;
        std::string want(length, 'a');
        want[at] = Cp1252FromUnicode(odd);
        EXPECT_EQ(FromUtf16(Utf16(text)), want) << "length " << length << " at " << at << " unit " << int(odd);
      }
    }
  }
  // A surrogate pair late in a long text is one '?'; an odd last byte is dropped.
  std::u16string pair(40, u'b');
  pair[36] = 0xD83D;
  pair[37] = 0xDE00;
  EXPECT_EQ(FromUtf16(Utf16(pair)), std::string(36, 'b') + "?" + std::string(2, 'b'));
  EXPECT_EQ(FromUtf16(Utf16(std::u16string(33, u'c')) + "x"), std::string(33, 'c'));
  EXPECT_EQ(FromUtf16(Utf16(u"caf\u00E9 \u20AC")), "caf\xE9 \x80");
}

}  // namespace
}  // namespace hw::test
