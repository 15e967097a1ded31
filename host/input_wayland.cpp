// input_wayland.cpp: the seats, each with the keyboard, pointer and touch screen it has at
// the moment. Keys, buttons, touches and scrolls on the smoke are presses; the pointer
// moving beyond a nudge (the pointer rule) is a move. Seats may come and go.
#include <unistd.h>

#include <algorithm>

#include "host/wayland.h"

namespace {

Seat* Owner(void* data) { return static_cast<Seat*>(data); }

void KeyboardKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void KeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void KeyboardKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) HandleModeEvent(ModeEvent::Press);
}
void KeyboardModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener = {KeyboardKeymap, KeyboardEnter,     KeyboardLeave,
                                                KeyboardKey,    KeyboardModifiers, KeyboardRepeat};

void PointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                  wl_fixed_t x, wl_fixed_t y) {
  Seat* seat = Owner(data);
  seat->pointerOn = surface;
  if (Host.options.mode != ProgramOptions::Mode::Window) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  }
  // Positions are the surface's own: a new surface, a new anchor.
  seat->travel = PointerTravel{};
  PointerMovedFar(&seat->travel, wl_fixed_to_double(x), wl_fixed_to_double(y));
}
void PointerLeave(void* data, wl_pointer*, uint32_t, wl_surface*) {
  Owner(data)->pointerOn = nullptr;
}
void PointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
  Seat* seat = Owner(data);
  if (IsSmokeSurface(seat->pointerOn) &&
      PointerMovedFar(&seat->travel, wl_fixed_to_double(x), wl_fixed_to_double(y))) {
    HandleModeEvent(ModeEvent::PointerMoved);
  }
}
// A click or scroll on a decoration is libdecor's (move, resize, close).
void PointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED && IsSmokeSurface(Owner(data)->pointerOn)) {
    HandleModeEvent(ModeEvent::Press);
  }
}
void PointerAxis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {
  if (IsSmokeSurface(Owner(data)->pointerOn)) HandleModeEvent(ModeEvent::Press);
}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void PointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener kPointerListener = {
    PointerEnter, PointerLeave,      PointerMotion,   PointerButton,       PointerAxis,
    PointerFrame, PointerAxisSource, PointerAxisStop, PointerAxisDiscrete, PointerAxisValue120};

void TouchDown(void*, wl_touch*, uint32_t, uint32_t, wl_surface* surface, int32_t, wl_fixed_t,
               wl_fixed_t) {
  if (IsSmokeSurface(surface)) HandleModeEvent(ModeEvent::Press);
}
void TouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void TouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchFrame(void*, wl_touch*) {}
void TouchCancel(void*, wl_touch*) {}
void TouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}
const wl_touch_listener kTouchListener = {TouchDown,   TouchUp,    TouchMotion,     TouchFrame,
                                          TouchCancel, TouchShape, TouchOrientation};

// Released where the seat's version can say so, destroyed otherwise.
template <typename Device>
void Release(Device** device, uint32_t releaseSince, void (*release)(Device*),
             void (*destroy)(Device*)) {
  if (*device == nullptr) return;
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(*device)) >= releaseSince) {
    release(*device);
  } else {
    destroy(*device);
  }
  *device = nullptr;
}

void ReleaseDevices(Seat* seat, uint32_t capabilities) {
  if (!(capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) {
    Release(&seat->keyboard, WL_KEYBOARD_RELEASE_SINCE_VERSION, wl_keyboard_release,
            wl_keyboard_destroy);
  }
  if (!(capabilities & WL_SEAT_CAPABILITY_POINTER)) {
    Release(&seat->pointer, WL_POINTER_RELEASE_SINCE_VERSION, wl_pointer_release,
            wl_pointer_destroy);
    seat->pointerOn = nullptr;
  }
  if (!(capabilities & WL_SEAT_CAPABILITY_TOUCH)) {
    Release(&seat->touch, WL_TOUCH_RELEASE_SINCE_VERSION, wl_touch_release, wl_touch_destroy);
  }
}

void SeatCapabilities(void* data, wl_seat* wlSeat, uint32_t capabilities) {
  Seat* seat = Owner(data);
  if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && seat->keyboard == nullptr) {
    seat->keyboard = wl_seat_get_keyboard(wlSeat);
    wl_keyboard_add_listener(seat->keyboard, &kKeyboardListener, seat);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && seat->pointer == nullptr) {
    seat->pointer = wl_seat_get_pointer(wlSeat);
    wl_pointer_add_listener(seat->pointer, &kPointerListener, seat);
  }
  if ((capabilities & WL_SEAT_CAPABILITY_TOUCH) && seat->touch == nullptr) {
    seat->touch = wl_seat_get_touch(wlSeat);
    wl_touch_add_listener(seat->touch, &kTouchListener, seat);
  }
  ReleaseDevices(seat, capabilities);
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {SeatCapabilities, SeatName};

}  // namespace

void AddSeat(uint32_t name, wl_seat* wlSeat) {
  Seat* seat = new Seat{};
  seat->name = name;
  seat->seat = wlSeat;
  wl_seat_add_listener(wlSeat, &kSeatListener, seat);
  Host.seats.push_back(seat);
}

void RemoveSeat(uint32_t name) {
  for (auto i = Host.seats.begin(); i != Host.seats.end(); ++i) {
    Seat* seat = *i;
    if (seat->name != name) continue;
    Host.seats.erase(i);
    ForgetIdleSeat(seat);
    ReleaseDevices(seat, 0);
    if (wl_seat_get_version(seat->seat) >= WL_SEAT_RELEASE_SINCE_VERSION) {
      wl_seat_release(seat->seat);
    } else {
      wl_seat_destroy(seat->seat);
    }
    delete seat;
    return;
  }
}

void ResetPointerTravel() {
  for (Seat* seat : Host.seats) seat->travel = PointerTravel{};
}
