// vpointer.cpp: the Wayland end-to-end tests' pointer. Makes a virtual pointer on a wlroots
// compositor's seat and moves it, relative, by each DX,DY given, one motion event each, a
// tenth of a second apart; "click" presses and releases the left button, "scroll" turns the
// wheel a notch.
//   usage: vpointer DX,DY|click|scroll...
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace {

wl_seat* Seat;
zwlr_virtual_pointer_manager_v1* Manager;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0 && Seat == nullptr) {
    Seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
    Manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry = {Global, GlobalRemove};

uint32_t Milliseconds() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return std::fputs("vpointer: no compositor\n", stderr), 1;
  wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, nullptr);
  wl_display_roundtrip(display);
  if (Manager == nullptr) return std::fputs("vpointer: no virtual pointer manager\n", stderr), 1;
  zwlr_virtual_pointer_v1* pointer =
      zwlr_virtual_pointer_manager_v1_create_virtual_pointer(Manager, Seat);
  wl_display_roundtrip(display);
  usleep(300000);  // a device's first event is lost if it comes at once
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "click") {
      zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                     WL_POINTER_BUTTON_STATE_PRESSED);
      zwlr_virtual_pointer_v1_frame(pointer);
      zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                     WL_POINTER_BUTTON_STATE_RELEASED);
    } else if (step == "scroll") {
      zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
      zwlr_virtual_pointer_v1_axis_discrete(pointer, Milliseconds(),
                                            WL_POINTER_AXIS_VERTICAL_SCROLL,
                                            wl_fixed_from_int(15), 1);
    } else {
      double dx = 0, dy = 0;
      if (std::sscanf(step.c_str(), "%lf,%lf", &dx, &dy) != 2) {
        return std::fprintf(stderr, "vpointer: bad step '%s'\n", step.c_str()), 2;
      }
      zwlr_virtual_pointer_v1_motion(pointer, Milliseconds(), wl_fixed_from_double(dx),
                                     wl_fixed_from_double(dy));
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    wl_display_roundtrip(display);
    usleep(100000);
  }
  zwlr_virtual_pointer_v1_destroy(pointer);
  wl_display_roundtrip(display);
  wl_display_disconnect(display);
  return 0;
}
