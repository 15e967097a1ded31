// outline_win32.h: rendering the text with GDI into the raster the outline is found in.
#pragma once
#include <windows.h>

#include <cstdint>

struct OutlineNode;

// The outline of a text: the nodes, the list of references in creation order, the count.
struct TextOutline {
  OutlineNode* nodes;
  OutlineNode** nodeList;
  int32_t nodeCount;
};

// Renders `text` in the face `font` (105 points at the device's vertical resolution) white
// on black, squeezes it into the band of H x 5/12 rows (at most W wide), reads it back and
// makes the linked outline nodes, tied to the W x H SmokeField. The device context is only
// read; every GDI object made here is deleted before returning. A text without ink, or
// memory that cannot be had, gives no nodes.
void ExtractTextOutline(HDC deviceContext, int32_t fieldWidth, int32_t fieldHeight,
                        const char* text, const char* font, uint8_t* smokeField,
                        TextOutline* outline);
