// main_wayland.cpp: vapryx on Wayland.
//
//   (no mode)     a window of its own (xdg-shell), closed by a key, a click or the compositor,
//                 its decorations drawn by libdecor where the compositor does not draw them
//   --fullscreen  one overlay surface per monitor (wlr-layer-shell), each with its own smoke,
//                 ended by a key, a button or a move of the pointer beyond a nudge; where the
//                 compositor has no layer shell, one fullscreen window per monitor instead
//   --idle N      waits for N seconds without input (ext-idle-notify-v1, or KDE's idle
//                 protocol), shows the --fullscreen saver until the next input, and waits again
//   --background  one background-layer surface per monitor that takes no input: a wallpaper
//
// Each surface shows a field-sized picture that the compositor scales (wp_viewporter): the
// crop is FitFieldCrop's, the destination the surface's logical size. A surface draws only
// after the compositor asked for its next frame, so a monitor that shows nothing costs
// nothing.
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ext-idle-notify-v1-client.h"
#include "host/input.h"
#include "host/main_linux.h"
#include "host/saver.h"
#include "host/start_posix.h"
#include "idle-client.h"
#include "present/buffer_wayland.h"
#include "present/scale.h"
#include "viewporter-client.h"
#include "xdg-shell-client.h"
#if VAPRYX_LIBDECOR
#include <libdecor.h>
#endif
// The protocol names an argument "namespace", which C++ reserves.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace

namespace {

using Mode = ProgramOptions::Mode;

// The smallest window asked for: smaller ones are all bars (and get the field stretched).
constexpr int32_t kMinimumWindow = 64;

// One surface showing a saver: a monitor's, or the program's own window.
struct Screen {
  uint32_t outputName;  // the wl_output global it covers, 0 for the window
  wl_output* output;
  wl_surface* surface;
  wp_viewport* viewport;
  zwlr_layer_surface_v1* layer;
  xdg_surface* xdgSurface;
  xdg_toplevel* toplevel;
#if VAPRYX_LIBDECOR
  libdecor_frame* decorated;  // the window, where libdecor decorates it
#endif
  wl_callback* frame;
  bool configured;
  bool frameDue;          // the compositor wants the next frame (or none was drawn yet)
  int32_t width, height;  // logical size; 0 until configured
  int32_t pendingWidth, pendingHeight;
  bool reshape;
  double nextFrame;
  SaverCore* saver;
  FieldCrop crop;
  ShmPictures pictures;
};

struct Output {
  uint32_t name;
  wl_output* output;
};

// The process-wide state of the Wayland front end.
struct WaylandHost {
  ProgramOptions options;
  SaverText text;
  double period;
  wl_display* display;
  wl_registry* registry;
  wl_compositor* compositor;
  wl_shm* shm;
  xdg_wm_base* wmBase;
  zwlr_layer_shell_v1* layerShell;
  wp_viewporter* viewporter;
  wl_seat* seat;
  wl_keyboard* keyboard;
  wl_pointer* pointer;
  ext_idle_notifier_v1* idleNotifier;
  org_kde_kwin_idle* kdeIdle;
  ext_idle_notification_v1* idleNotification;
  org_kde_kwin_idle_timeout* kdeTimeout;
  std::vector<Output> outputs;
  std::vector<Screen*> screens;
  wl_surface* pointerOn;  // the surface under the pointer, ours or a decoration's
#if VAPRYX_LIBDECOR
  libdecor* decorations;
#endif
  bool showing;  // the saver's surfaces are up (all modes but --idle, while not idle)
  PointerTravel travel;
  bool done;
  int status;
  bool saidNothingDraws;
};

WaylandHost Host;

void Quit(int status) {
  if (!Host.done) Host.done = true, Host.status = status;
}

// --- screens ------------------------------------------------------------------------------

void DestroyScreen(Screen* s) {
  if (s->frame != nullptr) wl_callback_destroy(s->frame);
  if (s->viewport != nullptr) wp_viewport_destroy(s->viewport);
  if (s->layer != nullptr) zwlr_layer_surface_v1_destroy(s->layer);
  if (s->toplevel != nullptr) xdg_toplevel_destroy(s->toplevel);
#if VAPRYX_LIBDECOR
  if (s->decorated != nullptr) libdecor_frame_unref(s->decorated);
#endif
  if (s->xdgSurface != nullptr) xdg_surface_destroy(s->xdgSurface);
  if (s->surface != nullptr) wl_surface_destroy(s->surface);
  DestroyShmPictures(&s->pictures);
  if (s->saver != nullptr) CloseSaver(s->saver);
  delete s;
}

void DropScreen(Screen* s) {
  Host.screens.erase(std::remove(Host.screens.begin(), Host.screens.end(), s), Host.screens.end());
  DestroyScreen(s);
}

void FrameDone(void* data, wl_callback* callback, uint32_t) {
  Screen* s = static_cast<Screen*>(data);
  wl_callback_destroy(callback);
  s->frame = nullptr;
  s->frameDue = true;
}
const wl_callback_listener kFrameListener = {FrameDone};

// A new logical size: the crop and, where the bars change, the pictures follow.
void Resize(Screen* s, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) {  // the client's choice: the field's size
    width = Host.options.settings.fieldWidth, height = Host.options.settings.fieldHeight;
  }
  if (width != s->width || height != s->height) s->reshape = true;
  s->width = width, s->height = height;
  s->configured = true;
}

// Draws the next frame into a free picture and shows it: 1 when drawn, 0 while the
// compositor still reads both pictures (a release wakes the loop), -1 without memory.
int DrawScreen(Screen* s) {
  const SmokeEngine& e = s->saver->engine;
  if (s->reshape) {
    const FieldView view =
        FitFieldToWindow(e.width, e.height, s->saver->bandHeight, s->width, s->height);
    const FieldCrop crop = FitFieldCrop(e.width, e.height, view);
    if (crop.bufferWidth != s->crop.bufferWidth || crop.bufferHeight != s->crop.bufferHeight ||
        s->pictures.memory == nullptr) {
      DestroyShmPictures(&s->pictures);
      if (!CreateShmPictures(Host.shm, crop.bufferWidth, crop.bufferHeight, &s->pictures)) {
        return -1;
      }
    }
    s->crop = crop;
    wp_viewport_set_source(s->viewport, crop.sourceX, crop.sourceY, crop.sourceWidth,
                           crop.sourceHeight);
    wp_viewport_set_destination(s->viewport, s->width, s->height);
    s->reshape = false;
  }
  ShmPicture* picture = FreeShmPicture(&s->pictures);
  if (picture == nullptr) return 0;
  const int32_t w = s->pictures.width;
  DrawSaverFrame(s->saver, picture->pixels + s->crop.fieldY * w + s->crop.fieldX,
                 static_cast<size_t>(w) * 4);
  picture->busy = true;
  wl_surface_attach(s->surface, picture->buffer, 0, 0);
  wl_surface_damage_buffer(s->surface, 0, 0, w, s->pictures.height);
  s->frame = wl_surface_frame(s->surface);
  wl_callback_add_listener(s->frame, &kFrameListener, s);
  s->frameDue = false;
  wl_surface_commit(s->surface);
  return 1;
}

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                    uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  Resize(static_cast<Screen*>(data), static_cast<int32_t>(width), static_cast<int32_t>(height));
}
void LayerClosed(void* data, zwlr_layer_surface_v1*) { DropScreen(static_cast<Screen*>(data)); }
const zwlr_layer_surface_v1_listener kLayerListener = {LayerConfigure, LayerClosed};

void XdgConfigure(void* data, xdg_surface* surface, uint32_t serial) {
  Screen* s = static_cast<Screen*>(data);
  xdg_surface_ack_configure(surface, serial);
  Resize(s, s->pendingWidth, s->pendingHeight);
}
const xdg_surface_listener kXdgSurfaceListener = {XdgConfigure};

void ToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
  Screen* s = static_cast<Screen*>(data);
  s->pendingWidth = width, s->pendingHeight = height;
}
void ToplevelClose(void*, xdg_toplevel*) { Quit(0); }
void ToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void ToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener kToplevelListener = {ToplevelConfigure, ToplevelClose, ToplevelBounds,
                                                 ToplevelCapabilities};

#if VAPRYX_LIBDECOR
void DecoratedConfigure(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  Screen* s = static_cast<Screen*>(data);
  int width = 0, height = 0;
  if (!libdecor_configuration_get_content_size(configuration, frame, &width, &height)) {
    width = s->width, height = s->height;  // ours to choose: as it is, or the field's size
  }
  Resize(s, width, height);
  libdecor_state* state = libdecor_state_new(s->width, s->height);
  libdecor_frame_commit(frame, state, configuration);
  libdecor_state_free(state);
}
void DecoratedClose(libdecor_frame*, void*) { Quit(0); }
void DecoratedCommit(libdecor_frame*, void* data) {
  wl_surface_commit(static_cast<Screen*>(data)->surface);
}
void DecoratedDismissPopup(libdecor_frame*, const char*, void*) {}
libdecor_frame_interface DecoratedFrame;  // filled in by Decorate: its reserved slots null

void DecorationError(libdecor*, libdecor_error, const char* message) {
  Fail(std::string("window decorations: ") + message);
  Quit(1);
}
libdecor_interface Decorations;

// The window through libdecor: true when it took it.
bool Decorate(Screen* s) {
  Decorations.error = DecorationError;
  DecoratedFrame.configure = DecoratedConfigure;
  DecoratedFrame.close = DecoratedClose;
  DecoratedFrame.commit = DecoratedCommit;
  DecoratedFrame.dismiss_popup = DecoratedDismissPopup;
  if (Host.decorations == nullptr) Host.decorations = libdecor_new(Host.display, &Decorations);
  if (Host.decorations == nullptr) return false;
  s->decorated = libdecor_decorate(Host.decorations, s->surface, &DecoratedFrame, s);
  if (s->decorated == nullptr) return false;
  libdecor_frame_set_title(s->decorated, "Vapryx");
  libdecor_frame_set_app_id(s->decorated, "vapryx");
  libdecor_frame_set_min_content_size(s->decorated, kMinimumWindow, kMinimumWindow);
  libdecor_frame_map(s->decorated);
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: window decorations by libdecor\n");
  return true;
}
#endif

// The program's own window decorated by libdecor, where it is built in; false for
// fullscreen windows, which have none, and where libdecor cannot.
bool DecorateWindow(Screen* s, wl_output* output) {
#if VAPRYX_LIBDECOR
  if (output == nullptr) return Decorate(s);
#endif
  (void)s, (void)output;
  return false;
}

// A saver on a new surface: for a monitor (`output`) or the program's own window (null).
void AddScreen(uint32_t outputName, wl_output* output) {
  const bool background = Host.options.mode == Mode::Background;
  Screen* s = new Screen{};
  s->outputName = outputName;
  s->output = output;
  s->frameDue = true;
  const uint32_t seed = Host.options.haveSeed ? Host.options.seed : FreshSeed();
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: seed %u\n", seed);
  // The unused byte set too: Weston's captures read XRGB pixels as ARGB.
  const PixelFormat xrgb = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u, false};
  s->saver = OpenSaver(Host.options.settings, Host.text.band, seed, xrgb);
  if (s->saver == nullptr) {
    delete s;
    Fail("the smoke engine refused its tables");
    Quit(1);
    return;
  }
  if (!Host.saidNothingDraws) SayWhyNothingDraws(Host.text, *s->saver);
  Host.saidNothingDraws = true;
  s->surface = wl_compositor_create_surface(Host.compositor);
  s->viewport = wp_viewporter_get_viewport(Host.viewporter, s->surface);
  if (output != nullptr && Host.layerShell != nullptr) {
    s->layer = zwlr_layer_shell_v1_get_layer_surface(
        Host.layerShell, s->surface, output,
        background ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "vapryx");
    zwlr_layer_surface_v1_set_anchor(
        s->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                      ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(s->layer, 0, 0);
    zwlr_layer_surface_v1_set_exclusive_zone(s->layer, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, background ? 0 : 1);
    zwlr_layer_surface_v1_add_listener(s->layer, &kLayerListener, s);
  } else if (!DecorateWindow(s, output)) {
    s->xdgSurface = xdg_wm_base_get_xdg_surface(Host.wmBase, s->surface);
    xdg_surface_add_listener(s->xdgSurface, &kXdgSurfaceListener, s);
    s->toplevel = xdg_surface_get_toplevel(s->xdgSurface);
    xdg_toplevel_add_listener(s->toplevel, &kToplevelListener, s);
    xdg_toplevel_set_title(s->toplevel, "Vapryx");
    xdg_toplevel_set_app_id(s->toplevel, "vapryx");
    if (output != nullptr) {
      xdg_toplevel_set_fullscreen(s->toplevel, output);
    } else {
      xdg_toplevel_set_min_size(s->toplevel, kMinimumWindow, kMinimumWindow);
    }
  }
  if (background) {
    // A wallpaper takes no input: clicks and keys go to what is under it.
    wl_region* nothing = wl_compositor_create_region(Host.compositor);
    wl_surface_set_input_region(s->surface, nothing);
    wl_region_destroy(nothing);
  }
#if VAPRYX_LIBDECOR
  if (s->decorated == nullptr) wl_surface_commit(s->surface);  // libdecor commits its own
#else
  wl_surface_commit(s->surface);
#endif
  Host.screens.push_back(s);
}

// The saver on every monitor.
void Show() {
  if (Host.showing) return;
  Host.showing = true;
  Host.travel = PointerTravel{};
  for (const Output& o : Host.outputs) AddScreen(o.name, o.output);
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: showing\n");
}

void Hide() {
  if (!Host.showing) return;
  Host.showing = false;
  while (!Host.screens.empty()) DropScreen(Host.screens.back());
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: hidden\n");
}

bool MonitorMode() {
  return Host.options.mode == Mode::Fullscreen || Host.options.mode == Mode::Background ||
         Host.options.mode == Mode::Idle;
}

// A key, a button or a move of the pointer beyond a nudge.
void Input(bool motion) {
  switch (Host.options.mode) {
    case Mode::Window:
      if (!motion) Quit(0);
      break;
    case Mode::Fullscreen:
      Quit(0);
      break;
    case Mode::Idle:
      Hide();
      break;
    case Mode::Background:
      break;
  }
}

// --- input --------------------------------------------------------------------------------

void KeyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void KeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void KeyboardKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) Input(false);
}

// Whether the pointer is over the smoke rather than a window decoration.
bool PointerOnSmoke() {
  for (const Screen* s : Host.screens) {
    if (s->surface == Host.pointerOn) return true;
  }
  return false;
}
void KeyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener = {KeyboardKeymap, KeyboardEnter,     KeyboardLeave,
                                                KeyboardKey,    KeyboardModifiers, KeyboardRepeat};

void PointerEnter(void*, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                  wl_fixed_t y) {
  Host.pointerOn = surface;
  if (Host.options.mode != Mode::Window) wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  // Positions are the surface's own: a new surface, a new anchor.
  Host.travel = PointerTravel{};
  PointerMovedFar(&Host.travel, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void PointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) { Host.pointerOn = nullptr; }
void PointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  if (PointerOnSmoke() &&
      PointerMovedFar(&Host.travel, wl_fixed_to_double(x), wl_fixed_to_double(y))) {
    Input(true);
  }
}
void PointerButton(void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  // A click on a decoration moves, resizes or closes the window: libdecor's.
  if (state == WL_POINTER_BUTTON_STATE_PRESSED && PointerOnSmoke()) Input(false);
}
void PointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void PointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener kPointerListener = {
    PointerEnter, PointerLeave,      PointerMotion,   PointerButton,       PointerAxis,
    PointerFrame, PointerAxisSource, PointerAxisStop, PointerAxisDiscrete, PointerAxisValue120};

void SeatCapabilities(void*, wl_seat* seat, uint32_t capabilities) {
  const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
  const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
  if (keyboard && Host.keyboard == nullptr) {
    Host.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(Host.keyboard, &kKeyboardListener, nullptr);
  } else if (!keyboard && Host.keyboard != nullptr) {
    if (wl_keyboard_get_version(Host.keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
      wl_keyboard_release(Host.keyboard);
    } else {
      wl_keyboard_destroy(Host.keyboard);
    }
    Host.keyboard = nullptr;
  }
  if (pointer && Host.pointer == nullptr) {
    Host.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(Host.pointer, &kPointerListener, nullptr);
  } else if (!pointer && Host.pointer != nullptr) {
    if (wl_pointer_get_version(Host.pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
      wl_pointer_release(Host.pointer);
    } else {
      wl_pointer_destroy(Host.pointer);
    }
    Host.pointer = nullptr;
  }
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {SeatCapabilities, SeatName};

// --- idle ---------------------------------------------------------------------------------

void Idled(void*, ext_idle_notification_v1*) { Show(); }
void Resumed(void*, ext_idle_notification_v1*) { Hide(); }
const ext_idle_notification_v1_listener kIdleListener = {Idled, Resumed};

void KdeIdle(void*, org_kde_kwin_idle_timeout*) { Show(); }
void KdeResumed(void*, org_kde_kwin_idle_timeout*) { Hide(); }
const org_kde_kwin_idle_timeout_listener kKdeIdleListener = {KdeIdle, KdeResumed};

// --- globals ------------------------------------------------------------------------------

void Ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener = {Ping};

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  const std::string i = interface;
  if (i == wl_compositor_interface.name) {
    Host.compositor = Bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
  } else if (i == wl_shm_interface.name) {
    Host.shm = Bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (i == xdg_wm_base_interface.name) {
    Host.wmBase = Bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 2);
    xdg_wm_base_add_listener(Host.wmBase, &kWmBaseListener, nullptr);
  } else if (i == zwlr_layer_shell_v1_interface.name) {
    Host.layerShell =
        Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 4);
  } else if (i == wp_viewporter_interface.name) {
    Host.viewporter = Bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
  } else if (i == wl_seat_interface.name && Host.seat == nullptr) {
    Host.seat = Bind<wl_seat>(registry, name, &wl_seat_interface, version, 5);
    wl_seat_add_listener(Host.seat, &kSeatListener, nullptr);
  } else if (i == ext_idle_notifier_v1_interface.name) {
    Host.idleNotifier =
        Bind<ext_idle_notifier_v1>(registry, name, &ext_idle_notifier_v1_interface, version, 1);
  } else if (i == org_kde_kwin_idle_interface.name) {
    Host.kdeIdle =
        Bind<org_kde_kwin_idle>(registry, name, &org_kde_kwin_idle_interface, version, 1);
  } else if (i == wl_output_interface.name) {
    wl_output* output = Bind<wl_output>(registry, name, &wl_output_interface, version, 3);
    Host.outputs.push_back(Output{name, output});
    // A monitor plugged in while the saver shows gets its own.
    if (Host.showing && MonitorMode()) AddScreen(name, output);
  }
}

void GlobalRemove(void*, wl_registry*, uint32_t name) {
  for (size_t i = 0; i < Host.screens.size(); ++i) {
    if (Host.screens[i]->outputName == name) {
      DropScreen(Host.screens[i]);
      break;
    }
  }
  for (auto o = Host.outputs.begin(); o != Host.outputs.end(); ++o) {
    if (o->name == name) {
      if (wl_output_get_version(o->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
        wl_output_release(o->output);
      } else {
        wl_output_destroy(o->output);
      }
      Host.outputs.erase(o);
      break;
    }
  }
}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

// --- the loop -----------------------------------------------------------------------------

int LostConnection() {
  const int error = wl_display_get_error(Host.display);
  return Fail(std::string("lost the connection to the Wayland compositor") +
              (error != 0 ? std::string(" (") + std::strerror(error) + ")" : ""));
}

// How long the loop may wait for the compositor, in milliseconds: until the next surface
// whose frame the compositor asked for is due (0 for one due now), or for ever (-1). A
// surface whose pictures are both with the compositor waits for one to be released.
int WaitMilliseconds() {
  double wake = -1;
  for (Screen* s : Host.screens) {
    if (!s->configured || !s->frameDue) continue;
    if (s->pictures.memory != nullptr && FreeShmPicture(&s->pictures) == nullptr) continue;
    wake = wake < 0 ? s->nextFrame : std::min(wake, s->nextFrame);
  }
  if (wake < 0) return -1;
  // Rounded up: a wait that ends early would spin until the deadline.
  return std::max(0, static_cast<int>((wake - Now()) * 1000) + 1);
}

int Run() {
  wl_display* d = Host.display;
  pollfd connection = {wl_display_get_fd(d), POLLIN, 0};
  double reportStart = Now();
  long frames = 0;
  while (!Host.done) {
#if VAPRYX_LIBDECOR
    // Before the frames: what it dispatches may be a surface's frame callback.
    if (Host.decorations != nullptr && libdecor_dispatch(Host.decorations, 0) < 0) {
      return LostConnection();
    }
#endif
    // Draw every surface whose frame the compositor asked for and whose time has come.
    const double now = Now();
    for (size_t i = 0; i < Host.screens.size(); ++i) {
      Screen* s = Host.screens[i];
      if (!s->configured || !s->frameDue || now + 0.0005 < s->nextFrame) continue;
      const int drawn = DrawScreen(s);
      if (drawn < 0) return Fail("cannot have shared memory for a picture");
      if (drawn == 0) continue;  // both pictures with the compositor: a release wakes us
      ++frames;
      // A late frame starts the next one at once instead of piling up.
      s->nextFrame = std::max(s->nextFrame + Host.period, now);
    }
    if (Host.options.verbose && now - reportStart >= 5.0) {
      std::fprintf(stderr, "vapryx: %ld frames in %.1f s on %zu surfaces\n", frames,
                   now - reportStart, Host.screens.size());
      frames = 0, reportStart = now;
    }
    while (wl_display_prepare_read(d) != 0) {
      if (wl_display_dispatch_pending(d) < 0) return LostConnection();
    }
    if (Host.done) {  // an input just dispatched ended it
      wl_display_cancel_read(d);
      break;
    }
    // What the socket would not take yet goes when it can.
    connection.events = POLLIN;
    if (wl_display_flush(d) < 0) {
      if (errno != EAGAIN) {
        wl_display_cancel_read(d);
        return LostConnection();
      }
      connection.events |= POLLOUT;
    }
    // Computed after everything queued was dispatched, which may have made a surface due.
    const int ready = poll(&connection, 1, WaitMilliseconds());
    if (ready > 0 && (connection.revents & POLLIN)) {
      if (wl_display_read_events(d) < 0) return LostConnection();
    } else {
      wl_display_cancel_read(d);
      if (ready < 0 && errno != EINTR) return Fail(std::string("poll: ") + std::strerror(errno));
      if (ready > 0 && (connection.revents & (POLLERR | POLLHUP))) return LostConnection();
    }
    if (wl_display_dispatch_pending(d) < 0) return LostConnection();
  }
  return Host.status;
}

}  // namespace

int RunWayland(const ProgramOptions& options, bool fallBack) {
  Host.options = options;
  Host.period = options.delay * 1e-6;
  if (!Host.options.colorName.empty()) {
    return Fail("bad value '" + Host.options.colorName +
                "' for --color: colour names need X11; on Wayland give RRGGBB");
  }
  Host.display = wl_display_connect(nullptr);
  if (Host.display == nullptr) {
    if (fallBack) return kNoWayland;
    return Fail("cannot connect to the Wayland compositor (is WAYLAND_DISPLAY set?)");
  }
  Host.registry = wl_display_get_registry(Host.display);
  wl_registry_add_listener(Host.registry, &kRegistryListener, nullptr);
  if (wl_display_roundtrip(Host.display) < 0 || wl_display_roundtrip(Host.display) < 0) {
    return LostConnection();
  }
  const Mode mode = Host.options.mode;
  if (Host.compositor == nullptr || Host.shm == nullptr) {
    return Fail("the compositor offers no wl_compositor or wl_shm");
  }
  if (Host.viewporter == nullptr) {
    return Fail("the compositor offers no wp_viewporter, which vapryx needs to scale");
  }
  if (mode == Mode::Background && Host.layerShell == nullptr) {
    return Fail("--background needs the compositor's wlr-layer-shell, which it does not offer");
  }
  if (Host.wmBase == nullptr && (mode == Mode::Window || Host.layerShell == nullptr)) {
    return Fail(mode == Mode::Window
                    ? "the compositor offers no xdg-shell for a window"
                    : "the compositor offers neither wlr-layer-shell nor xdg-shell");
  }
  if (mode == Mode::Idle) {
    if (Host.seat == nullptr) return Fail("--idle needs a seat, and the compositor has none");
    const uint32_t ms = static_cast<uint32_t>(Host.options.idleSeconds) * 1000;
    if (Host.idleNotifier != nullptr) {
      Host.idleNotification =
          ext_idle_notifier_v1_get_idle_notification(Host.idleNotifier, ms, Host.seat);
      ext_idle_notification_v1_add_listener(Host.idleNotification, &kIdleListener, nullptr);
    } else if (Host.kdeIdle != nullptr) {
      Host.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(Host.kdeIdle, Host.seat, ms);
      org_kde_kwin_idle_timeout_add_listener(Host.kdeTimeout, &kKdeIdleListener, nullptr);
    } else {
      return Fail(
          "--idle needs the compositor to say when the user is idle "
          "(ext-idle-notify-v1 or org_kde_kwin_idle), and it does not");
    }
    if (Host.options.verbose) {
      std::fprintf(stderr, "vapryx: waiting for %d s without input (%s)\n",
                   Host.options.idleSeconds,
                   Host.idleNotifier != nullptr ? "ext-idle-notify-v1" : "org_kde_kwin_idle");
    }
  }

  RenderSaverText(Host.options, &Host.text);
  if (mode == Mode::Window) {
    Host.showing = true;
    AddScreen(0, nullptr);
  } else if (mode != Mode::Idle) {
    if (Host.outputs.empty() && Host.options.verbose) {
      std::fprintf(stderr, "vapryx: no monitor yet\n");
    }
    Show();
  }
  if (Host.options.verbose && MonitorMode()) {
    std::fprintf(stderr, "vapryx: %s\n",
                 Host.layerShell != nullptr ? "layer-shell surfaces"
                                            : "fullscreen windows (no layer shell)");
  }
  const int status = Run();
  Hide();
#if VAPRYX_LIBDECOR
  if (Host.decorations != nullptr) libdecor_unref(Host.decorations);
#endif
  wl_display_flush(Host.display);
  return status;
}
