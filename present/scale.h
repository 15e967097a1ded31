// scale.h: the field shown in a window of any size, by nearest neighbour, undistorted, and
// the field's bytes through the ramp into the pixels a front end shows.
//
// The field fills the window's width, cropping smoke above and below on a landscape
// window (no black bars from 4:3 to 16:9), unless that would cut into the text band: then
// the band's height fills the window and bars stand left and right. A window narrower
// than 4:3 shows the whole field between bars above and below.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "present/palette.h"

struct FieldView {
  int32_t windowWidth;
  int32_t windowHeight;
  int32_t shownWidth;  // the field's size on screen, possibly larger than the window
  int32_t shownHeight;
  int32_t left;  // window position of the field's top-left corner; negative: cropped
  int32_t top;
  std::vector<int32_t> columns;  // field column that each window column shows, -1 for none
  std::vector<int32_t> rows;     // field row that each window row shows, -1 for none
};

// The view of a W x H field whose text band is bandHeight rows high, centred.
FieldView FitFieldToWindow(int32_t fieldWidth, int32_t fieldHeight, int32_t bandHeight,
                           int32_t windowWidth, int32_t windowHeight);

// Where the display scales a field-sized image itself (X RENDER, a compositor, a browser):
// the 16.16 fixed-point transform from window pixels to field pixels and the window area
// it is composited into. Each axis is chosen so that a server sampling nearest
// neighbour at pixel centres (src = scale x (at + 1/2) + offset, taken 1/65536 low and
// rounded down, as pixman does) shows the columns and rows of FitFieldToWindow.
struct FieldTransform {
  int32_t scaleX, scaleY;    // field pixels per window pixel, 16.16
  int32_t offsetX, offsetY;  // 16.16
  int32_t left, top;         // the window area that shows the field (the rest are bars)
  int32_t width, height;
  int32_t sourceX, sourceY;  // the first shown window pixel's position from the field's corner
  bool exact;                // false where no 16.16 transform matches the mapping everywhere
};
FieldTransform FitFieldTransform(int32_t fieldWidth, int32_t fieldHeight, const FieldView& view);

// A rectangle of the field, in field pixels.
struct FieldRect {
  int32_t x, y, width, height;
};

// Where a compositor scales a buffer through a source crop (Wayland's viewporter): the
// buffer holds only the part of the field the window shows, with any bars as black columns
// or rows beside it, in whole field pixels; the crop is under one pixel off the buffer's
// corner (1/256ths of a pixel, the protocol's fixed point), and none at all where the
// window's edges fall on pixel edges. Some compositors (sway 1.7's software renderer) drop
// or misplace a crop's offset, which would shift the picture by as much as it cuts off. A
// window so thin that the bars would be wider than the field (more than three times the
// field's shown size) gets the whole field stretched over it instead: a buffer of bars
// would be all memory.
struct FieldCrop {
  int32_t bufferWidth, bufferHeight;
  int32_t fieldX, fieldY;  // where the held part's corner goes in the buffer
  FieldRect held;          // the part of the field the buffer holds
  int32_t sourceX, sourceY, sourceWidth, sourceHeight;  // 1/256 buffer pixels
  bool wholeBuffer;  // the crop is the whole buffer: the compositor needs none
};
FieldCrop FitFieldCrop(int32_t fieldWidth, int32_t fieldHeight, const FieldView& view);

// A TrueColor pixel layout: where each channel's bits sit in a pixel, bits that are set in
// every pixel (an alpha channel made opaque), whether the pixels are stored in the byte
// order opposite to this machine's, and their size (2 or 4 bytes).
struct PixelFormat {
  uint32_t redMask;
  uint32_t greenMask;
  uint32_t blueMask;
  uint32_t opaqueMask;
  bool swapped;
  int32_t bytesPerPixel = 4;
};

// One colour as a pixel of `format` (in its low 16 bits for 2-byte pixels).
uint32_t FormatPixel(const PixelFormat& format, uint8_t red, uint8_t green, uint8_t blue);

// The ramp's 256 colours as pixels of `format`.
void BuildPixelPalette(const ColorRamp& ramp, const PixelFormat& format, uint32_t* pixels);

// The W x H field through the pixel palette into a field-sized 32-bit image, rows
// `stride` pixels apart.
void RenderFieldImage(const uint8_t* field, int32_t fieldWidth, int32_t fieldHeight,
                      const uint32_t* palette, uint32_t* image, size_t stride);
// The same for one part of the field, its corner at image[0].
void RenderFieldPart(const uint8_t* field, int32_t fieldWidth, const FieldRect& part,
                     const uint32_t* palette, uint32_t* image, size_t stride);

// Draws the field through the pixel palette (of `format`) into a window-sized image, rows
// `strideBytes` apart; black where the view shows no field. For displays that cannot
// scale.
void PresentField(const uint8_t* field, int32_t fieldWidth, const uint32_t* palette,
                  const PixelFormat& format, const FieldView& view, void* image,
                  size_t strideBytes);
