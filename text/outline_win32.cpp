// outline_win32.cpp: the text band rendered with GDI; the portable code finds the outline.
#include "text/outline_win32.h"

#include <algorithm>
#include <cstring>

#include "text/band.h"

namespace {

constexpr int kTextPoints = 105;
constexpr int kMargin = 50;  // black columns left of the text; at least as many right of it

// Reads a w x h bitmap back as a 24-bit top-down raster; rows of 3 x w bytes as w is a
// multiple of 4. False when it cannot be read.
bool ReadRaster(HDC memoryContext, HBITMAP bitmap, int32_t w, int32_t h,
                std::vector<uint8_t>* pixels) {
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  if (!GetDIBits(memoryContext, bitmap, 0, h, nullptr, &info, DIB_RGB_COLORS)) return false;
  const size_t size = static_cast<size_t>(w) * h * 3;
  pixels->assign(std::max<size_t>(info.bmiHeader.biSizeImage, size), 0);
  return GetDIBits(memoryContext, bitmap, 0, h, pixels->data(), &info, DIB_RGB_COLORS) == h;
}

}  // namespace

TextRaster RenderTextBand(HDC deviceContext, int32_t fieldWidth, int32_t fieldHeight,
                          const char* text, const char* font, std::vector<uint8_t>* pixels) {
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

  // Scaled with the context's default stretch mode: where pixels merge, black wins.
  const TextBand band = ComputeTextBand(cx, cy, fieldWidth, fieldHeight);
  const int32_t w = band.width, h = band.height;
  HDC bandContext = CreateCompatibleDC(deviceContext);
  HBITMAP bandBitmap = CreateCompatibleBitmap(deviceContext, w, h);
  HGDIOBJ previousBandBitmap = SelectObject(bandContext, bandBitmap);
  StretchBlt(bandContext, 0, 0, w, h, textContext, 0, 0, cx, cy, SRCCOPY);

  TextRaster raster = {nullptr, 0, 0};
  if (w > 0 && ReadRaster(bandContext, bandBitmap, w, h, pixels)) raster = {pixels->data(), w, h};

  SelectObject(textContext, previousTextBitmap);
  DeleteDC(textContext);
  DeleteObject(textBitmap);
  SelectObject(bandContext, previousBandBitmap);
  DeleteDC(bandContext);
  DeleteObject(bandBitmap);
  if (textFont) DeleteObject(textFont);
  return raster;
}
