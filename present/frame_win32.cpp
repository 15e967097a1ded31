// frame_win32.cpp: the frame blit and the preview gather.
#include "present/frame_win32.h"

#include "host/saver_win32.h"
#include "present/palette.h"
#include "present/preview.h"

namespace {

// Palette, pixels into `bitmap` through FieldBitmapInfo, and the blit to the window.
void Present(HBITMAP bitmap, int32_t width, int32_t height, const void* pixels) {
  HDC window = GetDC(Saver.window);
  HDC memory = CreateCompatibleDC(window);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  uint8_t* info = Saver.core.engine.fieldBitmapInfo;
  const SaverSettings& s = Saver.core.settings;
  BuildFieldPalette(info, width, -height, 8, s.color, s.brightness);
  SetDIBits(window, bitmap, 0, height, pixels, reinterpret_cast<const BITMAPINFO*>(info),
            DIB_RGB_COLORS);
  BitBlt(window, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(Saver.window, window);
}

}  // namespace

void BuildPreviewSampling(HDC deviceContext) {
  const int32_t pw = Saver.previewWidth, ph = Saver.previewHeight;
  const SIZE_T samples = static_cast<SIZE_T>(pw) * ph;
  Saver.previewSampleTable =
      static_cast<uint32_t*>(GlobalAlloc(GPTR, samples ? samples * sizeof(uint32_t) : 1));
  Saver.previewBitmap = CreateCompatibleBitmap(deviceContext, pw, ph);
  Saver.previewPixels =
      static_cast<uint8_t*>(GlobalAlloc(GPTR, static_cast<SIZE_T>(PreviewStride(pw)) * ph + 1));
  if (Saver.previewSampleTable == nullptr || Saver.previewPixels == nullptr) return;
  FillPreviewSampleTable(Saver.previewSampleTable, pw, ph, Saver.core.engine.width,
                         Saver.core.engine.height);
}

// GDI has shown the field's own bytes; the frame itself is the seam's.
void DrawFrame() {
  const SmokeEngine& e = Saver.core.engine;
  Present(Saver.fieldBitmap, e.width, e.height, e.smokeField);
  PresentOnCovers();
  DrawSaverFrame(&Saver.core, nullptr, 0);
}

// One stretch a monitor, from the field's bitmap as the saver window's picture was just
// drawn; GDI clips what falls outside a cover and the class brush has painted the bars.
void PresentOnCovers() {
  if (Saver.coverCount == 0) return;
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, Saver.fieldBitmap);
  const SmokeEngine& e = Saver.core.engine;
  for (int32_t i = 0; i < Saver.coverCount; ++i) {
    const MonitorCover& cover = Saver.covers[i];
    const RECT& p = cover.picture;
    HDC dc = GetDC(cover.window);
    SetStretchBltMode(dc, COLORONCOLOR);  // nearest pixel, no smoothing
    StretchBlt(dc, p.left, p.top, p.right - p.left, p.bottom - p.top, memory, 0, 0, e.width,
               e.height, SRCCOPY);
    ReleaseDC(cover.window, dc);
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
}

void DrawPreviewFrame() {
  // Without its buffers the preview stays undrawn; the smoke still moves on.
  if (Saver.previewSampleTable != nullptr && Saver.previewPixels != nullptr) {
    GatherPreview(Saver.previewPixels, Saver.previewSampleTable, Saver.previewWidth,
                  Saver.previewHeight, Saver.core.engine.smokeField);
    Present(Saver.previewBitmap, Saver.previewWidth, Saver.previewHeight, Saver.previewPixels);
  }
  DrawSaverFrame(&Saver.core, nullptr, 0);
}
