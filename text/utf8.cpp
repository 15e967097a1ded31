// utf8.cpp: one UTF-8 reader for the text, the font and the autostart entry.
#include "text/utf8.h"

size_t DecodeUtf8(const unsigned char* bytes, size_t size, uint32_t* point) {
  if (size == 0) return 0;
  const unsigned char lead = bytes[0];
  if (lead < 0x80) return *point = lead, 1;
  // The second byte's range rules out overlong forms (E0, F0), surrogates (ED) and code
  // points past U+10FFFF (F4).
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (size < length || bytes[1] < low || bytes[1] > high) return 0;
  uint32_t value = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (bytes[i] & 0x3F);
  }
  *point = value;
  return length;
}

bool IsUtf8(const std::string& text) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  uint32_t point;
  for (size_t i = 0, length; i < text.size(); i += length) {
    length = DecodeUtf8(bytes + i, text.size() - i, &point);
    if (length == 0) return false;
  }
  return true;
}

std::string ToUtf8(const std::string& text) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::string out;
  uint32_t point;
  for (size_t i = 0; i < text.size();) {
    const size_t length = DecodeUtf8(bytes + i, text.size() - i, &point);
    if (length > 0) {
      out.append(text, i, length);
      i += length;
    } else {
      out += static_cast<char>(0xC0 | (bytes[i] >> 6));  // Latin-1 U+0080..U+00FF
      out += static_cast<char>(0x80 | (bytes[i] & 0x3F));
      ++i;
    }
  }
  return out;
}
