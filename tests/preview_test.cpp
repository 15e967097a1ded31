// Preview sample table and gather.
#include "present/preview.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

std::vector<uint32_t> Table(int32_t pw, int32_t ph) {
  std::vector<uint32_t> table(static_cast<size_t>(pw) * ph, 0xFFFFFFFF);
  EXPECT_EQ(FillPreviewSampleTable(table.data(), pw, ph, 640, 480), 1);
  return table;
}

}  // namespace

TEST(PreviewSampling, StepsAreTheWholePartOfTheRatio) {
  const auto t = Table(152, 112);  // 640 / 152 = 4.2 and 480 / 112 = 4.29: both steps 4
  EXPECT_EQ(t[0], 0u);
  EXPECT_EQ(t[151], 604u);
  EXPECT_EQ(t[111 * 152], 444u * 640);
  EXPECT_EQ(t[111 * 152 + 151], 444u * 640 + 604);

  const auto full = Table(160, 120);  // covers the whole field
  EXPECT_EQ(full[159], 636u);
  EXPECT_EQ(full[119 * 160 + 159], 476u * 640 + 636);

  const auto odd = Table(150, 7);  // 640 / 150 = 4.27; 480 / 7 = 68.57
  EXPECT_EQ(odd[149], 149u * 4);
  EXPECT_EQ(odd[6 * 150], 6u * 68 * 640);
}

TEST(PreviewSampling, LargerThanTheFieldShowsColumnAndRowZero) {
  const auto t = Table(700, 500);
  for (int32_t k = 0; k < 700; ++k) ASSERT_EQ(t[k], 0u);
  for (int32_t i = 0; i < 500; ++i) ASSERT_EQ(t[i * 700 + 699], 0u);
}

TEST(PreviewSampling, EmptyAndNegativeSizes) {
  std::vector<uint32_t> table(4, 7);
  EXPECT_EQ(FillPreviewSampleTable(table.data(), 0, 112, 640, 480), 1);
  EXPECT_EQ(FillPreviewSampleTable(table.data(), 152, 0, 640, 480), 1);
  for (auto [pw, ph, w, h] : {std::tuple{-2, 2, 640, 480}, std::tuple{2, -2, 640, 480},
                              std::tuple{2, 2, INT32_MAX, INT32_MAX}, std::tuple{2, 2, -640, 480},
                              std::tuple{2, 2, 640, 0}}) {
    EXPECT_EQ(FillPreviewSampleTable(table.data(), pw, ph, w, h), 0) << pw << " " << ph << " " << w;
  }
  EXPECT_EQ(table, std::vector<uint32_t>(4, 7));
  EXPECT_EQ(PreviewStride(150), 152);
  EXPECT_EQ(PreviewStride(152), 152);
  EXPECT_EQ(PreviewStride(0), 0);
}

TEST(PreviewSampling, GatherFillsRowsOfTheStrideAndLeavesThePadding) {
  std::vector<uint8_t> field(640 * 480);
  for (size_t i = 0; i < field.size(); ++i) field[i] = static_cast<uint8_t>(i * 7 + i / 640);
  const auto t = Table(150, 30);
  std::vector<uint8_t> pixels(PreviewStride(150) * 30, 0);
  GatherPreview(pixels.data(), t.data(), 150, 30, field.data());
  for (int32_t i = 0; i < 30; ++i) {
    for (int32_t k = 0; k < 150; ++k) ASSERT_EQ(pixels[i * 152 + k], field[t[i * 150 + k]]);
    EXPECT_EQ(pixels[i * 152 + 150], 0);
    EXPECT_EQ(pixels[i * 152 + 151], 0);
  }
}
