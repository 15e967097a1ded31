// main_x11.cpp: vapryx on X11: a native program and XScreenSaver hack.
//
// Options -> settings -> window (given, root or its own) -> the saver opened through the
// seam -> event loop, one frame per --delay: the field into the image and a step, then the
// image scaled onto the window by the X server (RENDER), or by us where it cannot.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "host/main_linux.h"
#include "host/saver.h"
#include "host/start_posix.h"
#include "present/image_x11.h"
#include "present/scale.h"
#include "settings/options.h"

namespace {

// The process-wide state of the Linux program.
struct HostState {
  ProgramOptions options;
  Display* display;
  Window window;
  bool ownWindow;
  bool windowGone;  // the window was destroyed under us
  Visual* visual;
  int depth;
  int32_t width;
  int32_t height;
  bool resized;
  GC gc;
  XFontStruct* font;
  Atom protocols;  // WM_PROTOCOLS and its WM_DELETE_WINDOW: the close box of our own window
  Atom deleteWindow;
  int errorsShown;
  SaverCore* saver;
  FieldView view;
  bool serverScales;  // RENDER composites the field-sized image onto the window
  ScaledWindow scaled;
  SharedImage image;  // where it cannot: a window-sized image scaled here
};

HostState Host;

// Errors about our window, or its picture, mean it is gone; anything else is reported,
// the first few times only, and survived.
int NoteXError(Display* display, XErrorEvent* error) {
  constexpr int kErrorsShown = 10;
  if ((error->resourceid == Host.window &&
       (error->error_code == BadWindow || error->error_code == BadDrawable ||
        error->error_code == BadMatch)) ||
      (Host.scaled.window != 0 && error->resourceid == Host.scaled.window)) {
    Host.windowGone = true;
    return 0;
  }
  if (Host.errorsShown++ >= kErrorsShown) return 0;
  char text[128];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "vapryx: X error: %s (request %d)%s\n", text, error->request_code,
               Host.errorsShown == kErrorsShown ? "; further X errors are not shown" : "");
  return 0;
}

// The window to draw into: --window-id, else with --root $XSCREENSAVER_WINDOW or the root
// window, else a window of our own. 0 with a message on failure.
int ChooseWindow(std::string* error) {
  Display* d = Host.display;
  const ProgramOptions& o = Host.options;
  if (o.windowId != 0) {
    Host.window = o.windowId;
  } else if (o.root) {
    const char* env = std::getenv("XSCREENSAVER_WINDOW");
    if (env != nullptr && *env != '\0') {
      Host.window = ParseWindowId(env);
      if (Host.window == 0) {
        *error = "bad $XSCREENSAVER_WINDOW '" + std::string(env) + "' (expected a window id)";
        return 0;
      }
    } else {
      Host.window = DefaultRootWindow(d);
    }
  } else {
    const int screen = DefaultScreen(d);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(d, screen);
    Host.window =
        XCreateWindow(d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(o.settings.fieldWidth),
                      static_cast<unsigned>(o.settings.fieldHeight), 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWBackPixel, &attributes);
    XStoreName(d, Host.window, "Vapryx");
    XClassHint hint = {const_cast<char*>("vapryx"), const_cast<char*>("Vapryx")};
    XSetClassHint(d, Host.window, &hint);
    Host.protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    Host.deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, Host.window, &Host.deleteWindow, 1);
    Host.ownWindow = true;
  }

  // Events first, so that no resize falls between them and the size read below. Input
  // only in our own window: a screen saver's window belongs to its daemon.
  const long events =
      ExposureMask | StructureNotifyMask | (Host.ownWindow ? KeyPressMask | ButtonPressMask : 0);
  XSelectInput(d, Host.window, events);
  XWindowAttributes a;
  const Status got = XGetWindowAttributes(d, Host.window, &a);
  XSync(d, False);
  if (!got || Host.windowGone) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", Host.window);
    *error = std::string("no window ") + id;
    return 0;
  }
  if (a.visual->c_class != TrueColor) {
    *error = "the window's visual is not TrueColor (depth " + std::to_string(a.depth) + ")";
    return 0;
  }
  Host.visual = a.visual;
  Host.depth = a.depth;
  Host.width = a.width;
  Host.height = a.height;
  if (Host.ownWindow) XMapRaised(d, Host.window);
  return 1;
}

// Where the picture is scaled: by the X server through RENDER, unless the display has none
// or VAPRYX_SCALE=client asks for our own scaling (for measuring the two). Returns the
// pixel format the saver draws in.
PixelFormat ChoosePresentation() {
  const SaverSettings& s = Host.options.settings;
  const char* scale = std::getenv("VAPRYX_SCALE");
  PixelFormat format{};
  Host.serverScales = !(scale != nullptr && std::strcmp(scale, "client") == 0) &&
                      OpenScaledWindow(Host.display, Host.window, Host.visual, s.fieldWidth,
                                       s.fieldHeight, &Host.scaled, &format);
  if (!Host.serverScales) format = ImageFormat(Host.display, Host.visual, Host.depth);
  if (Host.options.verbose) {
    std::fprintf(stderr, "vapryx: %s\n",
                 Host.serverScales
                     ? "the X server scales the picture (RENDER)"
                     : "the picture is scaled here (no RENDER, or VAPRYX_SCALE=client)");
  }
  return format;
}

// The view, and the transform or the image, for the window's current size.
int Reshape() {
  const int32_t w = Host.width > 0 ? Host.width : 1, h = Host.height > 0 ? Host.height : 1;
  const SmokeEngine& e = Host.saver->engine;
  Host.view = FitFieldToWindow(e.width, e.height, Host.saver->bandHeight, w, h);
  Host.resized = false;
  if (Host.serverScales) {
    ReshapeScaledWindow(Host.display, &Host.scaled, Host.view);
    return 1;
  }
  DestroySharedImage(Host.display, &Host.image);
  return CreateSharedImage(Host.display, Host.window, Host.visual, Host.depth, w, h, &Host.image);
}

void DrawFrame(double framesPerSecond) {
  if (Host.serverScales) {
    const SharedImage& image = Host.scaled.image;
    DrawSaverFrame(Host.saver, ImagePixels(image), ImageStride(image));
    ShowScaledWindow(Host.display, Host.scaled);
  } else {
    DrawSaverFrame(Host.saver, ImagePixels(Host.image), ImageStride(Host.image), &Host.view);
    PutSharedImage(Host.display, Host.window, Host.gc, Host.image);
  }
  if (Host.options.fps && framesPerSecond > 0) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%.1f fps", framesPerSecond);
    XDrawString(Host.display, Host.window, Host.gc, 10, 10 + (Host.font ? Host.font->ascent : 12),
                text, n);
  }
  XSync(Host.display, False);  // the server has the pixels before the next frame writes them
}

// Handles what is queued; false when the run should end.
bool HandleEvents() {
  Display* d = Host.display;
  while (XPending(d) > 0) {
    XEvent event;
    XNextEvent(d, &event);
    switch (event.type) {
      case ConfigureNotify:
        if (event.xconfigure.window == Host.window &&
            (event.xconfigure.width != Host.width || event.xconfigure.height != Host.height)) {
          Host.width = event.xconfigure.width;
          Host.height = event.xconfigure.height;
          Host.resized = true;
        }
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == Host.window) Host.windowGone = true;
        break;
      case KeyPress:
      case ButtonPress:
        if (Host.ownWindow) return false;
        break;
      case ClientMessage:
        if (Host.ownWindow && event.xclient.message_type == Host.protocols &&
            event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == Host.deleteWindow) {
          return false;
        }
        break;
      default:
        break;
    }
  }
  return !Host.windowGone;
}

// Waits until `deadline`, handling events as they come: 1 to draw, 0 when the run should
// end, -1 when the wait itself failed (errno says why).
int WaitUntil(double deadline) {
  pollfd connection = {ConnectionNumber(Host.display), POLLIN, 0};
  for (;;) {
    if (!HandleEvents()) return 0;
    const double left = deadline - Now();
    if (left <= 0) return 1;
    // Rounded up: a wait that ends early would spin until the deadline.
    const int milliseconds = static_cast<int>(left * 1000) + 1;
    if (poll(&connection, 1, milliseconds) < 0 && errno != EINTR) return -1;
  }
}

int Run() {
  const double period = Host.options.delay * 1e-6;
  double deadline = Now(), rateStart = deadline, reportStart = deadline, rate = 0;
  long rateFrames = 0, reportFrames = 0;
  for (;;) {
    const int wait = WaitUntil(deadline);
    if (wait < 0) return Fail(std::string("cannot wait for the display: ") + std::strerror(errno));
    if (wait == 0) return 0;
    if (Host.resized && !Reshape()) return Fail("cannot make an image of the window's size");
    DrawFrame(rate);
    const double now = Now();
    ++rateFrames, ++reportFrames;
    if (now - rateStart >= 1.0)
      rate = rateFrames / (now - rateStart), rateFrames = 0, rateStart = now;
    if (Host.options.verbose && now - reportStart >= 5.0) {
      std::fprintf(stderr, "vapryx: %ld frames in %.1f s, %.1f frames per second\n", reportFrames,
                   now - reportStart, reportFrames / (now - reportStart));
      reportFrames = 0, reportStart = now;
    }
    // A late frame starts the next one at once instead of piling up.
    deadline += period;
    if (deadline < now) deadline = now;
  }
}

}  // namespace

int RunX11(const ProgramOptions& options) {
  Host.options = options;
  Host.display = XOpenDisplay(nullptr);
  if (Host.display == nullptr) return Fail("cannot open the display (is DISPLAY set?)");
  XSetErrorHandler(NoteXError);
  if (!Host.options.colorName.empty()) {
    // As XScreenSaver's own savers read a colour: by the display's colour names.
    XColor c;
    const char* name = Host.options.colorName.c_str();
    if (!XParseColor(Host.display, DefaultColormap(Host.display, DefaultScreen(Host.display)), name,
                     &c)) {
      return Fail("bad value '" + Host.options.colorName +
                  "' for --color: no X11 colour has that name");
    }
    Host.options.settings.color = (c.red >> 8) | (c.green >> 8) << 8 | (c.blue >> 8) << 16;
  }
  std::string error;
  if (!ChooseWindow(&error)) return Fail(error);

  // The saver through the seam, over the text band Pango lays out.
  const SaverSettings& s = Host.options.settings;
  SaverText text;
  RenderSaverText(Host.options, &text);
  const uint32_t seed = Host.options.haveSeed ? Host.options.seed : FreshSeed();
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: seed %u\n", seed);
  Host.saver = OpenSaver(s, text.band, seed, ChoosePresentation());
  if (Host.saver == nullptr) return Fail("the smoke engine refused its tables");
  SayWhyNothingDraws(text, *Host.saver);

  // The frame rate in the ramp's lightest colour; a pixel value the server takes in this
  // machine's byte order, whatever the image's.
  PixelFormat windowFormat = ImageFormat(Host.display, Host.visual, Host.depth);
  windowFormat.swapped = false;
  uint32_t windowPixels[256];
  BuildPixelPalette(Host.saver->ramp, windowFormat, windowPixels);
  Host.gc = XCreateGC(Host.display, Host.window, 0, nullptr);
  XSetForeground(Host.display, Host.gc, windowPixels[255]);
  Host.font = XLoadQueryFont(Host.display, "fixed");
  if (Host.font != nullptr) XSetFont(Host.display, Host.gc, Host.font->fid);
  if (!Reshape()) return Fail("the display offers no 16- or 32-bit image for this visual");
  if (Host.options.verbose) {
    const bool shared = (Host.serverScales ? Host.scaled.image : Host.image).shared;
    std::fprintf(stderr, "vapryx: images sent %s\n",
                 shared ? "through shared memory (MIT-SHM)" : "in the X protocol (no MIT-SHM)");
  }
  return Run();
}
