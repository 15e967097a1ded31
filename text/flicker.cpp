// flicker.cpp: random walks along the outline and the stamping of the nodes.
#include "text/flicker.h"

#include "smoke/random.h"
#include "text/outline.h"

namespace {
constexpr int kWalksPerFrame = 20;
constexpr int32_t kShortestWalk = 20;
constexpr uint8_t kDimLevel = 100;
constexpr uint8_t kBrightLevel = 255;
}  // namespace

void FlickerOutline(OutlineNode* const* nodeList, int32_t nodeCount, RandomGenerator* random) {
  // A text without ink has no node to start from: no walks, nothing to stamp.
  if (nodeCount <= 0) return;

  for (int walk = 0; walk < kWalksPerFrame; ++walk) {
    const int32_t length = NextRandom(random) % 10 + kShortestWalk;
    const uint8_t level = (NextRandom(random) & 1) ? kBrightLevel : kDimLevel;
    OutlineNode* current = nodeList[NextRandom(random) % nodeCount];
    const OutlineNode* previous = nullptr;
    for (int32_t visit = 0; visit < length && current != nullptr; ++visit) {
      current->brightness = level;
      OutlineNode* next = nullptr;
      for (OutlineNode* link : current->links) {
        if (link != nullptr && link != previous) {
          next = link;
          break;
        }
      }
      previous = current;
      current = next;
    }
  }

  for (int32_t i = 0; i < nodeCount; ++i) *nodeList[i]->pixel = nodeList[i]->brightness;
}
