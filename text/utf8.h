// utf8.h: reading UTF-8 as Unicode defines it: no surrogates, no overlong forms, nothing
// past U+10FFFF.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The length of the well-formed character at the start of `bytes` (at most `size` bytes),
// its code point in `point`; 0 when the bytes there are not a character.
size_t DecodeUtf8(const unsigned char* bytes, size_t size, uint32_t* point);

// Whether the whole text is well-formed UTF-8.
bool IsUtf8(const std::string& text);

// The text as well-formed UTF-8: a byte that does not start a character is taken as
// Latin-1, as the Windows saver reads it.
std::string ToUtf8(const std::string& text);
