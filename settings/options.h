// options.h: the command lines of the Linux program and the simulator. The six settings
// keep the meanings and defaults they have in the registry (they are loaded by the same
// rules) and are read by one reader in both; the rest say where and how fast to draw.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/settings.h"

// The six settings and the seed as options. What they said is kept as a store holds it, so
// that the settings' own load rules (defaults, empty strings) apply.
struct SettingOptions {
  std::string text;
  std::string font;
  char color[kColorStringBytes] = {};
  std::string colorName;  // an X11 colour name, which only a display can resolve
  bool haveResolution = false, haveVolume = false, haveBrightness = false, haveSeed = false;
  uint32_t resolution = 0, volume = 0, brightness = 0, seed = 0;
};

// Reads the setting option `name` (without its dashes: text, font, resolution, volume,
// brightness, color, seed) with its value. Returns 1 when taken, 0 when `name` is none of
// them, -1 with a one-line message for a bad value. With `anyNumber` volume and
// brightness take any 32-bit value, as a hand-edited registry value may hold, instead of
// the dialog's 0..10. A text or font too long for the setting is cut at a character.
int ReadSettingOption(const std::string& name, const char* value, bool anyNumber,
                      SettingOptions* options, std::string* error);

// The settings the options give, by the load rules: the defaults for the rest.
void LoadSettingOptions(const SettingOptions& options, SaverSettings* settings);

struct ProgramOptions {
  SaverSettings settings;
  bool haveSeed = false;
  uint32_t seed = 0;           // default: the clock
  int32_t delay = 33000;       // microseconds between frames
  bool root = false;           // draw into $XSCREENSAVER_WINDOW, or the root window
  unsigned long windowId = 0;  // --window-id; wins over --root
  bool fps = false;
  bool verbose = false;
  bool help = false;
  bool version = false;
  bool registerOnly = false;    // --register: make it the screen saver, and exit
  bool unregisterOnly = false;  // --unregister: take out what --register added, and exit
  std::string colorName;        // --color by X11 name ("orange"): resolved by the display
  // The settings options as given (name with its dashes, then value), in order: what the
  // command --register writes in an autostart entry runs with.
  std::vector<std::string> settingArguments;
  // Which display server: X11 unless $WAYLAND_DISPLAY is set, or as --x11 / --wayland say.
  enum class Server { Automatic, X11, Wayland } server = Server::Automatic;
  // What it shows on Wayland: its own window, the saver on every monitor, the saver after
  // idleSeconds without input, or a wallpaper.
  enum class Mode { Window, Fullscreen, Idle, Background } mode = Mode::Window;
  int32_t idleSeconds = 0;
};

// Reads the command line (one or two dashes; a value as the next argument or after '=').
// Returns 1, or 0 with a one-line message naming the bad option or value.
int ParseProgramOptions(int argc, const char* const* argv, ProgramOptions* options,
                        std::string* error);

// A window id in hex (0x...) or decimal, as $XSCREENSAVER_WINDOW and --window-id give it;
// 0 for anything else.
unsigned long ParseWindowId(const char* text);

// A whole decimal number within [lowest, highest]: digits only, a leading '-' where the
// range has negative values.
bool ParseWholeNumber(const char* text, long long lowest, long long highest, long long* value);

// RRGGBB, #RRGGBB or R,G,B (each 0..255) to a COLORREF (red in the low byte).
bool ParseColorOption(const char* text, uint32_t* color);

// A word that may name an X11 colour: a letter, then letters, digits and blanks.
bool IsColorName(const char* text);

// Prints "program: message" on stderr as one line, whatever the message quotes (control
// characters are written as \xNN), and returns `status`.
int ReportFailure(const char* program, const std::string& message, int status);

// Prints "program: message" on `stream` as one line, as ReportFailure does.
void WriteMessage(std::FILE* stream, const char* program, const std::string& message);

extern const char kProgramUsage[];
extern const char kProgramVersion[];
