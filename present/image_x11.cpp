// image_x11.cpp: the frame's image, shared with the X server where it can be.
#include "present/image_x11.h"

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
bool CreateSharedImage(Display* display, Visual* visual, int depth, int32_t width,
                       int32_t height, WindowImage* image) {
  if (!XShmQueryExtension(display)) return false;
  XImage* x = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                              &image->segment, static_cast<unsigned>(width),
                              static_cast<unsigned>(height));
  if (x == nullptr) return false;
  image->segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(x->bytes_per_line) * x->height,
                                IPC_CREAT | 0600);
  if (image->segment.shmid < 0) {
    XDestroyImage(x);
    return false;
  }
  image->segment.shmaddr = x->data = static_cast<char*>(shmat(image->segment.shmid, nullptr, 0));
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
  // Removed at once: the segment goes with the last detach, even if this process is killed.
  shmctl(image->segment.shmid, IPC_RMID, nullptr);
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

}  // namespace

int CreateWindowImage(Display* display, Visual* visual, int depth, int32_t width,
                      int32_t height, WindowImage* image) {
  *image = WindowImage{};
  image->width = width;
  image->height = height;
  if (!CreateSharedImage(display, visual, depth, width, height, image)) {
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
  if (image->image->bits_per_pixel != 32) {
    DestroyWindowImage(display, image);
    return 0;
  }
  return 1;
}

uint32_t* ImagePixels(const WindowImage& image) {
  return reinterpret_cast<uint32_t*>(image.image->data);
}

size_t ImageStride(const WindowImage& image) {
  return static_cast<size_t>(image.image->bytes_per_line) / 4;
}

void PutWindowImage(Display* display, Drawable window, GC gc, const WindowImage& image) {
  const unsigned w = static_cast<unsigned>(image.width), h = static_cast<unsigned>(image.height);
  if (image.shared) {
    XShmPutImage(display, window, gc, image.image, 0, 0, 0, 0, w, h, False);
  } else {
    XPutImage(display, window, gc, image.image, 0, 0, 0, 0, w, h);
  }
}

void DestroyWindowImage(Display* display, WindowImage* image) {
  if (image->image == nullptr) return;
  if (image->shared) {
    XShmDetach(display, &image->segment);
    XSync(display, False);
    shmdt(image->segment.shmaddr);
    image->image->data = nullptr;
  }
  XDestroyImage(image->image);  // frees plain pixels too
  *image = WindowImage{};
}
