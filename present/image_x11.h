// image_x11.h: the picture on an X11 window. The field-sized image goes into a pixmap and
// RENDER scales it onto the window: the client sends the field's bytes whatever the
// window's size, and the server (its GPU, where it has one) does the scaling. Where the
// display has no RENDER, a window-sized image scaled by us instead. Both are sent through
// shared memory (MIT-SHM) where the display allows it, else through plain XPutImage.
#pragma once
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrender.h>

#include <cstdint>

#include "present/scale.h"

// The layout of image pixels for `visual` of `depth` on this display: its masks, alpha
// bits opaque, the size of its pixels, in the server's byte order.
PixelFormat ImageFormat(Display* display, const Visual* visual, int depth);

// A 16- or 32-bit client image that can be put on a drawable.
struct SharedImage {
  XImage* image;
  XShmSegmentInfo segment;
  bool shared;
  Pixmap staging;  // plain images bound for a window go through it, whole
  int32_t width;
  int32_t height;
};

// 1 with an image of width x height for the visual, 0 when the display offers none of 16 or
// 32 bits a pixel. Given the window it will be put on (else None), an image that is not
// shared gets a pixmap to be put through: Xlib splits a large XPutImage into requests of
// a few rows, and the window would show a frame torn between them.
int CreateSharedImage(Display* display, Drawable window, Visual* visual, int depth, int32_t width,
                      int32_t height, SharedImage* image);
// The image's pixels, rows ImageStride bytes apart.
void* ImagePixels(const SharedImage& image);
size_t ImageStride(const SharedImage& image);
// Puts the whole image at the drawable's origin. Sync before the pixels are written again.
void PutSharedImage(Display* display, Drawable drawable, GC gc, const SharedImage& image);
void DestroySharedImage(Display* display, SharedImage* image);

// The field shown on a window by RENDER: the image, its pixmap, the pixmap's picture with
// the nearest-neighbour transform, the window's picture and the bars around the field.
struct ScaledWindow {
  SharedImage image;
  Pixmap pixmap;
  GC gc;
  Picture source;
  Picture window;
  FieldTransform transform;
  XRectangle bars[4];
  int barCount;
};

// 1 when the display can scale onto the window (RENDER, a 24-bit pixmap format, a picture
// format for the window's visual), with the image's pixel format in `format`; else 0.
int OpenScaledWindow(Display* display, Window window, Visual* visual, int32_t fieldWidth,
                     int32_t fieldHeight, ScaledWindow* scaled, PixelFormat* format);
// The transform and bars for the view of the window's current size.
void ReshapeScaledWindow(Display* display, ScaledWindow* scaled, const FieldView& view);
// Sends the image and composites it scaled onto the window, the bars black.
void ShowScaledWindow(Display* display, const ScaledWindow& scaled);
void CloseScaledWindow(Display* display, ScaledWindow* scaled);
