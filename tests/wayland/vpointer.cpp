// vpointer.cpp: the Wayland end-to-end tests' pointer. Makes a virtual pointer on a wlroots
// compositor's seat (or, on KWin, which has no such thing, uses its fake input) and moves it,
// relative, by each DX,DY given, one motion event each, a tenth of a second apart; "click"
// presses and releases the left button, "scroll" turns the wheel a notch, "key" presses and
// releases X (KWin only: wlroots' keyboard is wtype's).
//   usage: vpointer DX,DY|click|scroll|key...
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "fake-input-client.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace {

wl_seat* Seat;
zwlr_virtual_pointer_manager_v1* Manager;
org_kde_kwin_fake_input* Fake;
zwlr_virtual_pointer_v1* Pointer;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && Seat == nullptr) {
    Seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    Manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
    Fake = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(
        registry, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4));
  }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry = {Global, GlobalRemove};

uint32_t Milliseconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

void Button(uint32_t state) {
  if (Pointer == nullptr) return org_kde_kwin_fake_input_button(Fake, BTN_LEFT, state);
  zwlr_virtual_pointer_v1_button(Pointer, Milliseconds(), BTN_LEFT, state);
  zwlr_virtual_pointer_v1_frame(Pointer);
}

// One step; false for one not understood.
bool Step(const std::string& step) {
  double dx = 0, dy = 0;
  if (step == "click") {
    Button(WL_POINTER_BUTTON_STATE_PRESSED);
    Button(WL_POINTER_BUTTON_STATE_RELEASED);
  } else if (step == "key") {
    if (Fake == nullptr || org_kde_kwin_fake_input_get_version(Fake) < 4) return false;
    org_kde_kwin_fake_input_keyboard_key(Fake, KEY_X, WL_KEYBOARD_KEY_STATE_PRESSED);
    org_kde_kwin_fake_input_keyboard_key(Fake, KEY_X, WL_KEYBOARD_KEY_STATE_RELEASED);
  } else if (step == "scroll" && Pointer == nullptr) {
    org_kde_kwin_fake_input_axis(Fake, WL_POINTER_AXIS_VERTICAL_SCROLL, wl_fixed_from_int(15));
  } else if (step == "scroll") {
    zwlr_virtual_pointer_v1_axis_source(Pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
    zwlr_virtual_pointer_v1_axis_discrete(Pointer, Milliseconds(), WL_POINTER_AXIS_VERTICAL_SCROLL,
                                          wl_fixed_from_int(15), 1);
    zwlr_virtual_pointer_v1_frame(Pointer);
  } else if (std::sscanf(step.c_str(), "%lf,%lf", &dx, &dy) != 2) {
    return false;
  } else if (Pointer == nullptr) {
    org_kde_kwin_fake_input_pointer_motion(Fake, wl_fixed_from_double(dx),
                                           wl_fixed_from_double(dy));
  } else {
    zwlr_virtual_pointer_v1_motion(Pointer, Milliseconds(), wl_fixed_from_double(dx),
                                   wl_fixed_from_double(dy));
    zwlr_virtual_pointer_v1_frame(Pointer);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return std::fputs("vpointer: no compositor\n", stderr), 1;
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, nullptr);
  wl_display_roundtrip(display);
  if (Manager != nullptr) {
    Pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(Manager, Seat);
  } else if (Fake != nullptr) {
    org_kde_kwin_fake_input_authenticate(Fake, "vpointer", "end-to-end tests");
  } else {
    return std::fputs("vpointer: no virtual pointer manager, no fake input\n", stderr), 1;
  }
  wl_display_roundtrip(display);
  usleep(300000);  // a device's first event is lost if it comes at once
  for (int i = 1; i < argc; ++i) {
    if (!Step(argv[i])) return std::fprintf(stderr, "vpointer: bad step '%s'\n", argv[i]), 2;
    wl_display_roundtrip(display);
    usleep(100000);
  }
  if (Pointer != nullptr) zwlr_virtual_pointer_v1_destroy(Pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
