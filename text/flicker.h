// flicker.h: the flickering of the text outline, first stage of every frame step.
#pragma once
#include <cstdint>

struct OutlineNode;
struct RandomGenerator;

// Twenty random walks along the node links re-light chains of nodes with 100 or 255,
// then every node stamps its brightness into its SmokeField byte. Draws exactly three
// numbers per walk; with no nodes it draws nothing and does nothing.
void FlickerOutline(OutlineNode* const* nodeList, int32_t nodeCount, RandomGenerator* random);
