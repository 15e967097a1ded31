// main_wayland.cpp: vapryx on Wayland.
//
//   (no mode)     a window of its own (xdg-shell), closed by a key, a click or the compositor,
//                 its decorations drawn by libdecor where the compositor does not draw them
//   --fullscreen  one overlay surface per monitor (wlr-layer-shell), each with its own smoke,
//                 ended by a key, a button, a touch or a move of the pointer beyond a nudge;
//                 where the compositor has no layer shell, one fullscreen window per monitor
//   --idle N      waits for N seconds without input (ext-idle-notify-v1, or KDE's idle
//                 protocol), shows the --fullscreen saver until the next input, and waits again
//   --background  one bottom-layer surface per monitor that takes no input: a wallpaper
//
// One --idle and one --background per session: a second says so and leaves.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/main_linux.h"
#include "host/wayland.h"

WaylandHost Host;

namespace {

using Mode = ProgramOptions::Mode;

void Show() {
  ResetPointerTravel();
  if (Host.options.mode == Mode::Window) {
    AddScreen(0, nullptr);
  } else {
    for (const Output& o : Host.outputs) AddScreen(o.name, o.output);
  }
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: showing\n");
}

void Hide() {
  while (!Host.screens.empty()) DropScreen(Host.screens.back());
  if (Host.options.verbose) std::fprintf(stderr, "vapryx: hidden\n");
}

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

// Draws every surface whose frame the compositor asked for and whose time has come; false
// without memory for a picture.
bool DrawDueScreens(long* frames) {
  const double now = Now();
  for (size_t i = 0; i < Host.screens.size(); ++i) {
    Screen* s = Host.screens[i];
    if (!s->configured || !s->frameDue || now + 0.0005 < s->nextFrame) continue;
    const int drawn = DrawScreen(s);
    if (drawn < 0) return false;
    if (drawn == 0) continue;  // both pictures with the compositor: a release wakes us
    ++*frames;
    // A late frame starts the next one at once instead of piling up.
    s->nextFrame = std::max(s->nextFrame + Host.period, now);
  }
  return true;
}

// The loop only dispatches: the compositor's events, then the surfaces that are due.
int Run() {
  wl_display* d = Host.display;
  pollfd fds[2] = {{wl_display_get_fd(d), POLLIN, 0}, {MutterBusFd(), 0, 0}};
  pollfd& connection = fds[0];
  double reportStart = Now();
  long frames = 0;
  while (!Host.done) {
    // Before the frames: what it dispatches may be a surface's frame callback.
    if (!DispatchDecorations()) return LostConnection();
    // The bus asks for nothing in the poll while it holds messages not yet handled.
    if (!DispatchMutterBus()) return Fail("lost the connection to the session bus");
    if (!DrawDueScreens(&frames)) return Fail("cannot have shared memory for a picture");
    const double now = Now();
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
    fds[1].events = MutterBusEvents();
    // Computed after everything queued was dispatched, which may have made a surface due.
    const int ready = poll(fds, fds[1].fd >= 0 ? 2 : 1, WaitMilliseconds());
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

// One --idle and one --background per session: a lock in the session's runtime folder,
// named for the compositor's socket, held until the process ends. True when this process
// holds it, or where there is no runtime folder to keep one in.
bool FirstInSession(Mode mode) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* display = std::getenv("WAYLAND_DISPLAY");
  if (runtime == nullptr || *runtime == '\0') return true;
  std::string socket = display != nullptr && *display != '\0' ? display : "wayland-0";
  if (socket[0] != '/') socket = std::string(runtime) + "/" + socket;  // one name per socket
  std::replace(socket.begin(), socket.end(), '/', '_');
  const std::string path = std::string(runtime) + "/vapryx-" + socket +
                           (mode == Mode::Idle ? "-idle" : "-background") + ".lock";
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return true;  // no lock to be had: better two than none
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;  // kept open: held for the run
  const int error = errno;
  close(fd);
  return error != EWOULDBLOCK;
}

}  // namespace

void Quit(int status) {
  if (!Host.done) Host.done = true, Host.status = status;
}

void HandleModeEvent(ModeEvent event, uint32_t outputName) {
  switch (NextModeAction(&Host.modes, event)) {
    case ModeAction::None:
      break;
    case ModeAction::Show:
      Show();
      break;
    case ModeAction::Hide:
      Hide();
      break;
    case ModeAction::Quit:
      Quit(0);
      break;
    case ModeAction::AddSurface:
    case ModeAction::RemakeSurface:
      if (const Output* o = FindOutput(outputName)) AddScreen(o->name, o->output);
      break;
    case ModeAction::DropSurface:
      if (Screen* s = FindScreen(outputName)) DropScreen(s);
      break;
  }
}

int RunWayland(const ProgramOptions& options, bool fallBack) {
  Host.options = options;
  Host.period = options.delay * 1e-6;
  Host.modes = ModeState{options.mode, false};
  const Mode mode = options.mode;
  if (options.fps) return Fail("--fps draws on X11 only; on Wayland leave it out");
  // A connection handed over (swaylock-plugin's): how many run is the giver's to say.
  const bool handedOver = std::getenv("WAYLAND_SOCKET") != nullptr;
  Host.display = wl_display_connect(nullptr);
  if (Host.display == nullptr) {
    if (fallBack) return kNoWayland;
    return Fail("cannot connect to the Wayland compositor (is WAYLAND_DISPLAY set?)");
  }
  if (!Host.options.colorName.empty()) {
    std::string error;
    if (!ResolveColorName(Host.options.colorName, &Host.options.settings.color, &error)) {
      return Fail(error);
    }
  }
  ListenToRegistry();
  if (wl_display_roundtrip(Host.display) < 0 || wl_display_roundtrip(Host.display) < 0) {
    return LostConnection();
  }
  if (const char* missing = MissingGlobals()) return Fail(missing);
  if ((mode == Mode::Idle || mode == Mode::Background) && !handedOver && !FirstInSession(mode)) {
    std::fprintf(stderr, "vapryx: %s runs already in this session\n",
                mode == Mode::Idle ? "--idle" : "--background");
    return 0;
  }
  if (mode == Mode::Idle) {
    if (const char* why = StartIdleness()) return Fail(why);
  }
  if (mode == Mode::Idle && Host.options.verbose) {
    std::fprintf(stderr, "vapryx: waiting for %d s without input (%s)\n", Host.options.idleSeconds,
                 IdleProtocolName());
  }

  RenderSaverText(Host.options, &Host.text);
  if (mode != Mode::Window && Host.outputs.empty() && Host.options.verbose) {
    std::fprintf(stderr, "vapryx: no monitor yet\n");
  }
  HandleModeEvent(ModeEvent::Start);
  if (Host.options.verbose && mode != Mode::Window) {
    std::fprintf(stderr, "vapryx: %s\n",
                 Host.layerShell != nullptr ? "layer-shell surfaces"
                                            : "fullscreen windows (no layer shell)");
  }
  const int status = Run();
  EndMutterIdleness();
  Hide();
  EndDecorations();
  wl_display_flush(Host.display);
  return status;
}
