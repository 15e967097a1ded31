// gif_giflib.cpp: the animated GIF through giflib.
#include "tools/sim/gif_giflib.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <vector>

bool OpenGifStream(const std::string& path, int32_t width, int32_t height, const uint8_t* rampRgb,
                   int32_t delayCentiseconds, GifStream* gif) {
  int error = 0;
  *gif = GifStream{};
  // Opened here rather than by giflib, which makes its files private to their owner.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  gif->file = EGifOpenFileHandle(fd, &error);
  if (gif->file == nullptr) {
    close(fd);
    return false;
  }
  gif->width = width, gif->height = height, gif->delay = delayCentiseconds;
  EGifSetGifVersion(gif->file, true);  // GIF89a: frame delays and the loop extension

  GifColorType colors[256];
  for (int i = 0; i < 256; ++i) {
    colors[i] = GifColorType{rampRgb[3 * i], rampRgb[3 * i + 1], rampRgb[3 * i + 2]};
  }
  ColorMapObject* map = GifMakeMapObject(256, colors);
  gif->ok = map != nullptr && EGifPutScreenDesc(gif->file, width, height, 8, 0, map) == GIF_OK;
  GifFreeMapObject(map);  // the screen description keeps its own copy

  // NETSCAPE2.0 application extension: loop count 0 is forever.
  static const uint8_t kLoop[3] = {1, 0, 0};
  gif->ok = gif->ok && EGifPutExtensionLeader(gif->file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
            EGifPutExtensionBlock(gif->file, 11, "NETSCAPE2.0") == GIF_OK &&
            EGifPutExtensionBlock(gif->file, 3, kLoop) == GIF_OK &&
            EGifPutExtensionTrailer(gif->file) == GIF_OK;
  return gif->ok;
}

bool AddGifFrame(GifStream* gif, const uint8_t* indices) {
  if (!gif->ok) return false;
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = gif->delay;
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t length = EGifGCBToExtension(&control, extension);
  gif->ok = EGifPutExtension(gif->file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length),
                             extension) == GIF_OK &&
            EGifPutImageDesc(gif->file, 0, 0, gif->width, gif->height, false, nullptr) == GIF_OK;
  // giflib takes the rows as non-const.
  std::vector<GifPixelType> row(static_cast<size_t>(gif->width));
  for (int32_t y = 0; gif->ok && y < gif->height; ++y) {
    const uint8_t* from = indices + static_cast<size_t>(y) * gif->width;
    row.assign(from, from + gif->width);
    gif->ok = EGifPutLine(gif->file, row.data(), gif->width) == GIF_OK;
  }
  return gif->ok;
}

bool CloseGifStream(GifStream* gif) {
  if (gif->file == nullptr) return false;
  int error = 0;
  const bool closed = EGifCloseFile(gif->file, &error) == GIF_OK;
  gif->file = nullptr;
  return gif->ok && closed;
}
