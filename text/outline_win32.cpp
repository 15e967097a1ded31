// outline_win32.cpp: the text raster made with GDI, then scanned by the portable code.
#include "text/outline_win32.h"

#include <cstdlib>
#include <cstring>

#include "text/outline.h"

namespace {

constexpr double kBandShare = 0.4166666666666667;  // the band is 5/12 of the field height
constexpr int kTextPoints = 105;
constexpr int kMargin = 50;  // black columns left of the text; at least as many right of it

// Reads a w x h bitmap back as a 24-bit top-down raster; rows of 3 x w bytes as w is a
// multiple of 4. Null when it cannot be read; the caller frees the block.
uint8_t* ReadRaster(HDC memoryContext, HBITMAP bitmap, int32_t w, int32_t h) {
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  if (!GetDIBits(memoryContext, bitmap, 0, h, nullptr, &info, DIB_RGB_COLORS)) return nullptr;
  const size_t size = static_cast<size_t>(w) * h * 3;
  if (info.bmiHeader.biSizeImage < size) info.bmiHeader.biSizeImage = static_cast<DWORD>(size);
  uint8_t* pixels = static_cast<uint8_t*>(std::calloc(info.bmiHeader.biSizeImage, 1));
  if (pixels == nullptr) return nullptr;
  if (GetDIBits(memoryContext, bitmap, 0, h, pixels, &info, DIB_RGB_COLORS) != h) {
    std::free(pixels);
    return nullptr;
  }
  return pixels;
}

}  // namespace

void ExtractTextOutline(HDC deviceContext, int32_t fieldWidth, int32_t fieldHeight,
                        const char* text, const char* font, uint8_t* smokeField,
                        TextOutline* outline) {
  *outline = TextOutline{};
  const int length = static_cast<int>(std::strlen(text));

  HFONT textFont =
      CreateFontA(-MulDiv(kTextPoints, GetDeviceCaps(deviceContext, LOGPIXELSY), 72), 0, 0, 0,
                  FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font);

  // Measuring, with the text's font if it could be made.
  SIZE extent = {0, 0};
  HGDIOBJ previousFont = textFont ? SelectObject(deviceContext, textFont) : nullptr;
  GetTextExtentPointA(deviceContext, text, length, &extent);
  if (textFont) SelectObject(deviceContext, previousFont);
  const int32_t cx = extent.cx + 2 * kMargin, cy = extent.cy;

  // The text raster: white text on black, 50 pixels in from the left.
  HDC textContext = CreateCompatibleDC(deviceContext);
  HBITMAP textBitmap = CreateCompatibleBitmap(deviceContext, cx, cy);
  HGDIOBJ previousTextBitmap = SelectObject(textContext, textBitmap);
  RECT all = {0, 0, cx, cy};
  HBRUSH black = CreateSolidBrush(0);
  FillRect(textContext, &all, black);
  DeleteObject(black);
  HGDIOBJ previousTextFont = textFont ? SelectObject(textContext, textFont) : nullptr;
  SetTextColor(textContext, 0xFFFFFF);
  SetBkColor(textContext, 0);
  TextOutA(textContext, kMargin, 0, text, length);
  if (textFont) SelectObject(textContext, previousTextFont);

  // The band: 5/12 of the field height, the text's proportions, a multiple of 4 wide, at
  // most the field's width (a long text is squeezed).
  const int32_t h = static_cast<int32_t>(fieldHeight * kBandShare);
  int32_t w = 0;
  if (cy > 0) {
    const double width = static_cast<double>(cx) / cy * h;
    w = width < fieldWidth + 4 ? static_cast<int32_t>(width) / 4 * 4 : fieldWidth;
    if (w > fieldWidth) w = fieldWidth;
  }

  // Scaled with the context's default stretch mode: where pixels merge, black wins.
  HDC bandContext = CreateCompatibleDC(deviceContext);
  HBITMAP bandBitmap = CreateCompatibleBitmap(deviceContext, w, h);
  HGDIOBJ previousBandBitmap = SelectObject(bandContext, bandBitmap);
  StretchBlt(bandContext, 0, 0, w, h, textContext, 0, 0, cx, cy, SRCCOPY);

  uint8_t* pixels = w > 0 ? ReadRaster(bandContext, bandBitmap, w, h) : nullptr;
  if (pixels != nullptr) {
    const TextRaster raster = {pixels, w, h};
    const int32_t count =
        ScanTextRaster(raster, fieldWidth, fieldHeight, smokeField, nullptr, nullptr);
    OutlineNode* nodes =
        static_cast<OutlineNode*>(std::calloc(count ? count : 1, sizeof(OutlineNode)));
    OutlineNode** list =
        static_cast<OutlineNode**>(std::calloc(count ? count : 1, sizeof(OutlineNode*)));
    if (nodes != nullptr && list != nullptr) {
      ScanTextRaster(raster, fieldWidth, fieldHeight, smokeField, nodes, list);
      *outline = TextOutline{nodes, list, count};
    } else {
      std::free(nodes);
      std::free(list);
    }
    std::free(pixels);
  }

  SelectObject(textContext, previousTextBitmap);
  DeleteDC(textContext);
  DeleteObject(textBitmap);
  SelectObject(bandContext, previousBandBitmap);
  DeleteDC(bandContext);
  DeleteObject(bandBitmap);
  if (textFont) DeleteObject(textFont);
}
