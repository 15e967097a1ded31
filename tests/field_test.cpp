// Frame-buffer block: its size and the offsets of the buffers inside it.
#include "smoke/field.h"

#include <gtest/gtest.h>

#include <vector>

TEST(FrameBuffers, BlockSizeForBothFieldSizes) {
  EXPECT_EQ(FrameBufferBlockSize(640, 480), 1575464u);
  EXPECT_EQ(FrameBufferBlockSize(800, 600), 2461064u);
}

TEST(FrameBuffers, BuffersLieAtTheirOffsets) {
  std::vector<uint8_t> block(FrameBufferBlockSize(800, 600));
  SmokeEngine engine{};
  ASSERT_EQ(BindFrameBuffers(&engine, block.data(), 800, 600), 1);
  uint8_t* base = block.data();
  EXPECT_EQ(engine.smokeField, base);
  EXPECT_EQ(engine.fieldBitmapInfo, base + 480000);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(engine.sourceMap), base + 481064);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(engine.blockAverages), base + 2401064);
  // BlockAverages has room for (W/4) x (H/4) values up to the block's end.
  EXPECT_EQ(reinterpret_cast<uint8_t*>(engine.blockAverages + 200 * 150), base + block.size());
}

TEST(FrameBuffers, OtherSizesAreRefused) {
  std::vector<uint8_t> block(FrameBufferBlockSize(800, 600));
  const int32_t sizes[][2] = {{0, 0},      {640, 600},   {800, 480},
                              {1024, 768}, {-640, -480}, {320, 240}};
  for (const auto& s : sizes) {
    SmokeEngine engine{};
    EXPECT_EQ(FrameBufferBlockSize(s[0], s[1]), 0u) << s[0] << "x" << s[1];
    EXPECT_EQ(BindFrameBuffers(&engine, block.data(), s[0], s[1]), 0) << s[0] << "x" << s[1];
    EXPECT_EQ(engine.smokeField, nullptr);
  }
  SmokeEngine engine{};
  EXPECT_EQ(BindFrameBuffers(&engine, nullptr, 800, 600), 0);
}
