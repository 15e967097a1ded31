// idle_wayland.cpp: the compositor's word on the user's idleness, for --idle: idled after
// the options' seconds without input on one seat, resumed at the next input. Newer
// compositors speak ext-idle-notify-v1, older ones (sway 1.7, KWin 5) KDE's protocol.
#include "ext-idle-notify-v1-client.h"
#include "host/wayland.h"
#include "idle-client.h"

namespace {

void Idled(void*, ext_idle_notification_v1*) { HandleModeEvent(ModeEvent::Idled); }
void Resumed(void*, ext_idle_notification_v1*) { HandleModeEvent(ModeEvent::Resumed); }
const ext_idle_notification_v1_listener kIdleListener = {Idled, Resumed};

void KdeIdle(void*, org_kde_kwin_idle_timeout*) { HandleModeEvent(ModeEvent::Idled); }
void KdeResumed(void*, org_kde_kwin_idle_timeout*) { HandleModeEvent(ModeEvent::Resumed); }
const org_kde_kwin_idle_timeout_listener kKdeIdleListener = {KdeIdle, KdeResumed};

// Whether the compositor can tell idleness through a Wayland protocol.
bool CanTellIdleness() { return Host.idleNotifier != nullptr || Host.kdeIdle != nullptr; }

}  // namespace

const char* StartIdleness() {
  Host.idleStarted = true;
  if (CanTellIdleness() && !Host.seats.empty()) {
    WatchIdleness();
    return nullptr;
  }
  if (WatchMutterIdleness(static_cast<uint32_t>(Host.options.idleSeconds) * 1000)) return nullptr;
  if (CanTellIdleness()) return "--idle needs a seat, and the compositor has none";
  return "--idle needs the compositor to say when the user is idle (ext-idle-notify-v1, "
         "org_kde_kwin_idle, or GNOME's org.gnome.Mutter.IdleMonitor), and it does not";
}

const char* IdleProtocolName() {
  if (Host.idleNotifier != nullptr) return "ext-idle-notify-v1";
  return Host.kdeIdle != nullptr ? "org_kde_kwin_idle" : "org.gnome.Mutter.IdleMonitor";
}

void WatchIdleness() {
  if (!Host.idleStarted || Host.idleSeat != nullptr || Host.seats.empty() || !CanTellIdleness()) {
    return;
  }
  Host.idleSeat = Host.seats.front();
  wl_seat* seat = Host.idleSeat->seat;
  const uint32_t ms = static_cast<uint32_t>(Host.options.idleSeconds) * 1000;
  if (Host.idleNotifier != nullptr) {
    Host.idleNotification = ext_idle_notifier_v1_get_idle_notification(Host.idleNotifier, ms, seat);
    ext_idle_notification_v1_add_listener(Host.idleNotification, &kIdleListener, nullptr);
  } else {
    Host.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(Host.kdeIdle, seat, ms);
    org_kde_kwin_idle_timeout_add_listener(Host.kdeTimeout, &kKdeIdleListener, nullptr);
  }
}

void ForgetIdleSeat(Seat* seat) {
  if (seat != Host.idleSeat) return;
  if (Host.idleNotification != nullptr) ext_idle_notification_v1_destroy(Host.idleNotification);
  if (Host.kdeTimeout != nullptr) org_kde_kwin_idle_timeout_release(Host.kdeTimeout);
  Host.idleNotification = nullptr, Host.kdeTimeout = nullptr, Host.idleSeat = nullptr;
  WatchIdleness();  // the seat is off the list already: the next one, if any
}
