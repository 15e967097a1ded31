// window_pixels_win32.h: what a window shows, read back as 32-bit blue, green, red, 0 pixels
// (for the Windows tests and the end-to-end helper).
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

// The width x height pixels at (x, y) of a device context.
inline std::vector<uint8_t> ReadContextPixels(HDC dc, int x, int y, int width, int height) {
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
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
  return pixels;
}

// A window of this process, through its own device context.
inline std::vector<uint8_t> ReadWindowPixels(HWND window, int width, int height) {
  HDC dc = GetDC(window);
  std::vector<uint8_t> pixels = ReadContextPixels(dc, 0, 0, width, height);
  ReleaseDC(window, dc);
  return pixels;
}

// A window of another process: Wine reads such a window's own context back as black, so
// this reads its place on the screen.
inline std::vector<uint8_t> ReadScreenPixels(HWND window, int width, int height) {
  RECT r;
  GetWindowRect(window, &r);
  HDC screen = GetDC(nullptr);
  std::vector<uint8_t> pixels = ReadContextPixels(screen, r.left, r.top, width, height);
  ReleaseDC(nullptr, screen);
  return pixels;
}
