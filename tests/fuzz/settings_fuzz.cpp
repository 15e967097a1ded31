// The settings load over a store that hands back fuzzed bytes of any length for each
// value: each read goes into a buffer of exactly the size it was given, so a write past it
// is caught, and the result must follow the string and 32-bit rules.
#include <cstring>
#include <vector>

#include "settings/settings.h"
#include "tests/fuzz/fuzz.h"

namespace {

int ReadString(void* context, const char*, char* buffer, uint32_t bufferSize) {
  FuzzInput* in = static_cast<FuzzInput*>(context);
  if (in->Byte() & 1) return 0;  // no such value
  const uint32_t length = in->Byte() | (static_cast<uint32_t>(in->Byte() & 1) << 8);
  std::vector<uint8_t> raw = in->Bytes(length);
  const uint32_t present = static_cast<uint32_t>(raw.size());

  std::vector<char> exact(buffer, buffer + bufferSize);
  const int accepted = AcceptStringData(raw.data(), present, exact.data(), bufferSize);
  const uint32_t characters =
      static_cast<uint32_t>(std::find(raw.begin(), raw.end(), 0) - raw.begin());
  FUZZ_CHECK(accepted == (characters > 0 && characters < bufferSize));
  if (accepted) {
    FUZZ_CHECK(std::memcmp(exact.data(), raw.data(), characters) == 0);
    FUZZ_CHECK(exact[characters] == '\0');
  } else {
    FUZZ_CHECK(std::memcmp(exact.data(), buffer, bufferSize) == 0);
  }
  std::memcpy(buffer, exact.data(), bufferSize);
  return accepted;
}

int ReadDword(void* context, const char*, uint32_t* value) {
  FuzzInput* in = static_cast<FuzzInput*>(context);
  if (in->Byte() & 1) return 0;
  std::vector<uint8_t> raw = in->Bytes(in->Byte() % 9);
  const uint32_t before = *value;
  uint32_t result = before;
  const int accepted = AcceptDwordData(raw.data(), static_cast<uint32_t>(raw.size()), &result);
  FUZZ_CHECK(accepted == (raw.size() <= 4));
  if (accepted) {
    uint8_t bytes[4];
    std::memcpy(bytes, &before, 4);
    if (!raw.empty()) std::memcpy(bytes, raw.data(), raw.size());
    uint32_t expected;
    std::memcpy(&expected, bytes, 4);
    FUZZ_CHECK(result == expected);
  } else {
    FUZZ_CHECK(result == before);
  }
  *value = result;
  return accepted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  const SettingsReader reader = {&in, ReadString, ReadDword};
  SaverSettings settings;
  LoadSaverSettings(&reader, &settings);
  FUZZ_CHECK(strnlen(settings.text, kSettingTextBytes) < kSettingTextBytes);
  FUZZ_CHECK(settings.text[0] != '\0');
  FUZZ_CHECK(strnlen(settings.font, kSettingTextBytes) < kSettingTextBytes);
  FUZZ_CHECK(
      (settings.resolution == 0 && settings.fieldWidth == 640 && settings.fieldHeight == 480) ||
      (settings.resolution != 0 && settings.fieldWidth == 800 && settings.fieldHeight == 600));
  FUZZ_CHECK(settings.color <= 0xFFFFFF);
  return 0;
}
