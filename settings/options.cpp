// options.cpp: the Linux program's options, read into the settings through the same load
// rules as the registry.
#include "settings/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef VAPRYX_VERSION
#define VAPRYX_VERSION "unknown"
#endif
const char kProgramVersion[] = "vapryx " VAPRYX_VERSION;

const char kProgramUsage[] =
    "usage: vapryx [options]\n"
    "\n"
    "Coloured smoke pouring out of the flickering outline of a text.\n"
    "\n"
    "Where it draws (a window of its own when none is given):\n"
    "  --root                 the window in $XSCREENSAVER_WINDOW, else the root window (X11)\n"
    "  --window-id ID         the window ID (hex 0x... or decimal); wins over --root (X11)\n"
    "  --fullscreen           the saver on every monitor until a key, a click or a move of\n"
    "                         the mouse (Wayland)\n"
    "  --idle SECONDS         stays in the background and shows the saver after SECONDS\n"
    "                         without input, until the next input (Wayland; one per session)\n"
    "  --background           a live wallpaper behind the windows of every monitor (Wayland;\n"
    "                         one per session)\n"
    "  --x11, --wayland       the display server (default: Wayland where $WAYLAND_DISPLAY is\n"
    "                         set, X11 otherwise)\n"
    "\n"
    "Settings:\n"
    "  --text TEXT            the text; only its first 99 bytes are used (default: name)\n"
    "  --font FONT            the font as fontconfig names it: a family, an alias such as\n"
    "                         monospace, or a pattern such as \"DejaVu Serif:bold\"\n"
    "                         (default: Arial Black; a heavy sans-serif stands in for a\n"
    "                         name fontconfig does not know)\n"
    "  --resolution WxH       the smoke field, 640x480 (default) or 800x600\n"
    "  --volume N             amount of smoke, 0..10 (default 5)\n"
    "  --brightness N         brightness of the colour ramp, 0..10 (default 5)\n"
    "  --color COLOR          RRGGBB, #RRGGBB, R,G,B or an X11 colour name (orange,\n"
    "                         \"sky blue\"), on every display (default ffffff)\n"
    "  An empty text, font or colour keeps the default.\n"
    "\n"
    "Running:\n"
    "  --seed N               seed of the random generator, 0..4294967295 (default: a fresh one)\n"
    "  --delay MICROSECONDS   time between frames, 0..1000000 (default 33000)\n"
    "  --fps                  show the frame rate in a corner (X11)\n"
    "  --verbose              say which font face is used, and the frame rate every 5 s\n"
    "  --register             make it the screen saver, then exit: on Wayland an autostart\n"
    "                         entry running --idle (300 unless given) with the settings\n"
    "                         given; on X11 \"Vapryx\" in the programs list of ~/.xscreensaver\n"
    "  --unregister           take out what --register added, then exit\n"
    "  --help, --version\n"
    "\n"
    "One or two dashes are the same. Its own window closes on a key press or a click;\n"
    "otherwise it draws until it is ended (SIGTERM) or its window is destroyed.\n";

void WriteMessage(std::FILE* stream, const char* program, const std::string& message) {
  std::string line;
  for (unsigned char c : message) {
    if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      line += escaped;
    } else {
      line += static_cast<char>(c);
    }
  }
  std::fprintf(stream, "%s: %s\n", program, line.c_str());
}

int ReportFailure(const char* program, const std::string& message, int status) {
  WriteMessage(stderr, program, message);
  return status;
}

bool ParseWholeNumber(const char* text, long long lowest, long long highest, long long* value) {
  if (*text < '0' || *text > '9') {
    if (*text != '-' || lowest >= 0) return false;
  }
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < lowest || v > highest) return false;
  *value = v;
  return true;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseColorOption(const char* text, uint32_t* color) {
  if (std::strchr(text, ',') != nullptr) {
    uint32_t parts[3];
    const char* p = text;
    for (int i = 0; i < 3; ++i) {
      const char* comma = i < 2 ? std::strchr(p, ',') : p + std::strlen(p);
      if (comma == nullptr || comma - p > 3) return false;
      char part[4] = {};
      std::memcpy(part, p, comma - p);
      long long v;
      if (!ParseWholeNumber(part, 0, 255, &v)) return false;
      parts[i] = static_cast<uint32_t>(v);
      p = comma + 1;
    }
    *color = parts[0] | (parts[1] << 8) | (parts[2] << 16);
    return true;
  }
  if (*text == '#') ++text;
  if (std::strlen(text) != 6) return false;
  uint32_t rgb = 0;
  for (int i = 0; i < 6; ++i) {
    const int d = HexDigit(text[i]);
    if (d < 0) return false;
    rgb = rgb << 4 | static_cast<uint32_t>(d);
  }
  *color = (rgb >> 16) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
  return true;
}

bool IsColorName(const char* text) {
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(*text)) return false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (!letter(*p) && !(*p >= '0' && *p <= '9') && *p != ' ') return false;
  }
  return std::strlen(text) < 64;
}

namespace {

int ReadOptionString(void* context, const char* name, char* buffer, uint32_t bufferSize) {
  const SettingOptions* options = static_cast<const SettingOptions*>(context);
  const char* value = nullptr;
  if (std::strcmp(name, "Text") == 0) value = options->text.c_str();
  if (std::strcmp(name, "Font") == 0) value = options->font.c_str();
  if (std::strcmp(name, "Color") == 0 && options->color[0] != '\0') value = options->color;
  if (value == nullptr) return 0;
  // The rule a stored string follows: an empty one keeps the default.
  return AcceptStringData(reinterpret_cast<const uint8_t*>(value),
                          static_cast<uint32_t>(std::strlen(value)), buffer, bufferSize);
}

int ReadOptionDword(void* context, const char* name, uint32_t* value) {
  const SettingOptions* o = static_cast<const SettingOptions*>(context);
  if (std::strcmp(name, "Resolution") == 0 && o->haveResolution) return *value = o->resolution, 1;
  if (std::strcmp(name, "Volume") == 0 && o->haveVolume) return *value = o->volume, 1;
  if (std::strcmp(name, "Brightness") == 0 && o->haveBrightness) return *value = o->brightness, 1;
  return 0;
}

}  // namespace

int ReadSettingOption(const std::string& name, const char* value, bool anyNumber,
                      SettingOptions* options, std::string* error) {
  auto bad = [&](const char* what) {
    *error = "bad value '" + std::string(value) + "' for --" + name + ": " + what;
    return -1;
  };
  long long v = 0;
  if (name == "text" || name == "font") {
    // Too long for the setting: cut, not refused, since XScreenSaver's settings dialog
    // sets no limit and a refused option is a saver that dies.
    std::string& kept = name == "text" ? options->text : options->font;
    kept = value;
    if (kept.size() >= static_cast<size_t>(kSettingTextBytes)) {
      size_t cut = kSettingTextBytes - 1;
      while (cut > 0 && (static_cast<unsigned char>(kept[cut]) & 0xC0) == 0x80) --cut;
      kept.resize(cut);
    }
  } else if (name == "resolution") {
    if (std::strcmp(value, "640x480") == 0) {
      options->resolution = 0;
    } else if (std::strcmp(value, "800x600") == 0) {
      options->resolution = 1;
    } else {
      return bad("expected 640x480 or 800x600");
    }
    options->haveResolution = true;
  } else if (name == "volume" || name == "brightness") {
    if (anyNumber ? !ParseWholeNumber(value, INT32_MIN, UINT32_MAX, &v)
                  : !ParseWholeNumber(value, 0, 10, &v)) {
      return bad(anyNumber ? "expected a 32-bit integer" : "expected 0..10");
    }
    (name == "volume" ? options->volume : options->brightness) = static_cast<uint32_t>(v);
    (name == "volume" ? options->haveVolume : options->haveBrightness) = true;
  } else if (name == "color") {
    if (*value == '\0') return 1;  // the default, as for text and font
    uint32_t color;
    if (ParseColorOption(value, &color)) {
      FormatColorString(color, options->color);
      options->colorName.clear();
    } else if (IsColorName(value)) {
      options->colorName = value;  // the last --color wins, whichever its form
      options->color[0] = '\0';
    } else {
      return bad("expected RRGGBB, #RRGGBB, R,G,B or an X11 colour name");
    }
  } else if (name == "seed") {
    if (!ParseWholeNumber(value, 0, UINT32_MAX, &v)) return bad("expected 0..4294967295");
    options->seed = static_cast<uint32_t>(v), options->haveSeed = true;
  } else {
    return 0;
  }
  return 1;
}

void LoadSettingOptions(const SettingOptions& options, SaverSettings* settings) {
  const SettingsReader reader = {const_cast<SettingOptions*>(&options), ReadOptionString,
                                 ReadOptionDword};
  LoadSaverSettings(&reader, settings);
}

unsigned long ParseWindowId(const char* text) {
  if (text == nullptr || *text < '0' || *text > '9') return 0;
  errno = 0;
  char* end = nullptr;
  const unsigned long long id = std::strtoull(text, &end, 0);
  if (errno != 0 || *end != '\0' || id > 0xFFFFFFFFull) return 0;  // X ids are 32 bits
  return static_cast<unsigned long>(id);
}

int ParseProgramOptions(int argc, const char* const* argv, ProgramOptions* options,
                        std::string* error) {
  SettingOptions given;
  ProgramOptions::Server server = ProgramOptions::Server::Automatic;
  int servers = 0, modes = 0;   // which of them were given, one bit each
  std::string notWithRegister;  // the first option --register does not write into its entry
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    std::string name = arg;
    if (name.size() < 2 || name[0] != '-') {
      *error = "unexpected argument '" + name + "' (see --help)";
      return 0;
    }
    name.erase(0, name[1] == '-' ? 2 : 1);
    const char* value = nullptr;
    const size_t equals = name.find('=');
    if (equals != std::string::npos) {
      value = arg + (arg[1] == '-' ? 2 : 1) + equals + 1;
      name.erase(equals);
    }
    const bool flag = name == "root" || name == "fps" || name == "verbose" || name == "help" ||
                      name == "h" || name == "version" || name == "register" ||
                      name == "unregister" || name == "x11" || name == "wayland" ||
                      name == "fullscreen" || name == "background";
    const bool valued = name == "window-id" || name == "text" || name == "font" ||
                        name == "resolution" || name == "volume" || name == "brightness" ||
                        name == "color" || name == "seed" || name == "delay" || name == "idle";
    if (!flag && !valued) {
      *error = "unknown option '" + std::string(arg) + "' (see --help)";
      return 0;
    }
    if (flag) {
      if (value != nullptr) {
        *error = "option --" + name + " takes no value";
        return 0;
      }
      const bool aside = name == "register" || name == "unregister" || name == "help" ||
                         name == "h" || name == "version";  // the last three: nothing runs
      if (!aside && notWithRegister.empty()) notWithRegister = name;
      if (name == "root") options->root = true;
      if (name == "fps") options->fps = true;
      if (name == "verbose") options->verbose = true;
      if (name == "help" || name == "h") options->help = true;
      if (name == "version") options->version = true;
      if (name == "register") options->registerOnly = true;
      if (name == "unregister") options->unregisterOnly = true;
      if (name == "x11") server = ProgramOptions::Server::X11, servers |= 1;
      if (name == "wayland") server = ProgramOptions::Server::Wayland, servers |= 2;
      if (name == "fullscreen") options->mode = ProgramOptions::Mode::Fullscreen, modes |= 1;
      if (name == "background") options->mode = ProgramOptions::Mode::Background, modes |= 2;
      continue;
    }
    if (value == nullptr) {
      if (i + 1 >= argc) {
        *error = "option --" + name + " needs a value";
        return 0;
      }
      value = argv[++i];
    }
    const int setting = ReadSettingOption(name, value, false, &given, error);
    if (setting < 0) return 0;
    if (setting > 0 && name != "seed") {
      // One word each: no value then stands alone where a reader expands '~' or '%f'.
      options->settingArguments.push_back("--" + name + "=" + value);
      continue;
    }
    if (name != "idle" && notWithRegister.empty()) notWithRegister = name;
    if (setting > 0) continue;
    long long v = 0;
    if (name == "idle") {
      if (!ParseWholeNumber(value, 1, 86400, &v)) {
        *error = "bad value '" + std::string(value) + "' for --idle: expected 1..86400 seconds";
        return 0;
      }
      options->mode = ProgramOptions::Mode::Idle, modes |= 4;
      options->idleSeconds = static_cast<int32_t>(v);
    } else if (name == "window-id") {
      options->windowId = ParseWindowId(value);
      if (options->windowId == 0) {
        *error = "bad value '" + std::string(value) +
                 "' for --window-id: expected a window id, hex 0x... or decimal";
        return 0;
      }
    } else if (!ParseWholeNumber(value, 0, 1000000, &v)) {
      *error =
          "bad value '" + std::string(value) + "' for --delay: expected 0..1000000 microseconds";
      return 0;
    } else {
      options->delay = static_cast<int32_t>(v);
    }
  }
  // --register writes the settings and --idle's time into an autostart entry; the rest
  // would change what runs, or nothing.
  if (options->registerOnly && options->unregisterOnly) {
    *error = "--register and --unregister: choose one";
    return 0;
  }
  if (options->unregisterOnly &&
      (!notWithRegister.empty() || !options->settingArguments.empty() || modes != 0)) {
    *error = "--unregister takes no other options";
    return 0;
  }
  if (options->registerOnly && !notWithRegister.empty()) {
    *error = "--register goes with the settings and --idle only, not --" + notWithRegister;
    return 0;
  }
  if (servers == 3) {
    *error = "--x11 and --wayland: choose one";
    return 0;
  }
  if (modes != 0 && (modes & (modes - 1)) != 0) {  // more than one of them
    *error = "--fullscreen, --idle and --background: choose one";
    return 0;
  }
  if (servers > 0) options->server = server;
  const bool x11Window = options->root || options->windowId != 0;
  if (x11Window && (options->server == ProgramOptions::Server::Wayland || modes > 0)) {
    *error = "--root and --window-id draw on X11 windows; they go with none of --wayland, "
             "--fullscreen, --idle and --background";
    return 0;
  }
  if (modes > 0 && options->server == ProgramOptions::Server::X11) {
    *error = "--fullscreen, --idle and --background are Wayland's; not with --x11";
    return 0;
  }
  LoadSettingOptions(given, &options->settings);
  options->colorName = given.colorName;
  options->haveSeed = given.haveSeed;
  options->seed = given.seed;
  return 1;
}
