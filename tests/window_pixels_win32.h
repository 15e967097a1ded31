// window_pixels_win32.h: what a window shows, read back as 32-bit blue, green, red, 0 pixels
// (for the Windows tests and the end-to-end helper).
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline std::vector<uint8_t> ReadWindowPixels(HWND window, int width, int height) {
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return pixels;
}
