// idle_mutter.cpp: GNOME's word on idleness, for --idle where the compositor speaks no idle
// protocol: mutter's IdleMonitor on the session bus. An idle watch fires after the seconds
// without input (and again after each later stretch); a user-active watch, added once the
// saver shows, fires once at the next input.
#include "host/wayland.h"

#if VAPRYX_SDBUS
#include <systemd/sd-bus.h>

namespace {

constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

// Input between the idle watch firing and this watch's start would wait for the next
// input: the idle time says whether there was any.
int IdleTimeRead(sd_bus_message* reply, void*, sd_bus_error*) {
  uint64_t idle = 0;
  if (Host.mutter.activeWatch != 0 && !sd_bus_message_is_method_error(reply, nullptr) &&
      sd_bus_message_read(reply, "t", &idle) > 0 && idle < Host.mutter.idleMilliseconds) {
    sd_bus_call_method_async(Host.mutter.bus, nullptr, kService, kPath, kInterface, "RemoveWatch",
                             nullptr, nullptr, "u", Host.mutter.activeWatch);
    Host.mutter.activeWatch = 0;  // this is the resume
    HandleModeEvent(ModeEvent::Resumed);
  }
  return 0;
}

int ActiveWatchAdded(sd_bus_message* reply, void*, sd_bus_error*) {
  uint32_t id = 0;
  if (!sd_bus_message_is_method_error(reply, nullptr) && sd_bus_message_read(reply, "u", &id) > 0) {
    Host.mutter.activeWatch = id;
    sd_bus_call_method_async(Host.mutter.bus, nullptr, kService, kPath, kInterface, "GetIdletime",
                             IdleTimeRead, nullptr, "");
  }
  return 0;
}

int WatchFired(sd_bus_message* message, void*, sd_bus_error*) {
  uint32_t id = 0;
  if (sd_bus_message_read(message, "u", &id) <= 0) return 0;
  if (id == Host.mutter.idleWatch) {
    HandleModeEvent(ModeEvent::Idled);
    // The next input, wherever it goes, hides the saver.
    if (Host.mutter.activeWatch == 0) {
      sd_bus_call_method_async(Host.mutter.bus, nullptr, kService, kPath, kInterface,
                               "AddUserActiveWatch", ActiveWatchAdded, nullptr, "");
    }
  } else if (id == Host.mutter.activeWatch) {
    Host.mutter.activeWatch = 0;  // a user-active watch fires once
    HandleModeEvent(ModeEvent::Resumed);
  }
  return 0;
}

}  // namespace

bool WatchMutterIdleness(uint32_t milliseconds) {
  Host.mutter.idleMilliseconds = milliseconds;
  if (sd_bus_open_user(&Host.mutter.bus) < 0) return false;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const bool watching =
      // Any sender: mutter's signals come from its unique name, not the service's.
      sd_bus_match_signal(Host.mutter.bus, nullptr, nullptr, kPath, kInterface, "WatchFired",
                          WatchFired, nullptr) >= 0 &&
      sd_bus_call_method(Host.mutter.bus, kService, kPath, kInterface, "AddIdleWatch", &error,
                         &reply, "t", static_cast<uint64_t>(milliseconds)) >= 0 &&
      sd_bus_message_read(reply, "u", &Host.mutter.idleWatch) > 0;
  sd_bus_message_unref(reply);
  sd_bus_error_free(&error);
  if (!watching) Host.mutter.bus = sd_bus_flush_close_unref(Host.mutter.bus);
  return watching;
}

int MutterBusFd() { return Host.mutter.bus != nullptr ? sd_bus_get_fd(Host.mutter.bus) : -1; }

short MutterBusEvents() {
  const int events = Host.mutter.bus != nullptr ? sd_bus_get_events(Host.mutter.bus) : 0;
  return events > 0 ? static_cast<short>(events) : 0;
}

bool DispatchMutterBus() {
  if (Host.mutter.bus == nullptr) return true;
  int r;
  while ((r = sd_bus_process(Host.mutter.bus, nullptr)) > 0) {
  }
  return r >= 0;
}

void EndMutterIdleness() { Host.mutter.bus = sd_bus_flush_close_unref(Host.mutter.bus); }
#else
// Built without sd-bus: no GNOME idleness.
bool WatchMutterIdleness(uint32_t) { return false; }
int MutterBusFd() { return -1; }
short MutterBusEvents() { return 0; }
bool DispatchMutterBus() { return true; }
void EndMutterIdleness() {}
#endif
