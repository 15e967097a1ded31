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

// Column and row offsets of the neighbour in each LinkDirection slot.
constexpr int32_t kLinkDx[kLinkSlots] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kLinkDy[kLinkSlots] = {-1, -1, 0, 1, 1, 1, 0, -1};

// A fresh node at field position (x, y), tied to its byte of the W-wide SmokeField.
void InitOutlineNode(OutlineNode* node, int32_t x, int32_t y, uint8_t* smokeField,
                     int32_t fieldWidth);

// Links new node a with b when b is a's neighbour and a's slot towards b is empty (b's
// opposite slot is simply written). Returns 1 when a link was made, else 0.
int LinkOutlineNodes(OutlineNode* a, OutlineNode* b);

// The scaled text raster: w x h pixels, 24 bits each (blue, green, red), rows of exactly
// 3 x w bytes, top row first. Only the blue byte counts: non-zero is ink.
struct TextRaster {
  const uint8_t* pixels;
  int32_t width;
  int32_t height;
};

// Finds the edge pixels of the raster (ink with at least one of its four direct neighbours
// blank; the raster's outermost rows and columns are only read as neighbours), placed in
// the middle of a W x H field. Without a list it only counts them. With a list (room for
// the count, and as many nodes in `nodes`) it also makes one node per edge pixel in scan
// order and links each new node with its earlier neighbours that have fewer than two
// links. Returns the count; 0 for a raster that does not fit in the field.
int32_t ScanTextRaster(const TextRaster& raster, int32_t fieldWidth, int32_t fieldHeight,
                       uint8_t* smokeField, OutlineNode* nodes, OutlineNode** nodeList);

// The outline of a text: the nodes, the list of references in creation order, the count.
struct TextOutline {
  OutlineNode* nodes;
  OutlineNode** nodeList;
  int32_t nodeCount;
};

// Both scans of the band raster: the count, then the nodes, made and linked, tied to the
// W x H SmokeField. Memory that cannot be had gives no nodes, as a text without ink does.
void BuildTextOutline(const TextRaster& raster, int32_t fieldWidth, int32_t fieldHeight,
                      uint8_t* smokeField, TextOutline* outline);
void FreeTextOutline(TextOutline* outline);
