// outline.cpp: edge scan of the text raster, node creation and linking.
#include "text/outline.h"

#include "text/band.h"

#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <vector>

void InitOutlineNode(OutlineNode* node, int32_t x, int32_t y, uint8_t* smokeField,
                     int32_t fieldWidth) {
  *node = OutlineNode{};
  node->x = x;
  node->y = y;
  node->pixel = smokeField + static_cast<size_t>(y) * fieldWidth + x;
}

int LinkOutlineNodes(OutlineNode* a, OutlineNode* b) {
  if (a == b) return 0;
  for (int32_t slot = 0; slot < kLinkSlots; ++slot) {
    if (a->links[slot] == nullptr && b->x == a->x + kLinkDx[slot] && b->y == a->y + kLinkDy[slot]) {
      a->links[slot] = b;
      b->links[(slot + 4) % kLinkSlots] = a;
      ++a->linkCount;
      ++b->linkCount;
      return 1;
    }
  }
  return 0;
}

namespace {

bool IsInk(const TextRaster& r, int32_t k, int32_t j) {
  return r.pixels[(static_cast<size_t>(j) * r.width + k) * 3] != 0;
}

bool IsEdge(const TextRaster& r, int32_t k, int32_t j) {
  return IsInk(r, k, j) &&
         (!IsInk(r, k, j - 1) || !IsInk(r, k + 1, j) || !IsInk(r, k, j + 1) || !IsInk(r, k - 1, j));
}

}  // namespace

int32_t ScanTextRaster(const TextRaster& raster, int32_t fieldWidth, int32_t fieldHeight,
                       uint8_t* smokeField, OutlineNode* nodes, OutlineNode** nodeList) {
  const int32_t w = raster.width, h = raster.height;
  if (w < 0 || h < 0 || w > fieldWidth || h > fieldHeight) return 0;
  const TextBand band = PlaceTextBand(w, h, fieldWidth, fieldHeight);
  const int32_t xoff = band.left, yoff = band.top;

  // Nodes of the previous and the current row by raster column: the only earlier nodes
  // that can be a new node's neighbours are at its NorthWest, North, NorthEast and West,
  // and every earlier node is offered in index order, which is this order too.
  std::vector<OutlineNode*> above, current;
  if (nodeList != nullptr) above.assign(w, nullptr), current.assign(w, nullptr);

  int32_t count = 0;
  for (int32_t j = 1; j < h - 1; ++j) {
    for (int32_t k = 1; k < w - 1; ++k) {
      if (!IsEdge(raster, k, j)) continue;
      if (nodeList != nullptr) {
        OutlineNode* n = &nodes[count];
        InitOutlineNode(n, k + xoff, j + yoff, smokeField, fieldWidth);
        nodeList[count] = n;
        for (OutlineNode* e : {above[k - 1], above[k], above[k + 1], current[k - 1]}) {
          if (e != nullptr && e->linkCount < 2) LinkOutlineNodes(n, e);
        }
        current[k] = n;
      }
      ++count;
    }
    if (nodeList != nullptr) above.swap(current), current.assign(w, nullptr);
  }
  return count;
}

void BuildTextOutline(const TextRaster& raster, int32_t fieldWidth, int32_t fieldHeight,
                      uint8_t* smokeField, TextOutline* outline) {
  *outline = TextOutline{};
  const int32_t count = ScanTextRaster(raster, fieldWidth, fieldHeight, smokeField, nullptr, nullptr);
  OutlineNode* nodes = static_cast<OutlineNode*>(std::calloc(count ? count : 1, sizeof(OutlineNode)));
  OutlineNode** list =
      static_cast<OutlineNode**>(std::calloc(count ? count : 1, sizeof(OutlineNode*)));
  if (nodes == nullptr || list == nullptr) {
    std::free(nodes);
    std::free(list);
    return;
  }
  ScanTextRaster(raster, fieldWidth, fieldHeight, smokeField, nodes, list);
  *outline = TextOutline{nodes, list, count};
}

void FreeTextOutline(TextOutline* outline) {
  std::free(outline->nodes);
  std::free(outline->nodeList);
  *outline = TextOutline{};
}
