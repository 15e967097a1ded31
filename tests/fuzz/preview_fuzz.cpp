// The preview sample table on any sizes: refused with 0 where it cannot serve, otherwise
// every offset inside the field, columns and rows in order.
#include <vector>

#include "present/preview.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in{data, size};
  const int32_t pw = in.Int(), ph = in.Int(), W = in.Int(), H = in.Int();
  const bool refused = pw < 0 || ph < 0 || W <= 0 || H <= 0 ||
                       static_cast<uint64_t>(W) * static_cast<uint64_t>(H) > UINT32_MAX;
  const uint64_t entries = refused ? 0 : static_cast<uint64_t>(pw) * static_cast<uint64_t>(ph);
  if (entries > (1u << 20)) return 0;  // a table too large to make here

  // Exactly the entries it may write (one spare to watch when there are none).
  std::vector<uint32_t> table(entries == 0 ? 1 : entries, 0xFEEDFACE);
  FUZZ_CHECK(FillPreviewSampleTable(table.data(), pw, ph, W, H) == (refused ? 0 : 1));
  if (entries == 0) {
    FUZZ_CHECK(table[0] == 0xFEEDFACE);
    return 0;
  }
  const uint64_t fieldSize = static_cast<uint64_t>(W) * static_cast<uint64_t>(H);
  for (int32_t i = 0; i < ph; ++i) {
    const uint32_t rowStart = table[static_cast<size_t>(i) * pw];
    FUZZ_CHECK(rowStart % static_cast<uint32_t>(W) == 0);
    if (i > 0) FUZZ_CHECK(rowStart >= table[static_cast<size_t>(i - 1) * pw]);
    for (int32_t k = 0; k < pw; ++k) {
      const uint32_t offset = table[static_cast<size_t>(i) * pw + k];
      FUZZ_CHECK(offset < fieldSize);
      FUZZ_CHECK(offset - rowStart < static_cast<uint32_t>(W));  // stays on its row
      if (k > 0) FUZZ_CHECK(offset >= table[static_cast<size_t>(i) * pw + k - 1]);
    }
  }
  if (fieldSize <= (1u << 22)) {
    std::vector<uint8_t> field(fieldSize, 7);
    std::vector<uint8_t> pixels(static_cast<size_t>(PreviewStride(pw)) * ph, 0);
    GatherPreview(pixels.data(), table.data(), pw, ph, field.data());
    for (int32_t i = 0; i < ph; ++i)
      FUZZ_CHECK(pixels[static_cast<size_t>(i) * PreviewStride(pw)] == 7);
  }
  return 0;
}
