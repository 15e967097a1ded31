// gif_giflib.h: vapryx-sim's animated GIF, written frame by frame through giflib as the
// run goes: the colour ramp is the global colour table, the field bytes are the pixels.
#pragma once
#include <cstdint>
#include <string>

struct GifFileType;

struct GifStream {
  GifFileType* file = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t delay = 0;  // centiseconds per frame
  bool ok = false;    // every write so far succeeded
};

// Creates `path` and writes the header, the 256-entry ramp (red, green, blue each) and the
// loop-forever extension. False when the file cannot be written.
bool OpenGifStream(const std::string& path, int32_t width, int32_t height, const uint8_t* rampRgb,
                   int32_t delayCentiseconds, GifStream* gif);

// Appends one full frame of width x height colour indices, row-major from the top.
bool AddGifFrame(GifStream* gif, const uint8_t* indices);

// Writes the trailer and closes the file. True when the whole file was written.
bool CloseGifStream(GifStream* gif);
