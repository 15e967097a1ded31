// wayland.h: the Wayland front end's rooms and the one record they share.
//
//   globals_wayland.cpp  the registry: what the compositor offers, monitors coming and going
//   surface_wayland.cpp  one surface with its role (overlay, background, window), its
//                        pictures and frame pacing
//   input_wayland.cpp    seats and their keyboards, pointers and touch screens
//   idle_wayland.cpp     the compositor's word on idleness (ext-idle-notify-v1, KDE's)
//   main_wayland.cpp     start-up, the modes' actions carried out, the loop
//
// Each protocol callback turns its event into a ModeEvent (host/modes.h) and hands it to
// HandleModeEvent, where what to show, hide or end is decided; a surface the compositor
// closed is only forgotten where it closed.
#pragma once
#include <wayland-client.h>

#include <cstdint>
#include <vector>

#include "host/input.h"
#include "host/modes.h"
#include "host/start_posix.h"
#include "present/buffer_wayland.h"
#include "present/scale.h"
#include "settings/options.h"

struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;
struct wp_viewporter;
struct wp_viewport;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct libdecor;
struct libdecor_frame;
struct sd_bus;

// One surface showing a saver: a monitor's, or the program's own window.
struct Screen {
  uint32_t outputName;  // the wl_output global it covers, 0 for the window
  wl_output* output;
  wl_surface* surface;
  wp_viewport* viewport;
  zwlr_layer_surface_v1* layer;
  xdg_surface* xdgSurface;
  xdg_toplevel* toplevel;
  libdecor_frame* decorated;  // the window, where libdecor decorates it
  wl_callback* frame;
  bool configured;
  bool frameDue;          // the compositor wants the next frame (or none was drawn yet)
  int32_t width, height;  // logical size; 0 until configured
  int32_t pendingWidth, pendingHeight;
  bool reshape;
  double nextFrame;
  double made;  // when it was made
  SaverCore* saver;
  FieldCrop crop;
  ShmPictures pictures;
};

struct Output {
  uint32_t name;
  wl_output* output;
};

// GNOME's IdleMonitor, where it tells idleness.
struct MutterIdle {
  sd_bus* bus;
  uint32_t idleWatch;
  uint32_t activeWatch;  // 0 while none is asked for
  uint64_t idleMilliseconds;
};

struct Seat {
  uint32_t name;
  wl_seat* seat;
  wl_keyboard* keyboard;
  wl_pointer* pointer;
  wl_touch* touch;
  wl_surface* pointerOn;  // the surface under the pointer, ours or a decoration's
  PointerTravel travel;
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
  ext_idle_notifier_v1* idleNotifier;
  org_kde_kwin_idle* kdeIdle;
  ext_idle_notification_v1* idleNotification;
  org_kde_kwin_idle_timeout* kdeTimeout;
  bool idleStarted;  // --idle has begun watching (not during the start-up roundtrips)
  Seat* idleSeat;    // the seat whose idleness is watched
  MutterIdle mutter;
  std::vector<Output> outputs;
  std::vector<Seat*> seats;
  std::vector<Screen*> screens;
  libdecor* decorations;
  ModeState modes;
  bool done;
  int status;
  bool saidNothingDraws;
};

extern WaylandHost Host;

// main_wayland.cpp
void HandleModeEvent(ModeEvent event, uint32_t outputName = 0);
void Quit(int status);

// globals_wayland.cpp
void ListenToRegistry();
// Why the compositor cannot run the mode, or null when it can.
const char* MissingGlobals();
const Output* FindOutput(uint32_t name);

// surface_wayland.cpp
// A saver on a new surface: for a monitor (`output`) or the program's own window (null).
void AddScreen(uint32_t outputName, wl_output* output);
void DropScreen(Screen* screen);
Screen* FindScreen(uint32_t outputName);
// Whether the surface is one showing the smoke (not a window decoration).
bool IsSmokeSurface(const wl_surface* surface);
// Draws the next frame into a free picture and shows it: 1 when drawn, 0 while the
// compositor still reads both pictures (a release wakes the loop), -1 without memory.
int DrawScreen(Screen* screen);
// libdecor's own events, where it decorates the window; false when its connection failed.
bool DispatchDecorations();
void EndDecorations();

// input_wayland.cpp
void AddSeat(uint32_t name, wl_seat* seat);
void RemoveSeat(uint32_t name);
// A new anchor for the pointer rule on every seat (when the saver shows).
void ResetPointerTravel();

// idle_wayland.cpp
// Starts watching idleness, by a protocol or else GNOME's D-Bus service; why not, or null.
const char* StartIdleness();
// Watches the first seat's idleness, where none is watched yet.
void WatchIdleness();
// The watched seat is going: watch another, if there is one.
void ForgetIdleSeat(Seat* seat);
const char* IdleProtocolName();

// idle_mutter.cpp: GNOME's IdleMonitor on the session bus, where no protocol tells idleness.
bool WatchMutterIdleness(uint32_t milliseconds);
// The bus connection for the loop's poll: -1 where there is none.
int MutterBusFd();
short MutterBusEvents();
// Handles what the bus brought; false when the connection is lost.
bool DispatchMutterBus();
void EndMutterIdleness();
