// The Linux program's command line: refused with a message naming the problem, or options
// with the settings' own limits (text and font cut whole characters at a time).
#include <cstring>
#include <string>

#include "settings/options.h"
#include "smoke/field.h"
#include "tests/fuzz/fuzz.h"
#include "text/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzArguments args(data, size);
  ProgramOptions options;
  std::string error;
  const int parsed = ParseProgramOptions(args.argc(), args.argv.data(), &options, &error);
  FUZZ_CHECK(parsed == 1 || parsed == 0);
  if (parsed == 0) {
    FUZZ_CHECK(!error.empty());
  } else {
    const SaverSettings& s = options.settings;
    FUZZ_CHECK(strnlen(s.text, kSettingTextBytes) < kSettingTextBytes && s.text[0] != '\0');
    FUZZ_CHECK(strnlen(s.font, kSettingTextBytes) < kSettingTextBytes && s.font[0] != '\0');
    FUZZ_CHECK(IsFieldSize(s.fieldWidth, s.fieldHeight) && s.color <= 0xFFFFFF);
    FUZZ_CHECK(options.delay >= 0);
    bool allUtf8 = true;
    for (const std::string& a : args.strings) allUtf8 = allUtf8 && IsUtf8(a);
    if (allUtf8) FUZZ_CHECK(IsUtf8(s.text) && IsUtf8(s.font));
  }
  // Every argument through the number readers: in range when accepted.
  for (const std::string& a : args.strings) {
    long long v = 0;
    if (ParseWholeNumber(a.c_str(), -1000000, 1000000, &v)) {
      FUZZ_CHECK(v >= -1000000 && v <= 1000000 && std::stoll(a) == v);
    }
    ParseWindowId(a.c_str());
  }
  return 0;
}
