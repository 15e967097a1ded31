// settings.cpp: defaults, colour strings, the raw-data rules of the reads, the load.
#include "settings/settings.h"

#include <cstdio>
#include <cstring>

int AcceptStringData(const uint8_t* data, uint32_t length, char* buffer, uint32_t bufferSize) {
  uint32_t characters = 0;
  while (characters < length && data[characters] != 0) ++characters;
  if (characters == 0 || characters + 1 > bufferSize) return 0;
  std::memcpy(buffer, data, characters);
  buffer[characters] = '\0';
  return 1;
}

int AcceptDwordData(const uint8_t* data, uint32_t length, uint32_t* value) {
  if (length > 4) return 0;
  for (uint32_t i = 0; i < length; ++i) {
    *value = (*value & ~(0xFFu << (8 * i))) | (static_cast<uint32_t>(data[i]) << (8 * i));
  }
  return 1;
}

namespace {

// atoi's reading of at most three characters: blanks, a sign, digits.
int32_t ReadField(const char* field) {
  char text[4] = {};
  for (int i = 0; i < 3 && field[i] != '\0'; ++i) text[i] = field[i];
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  int32_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + (*p - '0');
  return negative ? -v : v;
}

}  // namespace

uint32_t ParseColorString(const char* buffer) {
  const uint32_t red = static_cast<uint32_t>(ReadField(buffer)) & 0xFF;
  const uint32_t green = static_cast<uint32_t>(ReadField(buffer + 4)) & 0xFF;
  const uint32_t blue = static_cast<uint32_t>(ReadField(buffer + 8)) & 0xFF;
  return red | (green << 8) | (blue << 16);
}

void FormatColorString(uint32_t color, char* output) {
  std::snprintf(output, 12, "%03u %03u %03u", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
}

void LoadSaverSettings(const SettingsReader* reader, SaverSettings* settings) {
  std::memset(settings, 0, sizeof *settings);
  std::strcpy(settings->text, "name");
  reader->readString(reader->context, "Text", settings->text, kSettingTextBytes);
  if (settings->text[0] == '\0') std::strcpy(settings->text, "name");

  std::strcpy(settings->font, "Arial Black");
  reader->readString(reader->context, "Font", settings->font, kSettingTextBytes);

  settings->resolution = 0;
  reader->readDword(reader->context, "Resolution", &settings->resolution);
  settings->fieldWidth = settings->resolution == 0 ? 640 : 800;
  settings->fieldHeight = settings->resolution == 0 ? 480 : 600;

  uint32_t brightness = 5, volume = 5;
  reader->readDword(reader->context, "Brightness", &brightness);
  reader->readDword(reader->context, "Volume", &volume);
  settings->brightness = static_cast<int32_t>(brightness);
  settings->volume = static_cast<int32_t>(volume);

  char color[kColorStringBytes] = "255 255 255";
  reader->readString(reader->context, "Color", color, kColorStringBytes);
  settings->color = ParseColorString(color);
}
