// surface_wayland.cpp: one surface showing a saver, with its role: an overlay or background
// layer surface per monitor (wlr-layer-shell), a fullscreen window per monitor where the
// compositor has no layer shell, or the program's own window (xdg-shell, decorated by
// libdecor where the compositor draws no decorations).
//
// Each shows a picture of the part of the field it shows, that the compositor scales
// (wp_viewporter) to the surface's logical size. A surface draws only after the compositor
// asked for its next frame, so a monitor that shows nothing costs nothing.
#include <algorithm>
#include <cstdio>
#include <string>

#include "host/wayland.h"
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

void FrameDone(void* data, wl_callback* callback, uint32_t) {
  Screen* s = static_cast<Screen*>(data);
  wl_callback_destroy(callback);
  s->frame = nullptr;
  s->frameDue = true;
}
const wl_callback_listener kFrameListener = {FrameDone};

// A new logical size: the crop and, where the buffer's layout changes, the pictures follow.
void Resize(Screen* s, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) {  // the client's choice: the field's size
    width = Host.options.settings.fieldWidth, height = Host.options.settings.fieldHeight;
  }
  if (width != s->width || height != s->height) s->reshape = true;
  s->width = width, s->height = height;
  s->configured = true;
}

// Whether two crops lay their buffers out alike (the bars stay black only then).
bool SameLayout(const FieldCrop& a, const FieldCrop& b) {
  return a.bufferWidth == b.bufferWidth && a.bufferHeight == b.bufferHeight &&
         a.fieldX == b.fieldX && a.fieldY == b.fieldY && a.held.width == b.held.width &&
         a.held.height == b.held.height;
}

// An overlay closed by the compositor: gone now, made again once everything the compositor
// said with it has arrived (a monitor switched off closes it just before it goes).
void SurfaceClosedSynced(void* data, wl_callback* callback, uint32_t) {
  wl_callback_destroy(callback);
  const uint32_t name = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data));
  if (FindOutput(name) != nullptr && FindScreen(name) == nullptr) {
    HandleModeEvent(ModeEvent::SurfaceClosed, name);
  }
}
const wl_callback_listener kSurfaceClosedListener = {SurfaceClosedSynced};

void LayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                    uint32_t height) {
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  Resize(static_cast<Screen*>(data), static_cast<int32_t>(width), static_cast<int32_t>(height));
}
void LayerClosed(void* data, zwlr_layer_surface_v1*) {
  Screen* s = static_cast<Screen*>(data);
  const uintptr_t name = s->outputName;
  // One closed as soon as it was made stays closed: no loop with the compositor.
  const bool again = Now() - s->made >= 1.0;
  DropScreen(s);
  if (!again) return;
  wl_callback_add_listener(wl_display_sync(Host.display), &kSurfaceClosedListener,
                           reinterpret_cast<void*>(name));
}
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
void ToplevelClose(void*, xdg_toplevel*) { HandleModeEvent(ModeEvent::WindowClosed); }
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
void DecoratedClose(libdecor_frame*, void*) { HandleModeEvent(ModeEvent::WindowClosed); }
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

void MakeLayerSurface(Screen* s, wl_output* output) {
  const bool background = Host.options.mode == Mode::Background;
  // A wallpaper on the bottom layer: the compositor's own wallpaper client (swaybg) holds
  // the background layer, where the newest surface may be drawn lowest.
  s->layer = zwlr_layer_shell_v1_get_layer_surface(
      Host.layerShell, s->surface, output,
      background ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
      "vapryx");
  zwlr_layer_surface_v1_set_anchor(
      s->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  zwlr_layer_surface_v1_set_size(s->layer, 0, 0);
  // The saver covers panels too; a wallpaper leaves them the room they keep.
  zwlr_layer_surface_v1_set_exclusive_zone(s->layer, background ? 0 : -1);
  zwlr_layer_surface_v1_set_keyboard_interactivity(s->layer, background ? 0 : 1);
  zwlr_layer_surface_v1_add_listener(s->layer, &kLayerListener, s);
}

void MakeWindow(Screen* s, wl_output* output) {
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

}  // namespace

void AddScreen(uint32_t outputName, wl_output* output) {
  Screen* s = new Screen{};
  s->outputName = outputName;
  s->output = output;
  s->frameDue = true;
  s->made = Now();
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
    MakeLayerSurface(s, output);
  } else if (!DecorateWindow(s, output)) {
    MakeWindow(s, output);
  }
  if (Host.options.mode == Mode::Background) {
    // A wallpaper takes no input: clicks and keys go to what is under it.
    wl_region* nothing = wl_compositor_create_region(Host.compositor);
    wl_surface_set_input_region(s->surface, nothing);
    wl_region_destroy(nothing);
  }
  if (s->decorated == nullptr) wl_surface_commit(s->surface);  // libdecor commits its own
  Host.screens.push_back(s);
}

void DropScreen(Screen* s) {
  // A destroyed surface gets no leave, and its address may come back as another's.
  for (Seat* seat : Host.seats) {
    if (seat->pointerOn == s->surface) seat->pointerOn = nullptr;
  }
  Host.screens.erase(std::remove(Host.screens.begin(), Host.screens.end(), s), Host.screens.end());
  DestroyScreen(s);
}

Screen* FindScreen(uint32_t outputName) {
  for (Screen* s : Host.screens) {
    if (s->outputName == outputName) return s;
  }
  return nullptr;
}

bool IsSmokeSurface(const wl_surface* surface) {
  for (const Screen* s : Host.screens) {
    if (s->surface == surface) return true;
  }
  return false;
}

int DrawScreen(Screen* s) {
  const SmokeEngine& e = s->saver->engine;
  if (s->reshape) {
    const FieldView view =
        FitFieldToWindow(e.width, e.height, s->saver->bandHeight, s->width, s->height);
    const FieldCrop crop = FitFieldCrop(e.width, e.height, view);
    if (!SameLayout(crop, s->crop) || s->pictures.memory == nullptr) {
      DestroyShmPictures(&s->pictures);
      if (!CreateShmPictures(Host.shm, crop.bufferWidth, crop.bufferHeight, &s->pictures)) {
        return -1;
      }
    }
    s->crop = crop;
    if (crop.wholeBuffer) {
      const wl_fixed_t unset = wl_fixed_from_int(-1);
      wp_viewport_set_source(s->viewport, unset, unset, unset, unset);
    } else {
      wp_viewport_set_source(s->viewport, crop.sourceX, crop.sourceY, crop.sourceWidth,
                             crop.sourceHeight);
    }
    wp_viewport_set_destination(s->viewport, s->width, s->height);
    s->reshape = false;
  }
  ShmPicture* picture = FreeShmPicture(&s->pictures);
  if (picture == nullptr) return 0;
  const int32_t w = s->pictures.width;
  DrawSaverFramePart(s->saver, s->crop.held, picture->pixels + s->crop.fieldY * w + s->crop.fieldX,
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

bool DispatchDecorations() {
#if VAPRYX_LIBDECOR
  return Host.decorations == nullptr || libdecor_dispatch(Host.decorations, 0) >= 0;
#else
  return true;
#endif
}

void EndDecorations() {
#if VAPRYX_LIBDECOR
  if (Host.decorations != nullptr) libdecor_unref(Host.decorations);
  Host.decorations = nullptr;
#endif
}
