// UTF-8 read as Unicode defines it: what is refused is taken as Latin-1, byte by byte.
#include "text/utf8.h"

#include <gtest/gtest.h>

TEST(Utf8, WellFormedOrLatin1) {
  const struct {
    const char* bytes;
    bool wellFormed;
    const char* asUtf8;
  } cases[] = {
      {"name", true, "name"},
      {"\xC3\xA9\xE0\xA4\xA8\xF0\x9F\x94\xA5\xF4\x8F\xBF\xBF", true, nullptr},  // é न 🔥 U+10FFFF
      {"\xED\x9F\xBF", true, nullptr},                    // U+D7FF, the last before surrogates
      {"\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate, U+D800
      {"\xC0\xAF", false, "\xC3\x80\xC2\xAF"},             // "/" overlong in two bytes
      {"\xE0\x80\xAF", false, "\xC3\xA0\xC2\x80\xC2\xAF"},  // ... and in three
      {"\xF0\x8F\xBF\xBF", false, "\xC3\xB0\xC2\x8F\xC2\xBF\xC2\xBF"},  // U+FFFF in four
      {"\xF4\x90\x80\x80", false, "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // past U+10FFFF
      {"a\xE9z", false, "a\xC3\xA9z"},                    // Latin-1 é
      {"\xE2\x82", false, "\xC3\xA2\xC2\x82"},            // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsUtf8(c.bytes), c.wellFormed) << c.bytes;
    EXPECT_EQ(ToUtf8(c.bytes), c.asUtf8 != nullptr ? c.asUtf8 : c.bytes) << c.bytes;
  }
}
