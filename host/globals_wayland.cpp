// globals_wayland.cpp: what the compositor offers, bound at start-up, and the monitors and
// seats it announces and withdraws while the program runs.
#include <algorithm>
#include <string>

#include "ext-idle-notify-v1-client.h"
#include "host/wayland.h"
#include "idle-client.h"
#include "viewporter-client.h"
#include "xdg-shell-client.h"
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client.h"
#undef namespace

namespace {

using Mode = ProgramOptions::Mode;

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
  } else if (i == wl_seat_interface.name) {
    AddSeat(name, Bind<wl_seat>(registry, name, &wl_seat_interface, version, 5));
    WatchIdleness();
  } else if (i == ext_idle_notifier_v1_interface.name) {
    Host.idleNotifier =
        Bind<ext_idle_notifier_v1>(registry, name, &ext_idle_notifier_v1_interface, version, 1);
  } else if (i == org_kde_kwin_idle_interface.name) {
    Host.kdeIdle =
        Bind<org_kde_kwin_idle>(registry, name, &org_kde_kwin_idle_interface, version, 1);
  } else if (i == wl_output_interface.name) {
    Host.outputs.push_back(
        Output{name, Bind<wl_output>(registry, name, &wl_output_interface, version, 3)});
    HandleModeEvent(ModeEvent::OutputAdded, name);
  }
}

void GlobalRemove(void*, wl_registry*, uint32_t name) {
  RemoveSeat(name);
  for (auto o = Host.outputs.begin(); o != Host.outputs.end(); ++o) {
    if (o->name != name) continue;
    HandleModeEvent(ModeEvent::OutputRemoved, name);
    if (wl_output_get_version(o->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(o->output);
    } else {
      wl_output_destroy(o->output);
    }
    Host.outputs.erase(o);
    break;
  }
}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

}  // namespace

void ListenToRegistry() {
  Host.registry = wl_display_get_registry(Host.display);
  wl_registry_add_listener(Host.registry, &kRegistryListener, nullptr);
}

const Output* FindOutput(uint32_t name) {
  for (const Output& o : Host.outputs) {
    if (o.name == name) return &o;
  }
  return nullptr;
}

const char* MissingGlobals() {
  const Mode mode = Host.options.mode;
  if (Host.compositor == nullptr || Host.shm == nullptr) {
    return "the compositor offers no wl_compositor or wl_shm";
  }
  if (Host.viewporter == nullptr) {
    return "the compositor offers no wp_viewporter, which vapryx needs to scale";
  }
  if (mode == Mode::Background && Host.layerShell == nullptr) {
    return "--background needs the compositor's wlr-layer-shell, which it does not offer";
  }
  if (Host.wmBase == nullptr && mode == Mode::Window) {
    return "the compositor offers no xdg-shell for a window";
  }
  if (Host.wmBase == nullptr && Host.layerShell == nullptr) {
    return "the compositor offers neither wlr-layer-shell nor xdg-shell";
  }
  return nullptr;
}
