// image_x11.cpp: client images, shared with the X server where it can be, and the field
// scaled onto the window by RENDER.
#include "present/image_x11.h"

#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>

namespace {

bool attachFailed = false;

int NoteAttachError(Display*, XErrorEvent*) {
  attachFailed = true;
  return 0;
}

// A shared image; false when the display refuses shared memory (a remote display does).
bool CreateShmImage(Display* display, Visual* visual, int depth, int32_t width, int32_t height,
                    SharedImage* image) {
  if (!XShmQueryExtension(display)) return false;
  XImage* x =
      XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                      &image->segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (x == nullptr) return false;
  // The segment is marked removed as soon as it is attached here, before the server
  // attaches it too: it then goes with the last detach, even when this process is killed.
  // Every signal that can wait does, so that none ends the process with the segment
  // unmarked (SIGKILL cannot be held off).
  sigset_t ending, previousMask;
  sigfillset(&ending);
  sigprocmask(SIG_BLOCK, &ending, &previousMask);
  image->segment.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(x->bytes_per_line) * x->height, IPC_CREAT | 0600);
  if (image->segment.shmid >= 0) {
    image->segment.shmaddr = x->data = static_cast<char*>(shmat(image->segment.shmid, nullptr, 0));
    shmctl(image->segment.shmid, IPC_RMID, nullptr);
  }
  sigprocmask(SIG_SETMASK, &previousMask, nullptr);
  if (image->segment.shmid < 0) {
    XDestroyImage(x);
    return false;
  }
  image->segment.readOnly = False;
  bool ok = image->segment.shmaddr != reinterpret_cast<char*>(-1);
  if (ok) {
    XSync(display, False);
    attachFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteAttachError);
    XShmAttach(display, &image->segment);
    XSync(display, False);
    XSetErrorHandler(previous);
    ok = !attachFailed;
  }
  if (!ok) {
    if (image->segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(image->segment.shmaddr);
    x->data = nullptr;
    XDestroyImage(x);
    return false;
  }
  image->image = x;
  image->shared = true;
  return true;
}

// Whether image pixels go to the server in the byte order opposite to this machine's.
bool SwappedBytes(Display* display) {
  const uint16_t one = 1;
  const bool hostLsb = *reinterpret_cast<const uint8_t*>(&one) == 1;
  return (ImageByteOrder(display) == LSBFirst) != hostLsb;
}

// The channel mask of a RENDER direct format, in pixel bits.
uint32_t ChannelMask(short shift, short mask) {
  return static_cast<uint32_t>(static_cast<unsigned short>(mask)) << shift;
}

}  // namespace

PixelFormat ImageFormat(Display* display, const Visual* visual, int depth) {
  const uint32_t rgb =
      static_cast<uint32_t>(visual->red_mask | visual->green_mask | visual->blue_mask);
  // The bits of the depth that are no colour are alpha, which a compositor honours.
  const uint32_t depthBits = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
  PixelFormat format{
      static_cast<uint32_t>(visual->red_mask), static_cast<uint32_t>(visual->green_mask),
      static_cast<uint32_t>(visual->blue_mask), depthBits & ~rgb, SwappedBytes(display)};
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  for (int i = 0; formats != nullptr && i < count; ++i) {
    if (formats[i].depth == depth) format.bytesPerPixel = formats[i].bits_per_pixel / 8;
  }
  if (formats != nullptr) XFree(formats);
  return format;
}

int CreateSharedImage(Display* display, Drawable window, Visual* visual, int depth, int32_t width,
                      int32_t height, SharedImage* image) {
  *image = SharedImage{};
  image->width = width;
  image->height = height;
  if (!CreateShmImage(display, visual, depth, width, height, image)) {
    XImage* x = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (x == nullptr) return 0;
    x->data = static_cast<char*>(std::calloc(static_cast<size_t>(x->bytes_per_line), height));
    if (x->data == nullptr) {
      XDestroyImage(x);
      return 0;
    }
    image->image = x;
  }
  if (image->image->bits_per_pixel != 32 && image->image->bits_per_pixel != 16) {
    DestroySharedImage(display, image);
    return 0;
  }
  if (!image->shared && window != None) {
    image->staging = XCreatePixmap(display, window, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), static_cast<unsigned>(depth));
  }
  return 1;
}

void* ImagePixels(const SharedImage& image) { return image.image->data; }

size_t ImageStride(const SharedImage& image) {
  return static_cast<size_t>(image.image->bytes_per_line);
}

void PutSharedImage(Display* display, Drawable drawable, GC gc, const SharedImage& image) {
  const unsigned w = static_cast<unsigned>(image.width), h = static_cast<unsigned>(image.height);
  if (image.shared) {
    XShmPutImage(display, drawable, gc, image.image, 0, 0, 0, 0, w, h, False);
  } else if (image.staging != None) {
    XPutImage(display, image.staging, gc, image.image, 0, 0, 0, 0, w, h);
    XCopyArea(display, image.staging, drawable, gc, 0, 0, w, h, 0, 0);
  } else {
    XPutImage(display, drawable, gc, image.image, 0, 0, 0, 0, w, h);
  }
}

void DestroySharedImage(Display* display, SharedImage* image) {
  if (image->staging != None) XFreePixmap(display, image->staging);
  if (image->image == nullptr) return;
  if (image->shared) {
    XShmDetach(display, &image->segment);
    XSync(display, False);
    shmdt(image->segment.shmaddr);
    image->image->data = nullptr;
  }
  XDestroyImage(image->image);  // frees plain pixels too
  *image = SharedImage{};
}

int OpenScaledWindow(Display* display, Window window, Visual* visual, int32_t fieldWidth,
                     int32_t fieldHeight, ScaledWindow* scaled, PixelFormat* format) {
  *scaled = ScaledWindow{};
  int eventBase, errorBase;
  if (!XRenderQueryExtension(display, &eventBase, &errorBase)) return 0;
  XRenderPictFormat* windowFormat = XRenderFindVisualFormat(display, visual);
  XRenderPictFormat* rgb = XRenderFindStandardFormat(display, PictStandardRGB24);
  XVisualInfo rgbVisual;
  if (windowFormat == nullptr || rgb == nullptr ||
      !XMatchVisualInfo(display, DefaultScreen(display), 24, TrueColor, &rgbVisual) ||
      !CreateSharedImage(display, None, rgbVisual.visual, 24, fieldWidth, fieldHeight,
                         &scaled->image)) {
    return 0;
  }
  scaled->pixmap = XCreatePixmap(display, window, static_cast<unsigned>(fieldWidth),
                                 static_cast<unsigned>(fieldHeight), 24);
  scaled->gc = XCreateGC(display, scaled->pixmap, 0, nullptr);
  // Beyond the field's edge, where a transform that cannot be exact may reach: the edge.
  XRenderPictureAttributes repeat{};
  repeat.repeat = RepeatPad;
  scaled->source = XRenderCreatePicture(display, scaled->pixmap, rgb, CPRepeat, &repeat);
  scaled->window = XRenderCreatePicture(display, window, windowFormat, 0, nullptr);
  XRenderSetPictureFilter(display, scaled->source, FilterNearest, nullptr, 0);

  const XRenderDirectFormat& d = rgb->direct;
  *format = PixelFormat{ChannelMask(d.red, d.redMask), ChannelMask(d.green, d.greenMask),
                        ChannelMask(d.blue, d.blueMask), 0, SwappedBytes(display)};
  return 1;
}

void ReshapeScaledWindow(Display* display, ScaledWindow* scaled, const FieldView& view) {
  const FieldTransform t = FitFieldTransform(scaled->image.width, scaled->image.height, view);
  scaled->transform = t;
  XTransform matrix = {{{t.scaleX, 0, t.offsetX}, {0, t.scaleY, t.offsetY}, {0, 0, 1 << 16}}};
  XRenderSetPictureTransform(display, scaled->source, &matrix);

  // Bars: above and below the field across the window, then left and right of it.
  const int32_t w = view.windowWidth, h = view.windowHeight;
  const int32_t right = t.left + t.width, bottom = t.top + t.height;
  const XRectangle candidates[4] = {
      {0, 0, static_cast<unsigned short>(w), static_cast<unsigned short>(t.top)},
      {0, static_cast<short>(bottom), static_cast<unsigned short>(w),
       static_cast<unsigned short>(h - bottom)},
      {0, static_cast<short>(t.top), static_cast<unsigned short>(t.left),
       static_cast<unsigned short>(t.height)},
      {static_cast<short>(right), static_cast<short>(t.top), static_cast<unsigned short>(w - right),
       static_cast<unsigned short>(t.height)},
  };
  scaled->barCount = 0;
  for (const XRectangle& r : candidates) {
    if (r.width > 0 && r.height > 0) scaled->bars[scaled->barCount++] = r;
  }
}

void ShowScaledWindow(Display* display, const ScaledWindow& scaled) {
  PutSharedImage(display, scaled.pixmap, scaled.gc, scaled.image);
  if (scaled.barCount > 0) {
    const XRenderColor black = {0, 0, 0, 0xFFFF};
    XRenderFillRectangles(display, PictOpSrc, scaled.window, &black, scaled.bars, scaled.barCount);
  }
  const FieldTransform& t = scaled.transform;
  if (t.width > 0 && t.height > 0) {
    XRenderComposite(display, PictOpSrc, scaled.source, None, scaled.window, t.sourceX, t.sourceY,
                     0, 0, t.left, t.top, static_cast<unsigned>(t.width),
                     static_cast<unsigned>(t.height));
  }
}

void CloseScaledWindow(Display* display, ScaledWindow* scaled) {
  if (scaled->source != 0) XRenderFreePicture(display, scaled->source);
  if (scaled->window != 0) XRenderFreePicture(display, scaled->window);
  if (scaled->gc != nullptr) XFreeGC(display, scaled->gc);
  if (scaled->pixmap != 0) XFreePixmap(display, scaled->pixmap);
  DestroySharedImage(display, &scaled->image);
  *scaled = ScaledWindow{};
}
