// xhelper.cpp: the X11 end-to-end tests' own helper.
//   window WxH [argb]    makes and maps a window (of a 32-bit visual with alpha when asked),
//                        prints its id (hex) and keeps it until the helper is killed
//   resize ID WxH        resizes a window
//   wobble ID WxH        resizes a window between WxH and one pixel more each way, as
//                        fast as the server follows, until killed
//   destroy ID           destroys a window (any client's)
//   close ID TYPE        sends the window a ClientMessage asking WM_DELETE_WINDOW, of the
//                        message type TYPE (WM_PROTOCOLS, as a window manager sends it)
//   sample ID [X Y W H]  (ID may be "root") reads the window's pixels back and prints
//                        "size WxH lit N redEqualsBlue N greenLargest N"
//   compare ID OPTIONS   reads the window back (vapryx drawing it, stopped, with OPTIONS
//                        and a --seed) and finds the frame of the same saver, opened here,
//                        that it shows through FitFieldToWindow; prints "frame K pixelsOff N
//                        rowsOff R maxRowOff D columnsOff C maxColumnOff E": window rows and
//                        columns that show another field row or column than the mapping
//                        says, and by how much at most
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/saver.h"
#include "settings/options.h"
#include "text/raster_pango.h"

namespace {

int Usage() {
  std::fputs(
      "usage: xhelper window WxH [argb] | resize ID WxH | wobble ID WxH | destroy ID | close ID "
      "TYPE | sample ID "
      "[X Y W H] |"
      " compare ID OPTIONS\n",
      stderr);
  return 2;
}

// The window's picture against the saver's frames, as the compare command prints it.
int Compare(Display* d, Window window, int argc, const char* const* argv) {
  ProgramOptions options;
  std::string error;
  if (!ParseProgramOptions(argc, argv, &options, &error) || !options.haveSeed) {
    return std::fprintf(stderr, "xhelper: %s\n",
                        error.empty() ? "compare needs --seed" : error.c_str()),
           2;
  }
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, window, &a)) return 1;
  XImage* shot = XGetImage(d, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (shot == nullptr) return 1;
  const int32_t w = a.width, h = a.height;
  std::vector<uint32_t> seen(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) seen[y * w + x] = static_cast<uint32_t>(XGetPixel(shot, x, y));
  XDestroyImage(shot);

  const SaverSettings& s = options.settings;
  std::vector<uint8_t> bandPixels;
  TextReport report;
  const TextRaster band =
      RenderTextBand(s.text, s.font, s.fieldWidth, s.fieldHeight, &bandPixels, &report);
  const PixelFormat format = {static_cast<uint32_t>(a.visual->red_mask),
                              static_cast<uint32_t>(a.visual->green_mask),
                              static_cast<uint32_t>(a.visual->blue_mask), 0, false};
  SaverCore* saver = OpenSaver(s, band, options.seed, format);
  if (saver == nullptr) return 1;
  const uint32_t channels = format.redMask | format.greenMask | format.blueMask;
  const FieldView view = FitFieldToWindow(s.fieldWidth, s.fieldHeight, saver->bandHeight, w, h);
  std::vector<uint32_t> expected(seen.size());
  // Alpha, on a window whose depth has bits beyond its colours, must be opaque.
  const uint32_t depthBits = a.depth >= 32 ? 0xFFFFFFFFu : (1u << a.depth) - 1;
  const uint32_t alpha = depthBits & ~channels;
  long transparent = 0;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) transparent += (seen[y * w + x] & alpha) != alpha;

  // The frame with the fewest differing pixels among the first 900 steps.
  // Kept with it: its field, for finding which row and column each window row and column
  // shows.
  const int32_t fw = s.fieldWidth, fh = s.fieldHeight;
  const uint8_t* smoke = saver->engine.smokeField;
  const size_t area = static_cast<size_t>(fw) * fh;
  std::vector<uint8_t> field, bestField;
  long best = -1, bestFrame = 0;
  for (long frame = 0; frame < 900 && best != 0; ++frame) {
    // The image vapryx showed at this frame: the field after `frame` steps.
    field.assign(smoke, smoke + area);
    DrawSaverFrame(saver, expected.data(), static_cast<size_t>(w) * 4, &view);
    long off = 0;
    for (size_t i = 0; i < seen.size(); ++i) off += ((seen[i] ^ expected[i]) & channels) != 0;
    if (best < 0 || off < best) best = off, bestFrame = frame, bestField.swap(field);
  }
  const uint8_t* f = bestField.data();
  auto differs = [&](int32_t x, int32_t y, int32_t column, int32_t row) {
    return ((seen[y * w + x] ^ saver->pixels[f[row * fw + column]]) & channels) != 0;
  };
  // Each window row: the field row within 3 of the mapping's that differs least.
  std::vector<int32_t> rows(view.rows);
  int32_t rowsOff = 0, maxRowOff = 0, columnsOff = 0, maxColumnOff = 0;
  for (int32_t y = 0; y < h; ++y) {
    if (view.rows[y] < 0) continue;
    long fewest = -1;
    for (int32_t r : {0, -1, 1, -2, 2, -3, 3}) {
      const int32_t row = view.rows[y] + r;
      if (row < 0 || row >= fh) continue;
      long n = 0;
      for (int32_t x = 0; x < w; ++x)
        n += view.columns[x] >= 0 && differs(x, y, view.columns[x], row);
      if (fewest < 0 || n < fewest) fewest = n, rows[y] = row;
    }
    if (rows[y] != view.rows[y])
      ++rowsOff, maxRowOff = std::max(maxRowOff, std::abs(rows[y] - view.rows[y]));
  }
  for (int32_t x = 0; x < w; ++x) {
    if (view.columns[x] < 0) continue;
    long fewest = -1;
    int32_t chosen = view.columns[x];
    for (int32_t c : {0, -1, 1, -2, 2, -3, 3}) {
      const int32_t column = view.columns[x] + c;
      if (column < 0 || column >= fw) continue;
      long n = 0;
      for (int32_t y = 0; y < h; ++y) n += rows[y] >= 0 && differs(x, y, column, rows[y]);
      if (fewest < 0 || n < fewest) fewest = n, chosen = column;
    }
    if (chosen != view.columns[x])
      ++columnsOff, maxColumnOff = std::max(maxColumnOff, std::abs(chosen - view.columns[x]));
  }
  CloseSaver(saver);
  std::printf(
      "frame %ld pixelsOff %ld rowsOff %d maxRowOff %d columnsOff %d maxColumnOff %d "
      "transparent %ld\n",
      bestFrame, best, rowsOff, maxRowOff, columnsOff, maxColumnOff, transparent);
  return 0;
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
    XVisualInfo argb{};
    Visual* visual = CopyFromParent;
    int depth = CopyFromParent;
    unsigned long mask = CWBackPixel;
    if (argc > 3 && std::strcmp(argv[3], "argb") == 0) {
      if (!XMatchVisualInfo(d, DefaultScreen(d), 32, TrueColor, &argb)) return 1;
      visual = argb.visual, depth = 32;
      a.colormap = XCreateColormap(d, DefaultRootWindow(d), visual, AllocNone);
      mask |= CWColormap | CWBorderPixel;
    } else {
      a.background_pixel = BlackPixel(d, DefaultScreen(d));
    }
    const Window window =
        XCreateWindow(d, DefaultRootWindow(d), 0, 0, w, h, 0, depth, InputOutput, visual, mask, &a);
    XMapWindow(d, window);
    XSync(d, False);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (;;) {  // keeps the window until killed
      XEvent event;
      XNextEvent(d, &event);
    }
  }

  const Window window =
      std::strcmp(argv[2], "root") == 0 ? DefaultRootWindow(d) : std::strtoul(argv[2], nullptr, 0);
  if (std::strcmp(command, "resize") == 0) {
    if (argc < 4 || !Size(argv[3], &w, &h)) return Usage();
    XResizeWindow(d, window, w, h);
  } else if (std::strcmp(command, "wobble") == 0) {
    if (argc < 4 || !Size(argv[3], &w, &h)) return Usage();
    for (unsigned i = 0;; ++i) {
      XResizeWindow(d, window, w + i % 2, h + i % 2);
      XSync(d, False);
    }
  } else if (std::strcmp(command, "close") == 0) {
    if (argc < 4) return Usage();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, argv[3], False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    XSendEvent(d, window, False, NoEventMask, &event);
  } else if (std::strcmp(command, "destroy") == 0) {
    XDestroyWindow(d, window);
  } else if (std::strcmp(command, "compare") == 0) {
    argv[2] = argv[1];  // the options follow, with a program name before them
    const int status = Compare(d, window, argc - 2, argv + 2);
    XCloseDisplay(d);
    return status;
  } else if (std::strcmp(command, "sample") == 0) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a)) return 1;
    int x = 0, y = 0;
    w = static_cast<unsigned>(a.width), h = static_cast<unsigned>(a.height);
    if (argc >= 7)
      x = std::atoi(argv[3]), y = std::atoi(argv[4]), w = std::atoi(argv[5]),
      h = std::atoi(argv[6]);
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
