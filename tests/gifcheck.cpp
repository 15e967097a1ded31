// gifcheck: decodes a GIF with giflib for the tests, independently of how it was written.
// Prints "size WxH frames N delays D[,D...] loop L colors C local N interlaced N", and
// writes the last frame's colour indices and its pixels through the global colour table
// (red, green, blue) to the two given files.
// Usage: vapryx_gifcheck IN.gif INDICES.out RGB.out
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) return std::fprintf(stderr, "usage: vapryx_gifcheck IN.gif INDICES RGB\n"), 2;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(argv[1], &error);
  if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount == 0) {
    std::fprintf(stderr, "gifcheck: cannot decode %s\n", argv[1]);
    return 1;
  }
  std::set<int> delays;
  long loop = -1;  // no loop extension
  int local = 0, interlaced = 0;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK) delays.insert(control.DelayTime);
    local += image.ImageDesc.ColorMap != nullptr;
    interlaced += image.ImageDesc.Interlace;
    for (int e = 0; e + 1 < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& name = image.ExtensionBlocks[e];
      const ExtensionBlock& data = image.ExtensionBlocks[e + 1];
      if (name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11 &&
          std::memcmp(name.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1) {
        loop = data.Bytes[1] | data.Bytes[2] << 8;
      }
    }
  }
  std::string delayList;
  for (int d : delays) delayList += (delayList.empty() ? "" : ",") + std::to_string(d);
  const ColorMapObject* map = gif->SColorMap;
  std::printf("size %dx%d frames %d delays %s loop %ld colors %d local %d interlaced %d\n",
              gif->SWidth, gif->SHeight, gif->ImageCount, delayList.c_str(), loop,
              map ? map->ColorCount : 0, local, interlaced);

  const SavedImage& last = gif->SavedImages[gif->ImageCount - 1];
  const size_t count = static_cast<size_t>(last.ImageDesc.Width) * last.ImageDesc.Height;
  std::FILE* indices = std::fopen(argv[2], "wb");
  std::FILE* rgb = std::fopen(argv[3], "wb");
  if (indices == nullptr || rgb == nullptr || map == nullptr) return 1;
  std::fwrite(last.RasterBits, 1, count, indices);
  for (size_t i = 0; i < count; ++i) {
    const GifColorType& c = map->Colors[last.RasterBits[i] % map->ColorCount];
    const unsigned char pixel[3] = {c.Red, c.Green, c.Blue};
    std::fwrite(pixel, 1, 3, rgb);
  }
  std::fclose(indices);
  std::fclose(rgb);
  DGifCloseFile(gif, &error);
  return 0;
}
