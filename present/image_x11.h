// image_x11.h: a window-sized 32-bit image put on an X11 window, through shared memory
// (MIT-SHM) where the display allows it, else through plain XPutImage.
#pragma once
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

struct WindowImage {
  XImage* image;
  XShmSegmentInfo segment;
  bool shared;
  int32_t width;
  int32_t height;
};

// 1 with an image of width x height at 32 bits a pixel for the visual, 0 when the display
// offers none (a visual whose pixels are not 32 bits wide).
int CreateWindowImage(Display* display, Visual* visual, int depth, int32_t width,
                      int32_t height, WindowImage* image);
// The image's pixels, rows ImageStride pixels apart.
uint32_t* ImagePixels(const WindowImage& image);
size_t ImageStride(const WindowImage& image);
// Puts the whole image at the window's origin. Sync before the pixels are written again.
void PutWindowImage(Display* display, Drawable window, GC gc, const WindowImage& image);
void DestroyWindowImage(Display* display, WindowImage* image);
