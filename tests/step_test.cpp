// The frame step as a whole: the fast stages against the plain ones, frame after frame,
// and the same result on every build.
#include <gtest/gtest.h>

#include <vector>

#include "tests/smoke_reference.h"
#include "text/flicker.h"
#include "text/outline.h"

TEST(StepSmokeField, MatchesThePlainStagesOverManyFrames) {
  for (auto [w, h] : {std::pair{800, 600}, std::pair{640, 480}}) {
    for (RemapKernel kernel : {RemapKernel::Portable, MakeTestEngine(w, h)->Plan()->kernel}) {
      auto t = MakeTestEngine(w, h, 7, 4242);
      ASSERT_NE(t, nullptr);
      t->Plan()->kernel = kernel;
      FillRandom(t->Field(), t->Area(), 11);
      SmokeEngine plain = t->engine;
      std::vector<uint8_t> plainField(t->Field(), t->Field() + t->Area());
      std::vector<uint16_t> plainAverages((w / 4) * (h / 4));
      plain.smokeField = plainField.data();
      plain.blockAverages = plainAverages.data();
      for (int frame = 0; frame < 12; ++frame) {
        StepSmokeField(&t->engine);
        reference::StepSmokeField(&plain);
        ASSERT_TRUE(std::equal(plainField.begin(), plainField.end(), t->Field()))
            << w << "x" << h << " frame " << frame << " kernel " << static_cast<int>(kernel);
      }
    }
  }
}

TEST(StepSmokeField, WithoutAnOutlineDrawsNothingAndAClearedFieldStaysClear) {
  auto t = MakeTestEngine(640, 480, 5, 9);
  ASSERT_NE(t, nullptr);
  const uint32_t state = t->saver->random.state;
  for (int frame = 0; frame < 5; ++frame) StepSmokeField(&t->engine);
  EXPECT_EQ(t->saver->random.state, state);
  EXPECT_EQ(std::count(t->Field(), t->Field() + t->Area(), 0), static_cast<long>(t->Area()));
}

TEST(StepSmokeField, SmokeLeavesALitNodeUpwardsAboveTheCentre) {
  auto t = MakeTestEngine(800, 600, 10, 5);
  ASSERT_NE(t, nullptr);
  OutlineNode node{};
  node.x = 400;
  node.y = 200;
  node.pixel = t->Field() + 200 * 800 + 400;
  OutlineNode* list[] = {&node};
  t->engine.nodeList = list;
  t->engine.nodeCount = 1;
  for (int frame = 0; frame < 30; ++frame) StepSmokeField(&t->engine);
  EXPECT_TRUE(node.brightness == 100 || node.brightness == 255);
  auto rowSum = [&](int32_t y) {
    int sum = 0;
    for (int32_t x = 0; x < 800; ++x) sum += t->Field()[y * 800 + x];
    return sum;
  };
  int above = 0, below = 0;
  for (int32_t y = 0; y < 195; ++y) above += rowSum(y);
  for (int32_t y = 205; y < 600; ++y) below += rowSum(y);
  EXPECT_GT(above, 0);
  EXPECT_EQ(below, 0);
}

// The shipped build runs the cross-compiled engine: it must produce the same frames,
// start-up tables and random draws included, as this one.
TEST(StepSmokeField, FramesAreTheSameOnEveryBuild) {
  auto t = MakeTestEngine(800, 600, 6, 20261208);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Fingerprint(t->engine.decayTable, kDecayTableBytes), 0x79b9e6d21bd53260ull);
  FillRandom(t->Field(), t->Area(), 77);
  for (int frame = 0; frame < 5; ++frame) StepSmokeField(&t->engine);
  EXPECT_EQ(Fingerprint(t->Field(), t->Area()), 0x3639d82561d94f09ull);
}
