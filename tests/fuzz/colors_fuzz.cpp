// Colour strings: the registry's "RRR GGG BBB" read as atoi reads its fields, a formatted
// colour that parses back to itself, and the Linux program's --color forms.
#include <cstring>
#include <string>

#include "settings/options.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz.h"

namespace {

uint32_t PlainParse(const uint8_t* buffer) {
  uint32_t color = 0;
  for (int field = 0; field < 3; ++field) {
    char text[4] = {};
    for (int i = 0; i < 3 && buffer[4 * field + i] != 0; ++i) text[i] = buffer[4 * field + i];
    color |= (static_cast<uint32_t>(std::atoi(text)) & 0xFF) << (8 * field);
  }
  return color;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  // The twelve bytes the parser may look at, and not one more.
  std::vector<uint8_t> buffer = in.Bytes(12);
  buffer.resize(12, 0);
  const uint32_t parsed = ParseColorString(reinterpret_cast<const char*>(buffer.data()));
  FUZZ_CHECK(parsed == PlainParse(buffer.data()));

  char formatted[12];
  for (const uint32_t color : {parsed, in.Word()}) {
    std::memset(formatted, 'x', sizeof formatted);
    FormatColorString(color, formatted);
    FUZZ_CHECK(std::strlen(formatted) == 11);
    FUZZ_CHECK(ParseColorString(formatted) == (color & 0xFFFFFF));
  }

  const std::string option = in.Rest();
  uint32_t color = 0xDEADBEEF;
  if (ParseColorOption(option.c_str(), &color)) {
    FUZZ_CHECK(color <= 0xFFFFFF);
    const unsigned r = color & 0xFF, g = (color >> 8) & 0xFF, b = color >> 16;
    char text[32];
    for (const char* form : {"%02x%02x%02x", "#%02X%02X%02X", "%u,%u,%u"}) {
      std::snprintf(text, sizeof text, form, r, g, b);
      uint32_t again = 0;
      FUZZ_CHECK(ParseColorOption(text, &again) && again == color);
    }
  }
  return 0;
}
