// main_web.cpp: the page's side of the seam, compiled to WebAssembly. The page reads its
// settings (the URL's query, a host's properties) through the same option rules as the
// Linux program, rasterises the text with the browser's fonts, and shows the field-sized
// image this hands back on a canvas that the browser scales. One page, one saver.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/saver.h"
#include "settings/options.h"
#include "text/band.h"

namespace {

constexpr long long kMaxDelay = 1000000;

// What the page has asked for so far, and the saver it shows.
struct WebPage {
  SettingOptions options;
  SaverSettings settings;     // as loaded from `options`
  SaverSettings shown;        // the settings `saver` was prepared with
  int32_t delay = 33000;      // microseconds between frames
  bool fps = false;
  std::string message;        // the last refusal, one line
  std::vector<uint8_t> band;  // the squeezed band raster
  std::vector<uint8_t> image; // field-sized RGBA
  SaverCore* saver = nullptr;
  int32_t fit[4] = {};
  WebPage() { LoadSettingOptions(options, &settings); }  // the defaults until told otherwise
};
WebPage Page;

// Canvas ImageData bytes: red, green, blue, alpha in memory; wasm is little-endian.
constexpr PixelFormat kCanvasFormat = {0x000000FFu, 0x0000FF00u, 0x00FF0000u, 0xFF000000u,
                                       false};

bool NeedsPreparing(const SaverSettings& a, const SaverSettings& b) {
  return std::strcmp(a.text, b.text) != 0 || std::strcmp(a.font, b.font) != 0 ||
         a.resolution != b.resolution || a.volume != b.volume;
}

}  // namespace

extern "C" {

// One setting by its option name (text, font, resolution, volume, brightness, color, seed,
// delay, fps). 1 when taken, 0 for no such name, -1 for a bad value (the setting keeps what
// it had; vapryx_message says why). A colour name is left to the page (vapryx_color_name).
EMSCRIPTEN_KEEPALIVE int vapryx_option(const char* name, const char* value) {
  const std::string n = name;
  int taken = 1;
  if (n == "delay") {
    long long v = 0;
    if (!ParseWholeNumber(value, 0, kMaxDelay, &v)) {
      Page.message = "bad value '" + std::string(value) + "' for delay: expected 0..1000000 "
                     "microseconds";
      return -1;
    }
    Page.delay = static_cast<int32_t>(v);
  } else if (n == "fps") {
    const std::string v = value;
    if (v == "1" || v == "true" || v.empty()) {
      Page.fps = true;
    } else if (v == "0" || v == "false") {
      Page.fps = false;
    } else {
      Page.message = "bad value '" + v + "' for fps: expected 1 or 0";
      return -1;
    }
  } else {
    SettingOptions next = Page.options;
    taken = ReadSettingOption(n, value, false, &next, &Page.message);
    if (taken == 1) Page.options = next;
    if (taken == -1) {
      const size_t dashes = Page.message.find(" --");
      if (dashes != std::string::npos) Page.message.erase(dashes + 1, 2);
    }
  }
  if (taken == 1) LoadSettingOptions(Page.options, &Page.settings);
  return taken;
}

EMSCRIPTEN_KEEPALIVE const char* vapryx_message() { return Page.message.c_str(); }

// A colour given by name, which only the browser can resolve ("" for none).
EMSCRIPTEN_KEEPALIVE const char* vapryx_color_name() { return Page.options.colorName.c_str(); }

// The settings as loaded: what the page rasterises and how it paces.
EMSCRIPTEN_KEEPALIVE const char* vapryx_text() { return Page.settings.text; }
EMSCRIPTEN_KEEPALIVE const char* vapryx_font() { return Page.settings.font; }
EMSCRIPTEN_KEEPALIVE int vapryx_field_width() { return Page.settings.fieldWidth; }
EMSCRIPTEN_KEEPALIVE int vapryx_field_height() { return Page.settings.fieldHeight; }
EMSCRIPTEN_KEEPALIVE int vapryx_delay() { return Page.delay; }
EMSCRIPTEN_KEEPALIVE int vapryx_show_fps() { return Page.fps ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE uint32_t vapryx_color() { return Page.settings.color; }  // a COLORREF

// Room for the text raster the page draws: cx x cy bytes, non-zero is ink.
EMSCRIPTEN_KEEPALIVE uint8_t* vapryx_ink(int cx, int cy) {
  static std::vector<uint8_t> ink;
  if (cx < 0 || cy < 0) return nullptr;
  ink.assign(static_cast<size_t>(cx) * static_cast<size_t>(cy) + 1, 0);
  return ink.data();
}

// Prepares the smoke from the ink raster (cx x cy; cy 0 for no text) and `seed` (the
// query's seed wins). Returns the field-sized RGBA image, or null without memory.
EMSCRIPTEN_KEEPALIVE uint8_t* vapryx_open(const uint8_t* ink, int cx, int cy, uint32_t seed) {
  if (Page.saver != nullptr) CloseSaver(Page.saver), Page.saver = nullptr;
  const SaverSettings& s = Page.settings;
  const TextBand band = ink != nullptr ? ComputeTextBand(cx, cy, s.fieldWidth, s.fieldHeight)
                                       : TextBand{};
  Page.band.assign(static_cast<size_t>(band.width) * band.height * 3, 0);
  if (band.width > 0) {
    SqueezeTextRaster(ink, cx, cy, band.width, band.height, Page.band.data());
  }
  const TextRaster raster{Page.band.data(), band.width, band.height};
  Page.saver = OpenSaver(s, raster, Page.options.haveSeed ? Page.options.seed : seed,
                         kCanvasFormat);
  if (Page.saver == nullptr) return nullptr;
  Page.shown = s;
  Page.image.assign(static_cast<size_t>(s.fieldWidth) * s.fieldHeight * 4, 0);
  return Page.image.data();
}

// The outline's nodes: none when the text drew nothing the smoke can come from.
EMSCRIPTEN_KEEPALIVE int vapryx_outline() {
  return Page.saver != nullptr ? Page.saver->outline.nodeCount : 0;
}

// After settings changed: 2 when the smoke must be prepared again (text, font, resolution
// or volume: the page rasterises and opens anew), 1 when only the ramp was rebuilt, 0 for
// nothing to do.
EMSCRIPTEN_KEEPALIVE int vapryx_apply() {
  if (Page.saver == nullptr || NeedsPreparing(Page.settings, Page.shown)) return 2;
  if (Page.settings.color == Page.shown.color &&
      Page.settings.brightness == Page.shown.brightness) {
    return 0;
  }
  SetSaverColors(Page.saver, Page.settings.color, Page.settings.brightness);
  Page.shown.color = Page.settings.color;
  Page.shown.brightness = Page.settings.brightness;
  return 1;
}

// One frame: the field through the ramp into the image, then one step.
EMSCRIPTEN_KEEPALIVE uint8_t* vapryx_frame() {
  if (Page.saver == nullptr) return nullptr;
  DrawSaverFrame(Page.saver, Page.image.data(), static_cast<size_t>(Page.shown.fieldWidth) * 4);
  return Page.image.data();
}

// The two halves of a frame, apart, for measuring: one step alone, and the field through
// the ramp alone.
EMSCRIPTEN_KEEPALIVE void vapryx_step() {
  if (Page.saver != nullptr) DrawSaverFrame(Page.saver, nullptr, 0);
}
EMSCRIPTEN_KEEPALIVE void vapryx_ramp() {
  if (Page.saver == nullptr) return;
  const SmokeEngine& e = Page.saver->engine;
  RenderFieldImage(e.smokeField, e.width, e.height, Page.saver->pixels,
                   reinterpret_cast<uint32_t*>(Page.image.data()), static_cast<size_t>(e.width));
}

// Where the field goes on a page of width x height: left, top, width, height, cropped as on
// every other display (the text band always in view).
EMSCRIPTEN_KEEPALIVE const int32_t* vapryx_fit(int width, int height) {
  if (Page.saver == nullptr || width <= 0 || height <= 0) return nullptr;
  const SmokeEngine& e = Page.saver->engine;
  const FieldView view = FitFieldToWindow(e.width, e.height, Page.saver->bandHeight, width,
                                          height);
  Page.fit[0] = view.left, Page.fit[1] = view.top;
  Page.fit[2] = view.shownWidth, Page.fit[3] = view.shownHeight;
  return Page.fit;
}

}  // extern "C"
