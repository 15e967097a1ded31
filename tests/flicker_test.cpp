// Flicker: the walks along the outline and the stamping of the nodes into the field.
#include "text/flicker.h"

#include <gtest/gtest.h>

#include <vector>

#include "smoke/random.h"
#include "text/outline.h"

namespace {

struct Nodes {
  std::vector<uint8_t> field = std::vector<uint8_t>(640 * 480, 77);
  std::vector<OutlineNode> nodes;
  std::vector<OutlineNode*> list;

  explicit Nodes(int32_t count) : nodes(count), list(count) {
    for (int32_t i = 0; i < count; ++i) {
      InitOutlineNode(&nodes[i], 10 + i, 20, field.data(), 640);
      list[i] = &nodes[i];
    }
  }
  void Link(int32_t a, int32_t slot, int32_t b) {
    nodes[a].links[slot] = &nodes[b];
    nodes[b].links[(slot + 4) % kLinkSlots] = &nodes[a];
  }
  void Flicker(RandomGenerator* random) {
    FlickerOutline(list.data(), static_cast<int32_t>(list.size()), random);
  }
};

struct Walk {
  int32_t length, start;
  uint8_t level;
};

// The walks of one frame as the generator draws them: length, level, start.
std::vector<Walk> DrawWalks(uint32_t seed, int32_t nodeCount) {
  RandomGenerator r{};
  SeedRandom(&r, seed);
  std::vector<Walk> walks;
  for (int i = 0; i < 20; ++i) {
    Walk w{};
    w.length = NextRandom(&r) % 10 + 20;
    w.level = (NextRandom(&r) % 2) ? 255 : 100;
    w.start = NextRandom(&r) % nodeCount;
    walks.push_back(w);
  }
  return walks;
}

}  // namespace

TEST(FlickerOutline, WalksEastAlongAChainAndStopAtItsEnd) {
  // A chain 0 - 1 - ... - 59 along a row: a walk leaves by East first, so it lights
  // nodes start .. start + length - 1, cut short at node 59.
  Nodes n(60);
  for (int32_t i = 0; i + 1 < 60; ++i) n.Link(i, East, i + 1);
  RandomGenerator random{};
  SeedRandom(&random, 515);
  n.Flicker(&random);

  std::vector<uint8_t> expected(60, 0);
  for (const Walk& w : DrawWalks(515, 60)) {
    for (int32_t i = w.start; i < std::min(60, w.start + w.length); ++i) expected[i] = w.level;
  }
  for (int32_t i = 0; i < 60; ++i) {
    EXPECT_EQ(n.nodes[i].brightness, expected[i]) << "node " << i;
    EXPECT_EQ(*n.nodes[i].pixel, expected[i]) << "node " << i;  // unlit nodes stamp 0
  }
  RandomGenerator after{};
  SeedRandom(&after, 515);
  for (int i = 0; i < 60; ++i) NextRandom(&after);
  EXPECT_EQ(random.state, after.state);  // three draws per walk, no more
}

TEST(FlickerOutline, WalksAroundAShortRingAndTheLastWalkWins) {
  // A ring of five: every walk of 20 or more visits goes round and lights all of them.
  Nodes n(5);
  n.Link(0, East, 1);
  n.Link(1, SouthEast, 2);
  n.Link(2, SouthWest, 3);
  n.Link(3, West, 4);
  n.Link(4, North, 0);
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    RandomGenerator random{};
    SeedRandom(&random, seed);
    n.Flicker(&random);
    const uint8_t last = DrawWalks(seed, 5).back().level;
    for (const OutlineNode& node : n.nodes) EXPECT_EQ(node.brightness, last) << "seed " << seed;
  }
}

TEST(FlickerOutline, NodeWithoutLinksLightsAloneAndLitNodesKeepTheirLevel) {
  Nodes n(3);  // three separate nodes
  n.nodes[2].brightness = 255;
  RandomGenerator random{};
  SeedRandom(&random, 9);
  n.Flicker(&random);
  std::vector<uint8_t> expected = {0, 0, 255};
  for (const Walk& w : DrawWalks(9, 3)) expected[w.start] = w.level;
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(n.nodes[i].brightness, expected[i]) << i;
}

TEST(FlickerOutline, WithoutNodesDrawsNothing) {
  RandomGenerator random{};
  SeedRandom(&random, 5);
  FlickerOutline(nullptr, 0, &random);
  EXPECT_EQ(random.state, 5u);
}
