// settings.h: the six saver settings, their defaults, the colour string and the saver-side
// load. The registry lives behind a small reader so the rules can be tested anywhere.
#pragma once
#include <cstdint>

constexpr int32_t kSettingTextBytes = 100;  // Text and Font buffers
constexpr int32_t kColorStringBytes = 20;   // the buffer a colour string is read into
constexpr char kSettingsKey[] = "Control Panel\\Screen Saver.Vapryx";

struct SaverSettings {
  char text[kSettingTextBytes];
  char font[kSettingTextBytes];
  uint32_t resolution;
  int32_t brightness;
  int32_t volume;
  uint32_t color;  // COLORREF: red in the low byte
  int32_t fieldWidth;
  int32_t fieldHeight;
};

// Where settings come from: the registry in the saver, a table in tests. Both return 1 on
// success and leave the buffer or value untouched on failure, as the Accept* rules say.
struct SettingsReader {
  void* context;
  int (*readString)(void* context, const char* name, char* buffer, uint32_t bufferSize);
  int (*readDword)(void* context, const char* name, uint32_t* value);
};

// What a string read makes of the raw bytes the store handed back (whatever their type):
// the characters up to the first zero byte, or all of them when there is none, followed by
// one zero byte. Empty data, or characters that do not fit with their zero, leave the
// buffer as it was and give 0. Never reads past `length` or writes past `bufferSize`.
int AcceptStringData(const uint8_t* data, uint32_t length, char* buffer, uint32_t bufferSize);

// What a 32-bit read makes of raw bytes: up to four of them replace the value's bytes from
// the lowest up; more than four leave it as it was and give 0.
int AcceptDwordData(const uint8_t* data, uint32_t length, uint32_t* value);

// Three fields at offsets 0, 4 and 8, each up to three characters read as atoi does, kept
// modulo 256: red, green, blue. The buffer holds at least 12 bytes.
uint32_t ParseColorString(const char* buffer);

// "RRR GGG BBB", zero-padded, and a zero byte: 12 bytes.
void FormatColorString(uint32_t color, char* output);

// Fills the settings with the defaults, then whatever the reader has; sets the field size
// from Resolution (0: 640 x 480, anything else: 800 x 600).
void LoadSaverSettings(const SettingsReader* reader, SaverSettings* settings);
