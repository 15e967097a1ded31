// scale.h: the field shown in a window of any size, by nearest neighbour, undistorted.
//
// The field fills the window's width, cropping smoke above and below on a landscape
// window (no black bars from 4:3 to 16:9), unless that would cut into the text band: then
// the band's height fills the window and bars stand left and right. A window narrower
// than 4:3 shows the whole field between bars above and below.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct FieldView {
  int32_t windowWidth;
  int32_t windowHeight;
  int32_t shownWidth;   // the field's size on screen, possibly larger than the window
  int32_t shownHeight;
  int32_t left;         // window position of the field's top-left corner; negative: cropped
  int32_t top;
  std::vector<int32_t> columns;  // field column that each window column shows, -1 for none
  std::vector<int32_t> rows;     // field row that each window row shows, -1 for none
};

// The view of a W x H field whose text band is bandHeight rows high, centred.
FieldView FitFieldToWindow(int32_t fieldWidth, int32_t fieldHeight, int32_t bandHeight,
                           int32_t windowWidth, int32_t windowHeight);

// 32-bit pixel values of the 256 palette entries (blue, green, red, 0 each) for a TrueColor
// visual with these channel masks.
void BuildPixelPalette(const uint8_t* rgbQuads, uint32_t redMask, uint32_t greenMask,
                       uint32_t blueMask, uint32_t* pixels);

// Draws the field through the pixel palette into a window-sized 32-bit image, rows
// `stride` pixels apart; black where the view shows no field.
void PresentField(const uint8_t* field, int32_t fieldWidth, const uint32_t* palette,
                  const FieldView& view, uint32_t* image, size_t stride);
