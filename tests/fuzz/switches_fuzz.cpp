// The switch search and the run-mode choice on any command line and letter, against a
// plain reading of their rules.
#include <cstring>
#include <string>

#include "host/switches.h"
#include "tests/fuzz/fuzz.h"

namespace {

// atol on the text, kept within 32 bits: blanks, a sign, then the digits.
int32_t PlainNumber(const std::string& text) {
  size_t i = text.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  while (i < text.size() && text[i] == '0') ++i;  // leading zeros change nothing
  std::string digits;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') digits += text[i++];
  if (digits.size() > 10) return negative ? INT32_MIN : INT32_MAX;
  const long long v = digits.empty() ? 0 : std::stoll(digits) * (negative ? -1 : 1);
  return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

int PlainFindSwitch(const char* commandLine, char letter, int32_t* value) {
  *value = 0;
  if (letter == '\0') return 0;
  const std::string line(commandLine, strnlen(commandLine, kSwitchBufferBytes - 1));
  const char upper = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 32) : letter;
  for (const std::string& pattern : {std::string{'/', letter}, std::string{'/', upper},
                                     std::string{'-', letter}, std::string{'-', upper}}) {
    const size_t at = line.find(pattern);
    if (at == std::string::npos) continue;
    if (at + 3 < line.size()) *value = PlainNumber(line.substr(at + 3));
    return 1;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  const char letter = static_cast<char>(in.Byte());
  const std::string line = in.Rest();  // ends at its first zero byte, as a C string does

  int32_t value = 12345, expected = 0;
  const int found = FindSwitch(line.c_str(), letter, &value);
  FUZZ_CHECK(found == PlainFindSwitch(line.c_str(), letter, &expected));
  FUZZ_CHECK(value == expected);

  const RunChoice choice = ChooseRunMode(line.c_str());
  int32_t parent = 0;
  SaverMode mode = Configure;
  if (PlainFindSwitch(line.c_str(), 'p', &parent)) {
    mode = Preview;
  } else if (PlainFindSwitch(line.c_str(), 's', &parent)) {
    mode = Fullscreen;
  } else {
    PlainFindSwitch(line.c_str(), 'c', &parent);
  }
  FUZZ_CHECK(choice.mode == mode);
  FUZZ_CHECK(choice.parentHandle == parent);
  return 0;
}
