// main_linux.cpp: vapryx on Linux. Reads the options, then runs on Wayland or X11:
// Wayland where $WAYLAND_DISPLAY is set (or --wayland), X11 otherwise, and always for
// --root and --window-id, which name X11 windows (XScreenSaver's, also under XWayland).
#include "host/main_linux.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/start_posix.h"
#include "settings/options.h"
#include "settings/preferences_posix.h"

int main(int argc, char** argv) {
  ProgramOptions options;
  std::string error;
  if (!ParseProgramOptions(argc, argv, &options, &error)) return Fail(error);
  if (options.help) return std::fputs(kProgramUsage, stdout), 0;
  if (options.version) return std::printf("%s\n", kProgramVersion), 0;
  if (options.registerOnly || options.unregisterOnly) {
    // A Wayland session starts the saver from an autostart entry, with its settings; for
    // XScreenSaver it is the plain command, whose settings belong to XScreenSaver's dialog.
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const bool wayland = (display != nullptr && *display != '\0') ||
                         (session != nullptr && std::string(session) == "wayland");
    const bool settings = !options.settingArguments.empty() || options.idleSeconds != 0;
    if (!wayland && settings) {
      return Fail("in an X session --register takes no other options: XScreenSaver's "
                  "settings dialog holds the settings");
    }
    std::string message, command;
    int status;
    if (wayland) {
      status = options.registerOnly
                   ? RegisterAutostart(options.idleSeconds != 0 ? options.idleSeconds : 300,
                                       options.settingArguments, &message, &command)
                   : UnregisterAutostart(&message);
    } else {
      status = options.registerOnly ? RegisterWithXScreenSaver(&message)
                                    : UnregisterFromXScreenSaver(&message);
    }
    WriteMessage(status == 0 ? stdout : stderr, "vapryx", message);
    if (status == 0 && !command.empty()) WriteMessage(stdout, "vapryx", command);
    return status;
  }

  using Server = ProgramOptions::Server;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool x11Window = options.root || options.windowId != 0;
  bool onWayland = options.server == Server::Wayland;
  if (options.server == Server::Automatic) {
    onWayland = !x11Window && ((wayland != nullptr && *wayland != '\0') ||
                               options.mode != ProgramOptions::Mode::Window);
  }
  if (!onWayland) return RunX11(options);
  // Chosen by $WAYLAND_DISPLAY alone, a window may still go to X11 (XWayland) where Wayland
  // cannot be had; the saver modes are Wayland's only.
  const bool fallBack =
      options.server == Server::Automatic && options.mode == ProgramOptions::Mode::Window;
#if VAPRYX_WAYLAND
  const int status = RunWayland(options, fallBack);
  if (status != kNoWayland) return status;
  return RunX11(options);
#else
  if (fallBack) return RunX11(options);
  return Fail("this vapryx was built without Wayland support: use --x11 (XWayland)");
#endif
}
