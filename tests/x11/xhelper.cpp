// xhelper.cpp: the X11 end-to-end tests' own helper.
//   window WxH           makes and maps a window, prints its id (hex) and keeps it until
//                        the helper is killed
//   resize ID WxH        resizes a window
//   destroy ID           destroys a window (any client's)
//   sample ID [X Y W H]  (ID may be "root") reads the window's pixels back and prints
//                        "size WxH lit N redEqualsBlue N greenLargest N"
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Usage() {
  std::fputs("usage: xhelper window WxH | resize ID WxH | destroy ID | sample ID [X Y W H]\n", stderr);
  return 2;
}

bool Size(const char* text, unsigned* w, unsigned* h) {
  return std::sscanf(text, "%ux%u", w, h) == 2 && *w > 0 && *h > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return std::fputs("xhelper: no display\n", stderr), 1;
  const char* command = argv[1];
  unsigned w = 0, h = 0;

  if (std::strcmp(command, "window") == 0) {
    if (!Size(argv[2], &w, &h)) return Usage();
    XSetWindowAttributes a{};
    a.background_pixel = BlackPixel(d, DefaultScreen(d));
    const Window window = XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, CopyFromParent,
                                        InputOutput, CopyFromParent, CWBackPixel, &a);
    XMapWindow(d, window);
    XSync(d, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) {  // keeps the window until killed
      XEvent event;
      XNextEvent(d, &event);
    }
  }

  const Window window = std::strcmp(argv[2], "root") == 0 ? DefaultRootWindow(d)
                                                          : std::strtoul(argv[2], nullptr, 0);
  if (std::strcmp(command, "resize") == 0) {
    if (argc < 4 || !Size(argv[3], &w, &h)) return Usage();
    XResizeWindow(d, window, w, h);
  } else if (std::strcmp(command, "destroy") == 0) {
    XDestroyWindow(d, window);
  } else if (std::strcmp(command, "sample") == 0) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a)) return 1;
    int x = 0, y = 0;
    w = static_cast<unsigned>(a.width), h = static_cast<unsigned>(a.height);
    if (argc >= 7) x = std::atoi(argv[3]), y = std::atoi(argv[4]), w = std::atoi(argv[5]), h = std::atoi(argv[6]);
    XImage* image = XGetImage(d, window, x, y, w, h, AllPlanes, ZPixmap);
    if (image == nullptr) return 1;
    long lit = 0, redEqualsBlue = 0, greenLargest = 0;
    for (unsigned j = 0; j < h; ++j) {
      for (unsigned i = 0; i < w; ++i) {
        const unsigned long p = XGetPixel(image, static_cast<int>(i), static_cast<int>(j));
        const unsigned r = (p & a.visual->red_mask) >> __builtin_ctzl(a.visual->red_mask);
        const unsigned g = (p & a.visual->green_mask) >> __builtin_ctzl(a.visual->green_mask);
        const unsigned b = (p & a.visual->blue_mask) >> __builtin_ctzl(a.visual->blue_mask);
        if (r + g + b == 0) continue;
        ++lit;
        redEqualsBlue += r == b;
        greenLargest += g >= r && g >= b;
      }
    }
    std::printf("size %dx%d lit %ld redEqualsBlue %ld greenLargest %ld\n", a.width, a.height, lit,
                redEqualsBlue, greenLargest);
    XDestroyImage(image);
  } else {
    return Usage();
  }
  XSync(d, False);
  XCloseDisplay(d);
  return 0;
}
