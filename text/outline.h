// outline.h: outline nodes, the edge pixels of the rendered text.
//
// Each node is tied to its own SmokeField byte and linked to up to eight neighbouring
// nodes, so that walks along the links follow the letter outlines.
#pragma once
#include <cstdint>

enum LinkDirection : int32_t {
  North = 0,
  NorthEast = 1,
  East = 2,
  SouthEast = 3,
  South = 4,
  SouthWest = 5,
  West = 6,
  NorthWest = 7,
};
constexpr int32_t kLinkSlots = 8;

struct OutlineNode {
  uint8_t brightness;              // written into *pixel every frame; 0 until first lit
  int32_t x;                       // field column
  int32_t y;                       // field row
  OutlineNode* links[kLinkSlots];  // indexed by LinkDirection; null = no link
  int32_t linkCount;
  uint8_t* pixel;  // this node's SmokeField byte
};
