// vapryx-sim's command line: any argument list is refused with a message or gives options
// the run can use.
#include <cstring>

#include "smoke/field.h"
#include "tests/fuzz/fuzz.h"
#include "tools/sim/sim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzArguments args(data, size);
  SimOptions options;
  std::string error;
  const int parsed = ParseSimOptions(args.argc(), args.argv.data(), &options, &error);
  FUZZ_CHECK(parsed == 1 || parsed == 0 || parsed == -1);
  if (parsed == 0) FUZZ_CHECK(!error.empty());
  if (parsed != 1) return 0;
  FUZZ_CHECK(IsFieldSize(options.settings.fieldWidth, options.settings.fieldHeight));
  FUZZ_CHECK(options.frames >= 0 && options.every >= 1);
  FUZZ_CHECK(options.gifDelay >= 1 && options.gifDelay <= 65535);
  FUZZ_CHECK(options.rasterPath.empty() == options.haveText);
  FUZZ_CHECK(options.gifPath.empty() || options.frames / options.every > 0);
  FUZZ_CHECK(options.settings.color <= 0xFFFFFF);
  const size_t text = strnlen(options.settings.text, sizeof options.settings.text);
  FUZZ_CHECK(text > 0 && text < sizeof options.settings.text);
  return 0;
}
