// A monitor's cover, drawn in this process and read back: the field must land where
// FitFieldToWindow puts it, with black bars; GDI rounds its own way, so a window pixel may
// show any field pixel under it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "host/saver_win32.h"
#include "present/frame_win32.h"
#include "smoke/decay.h"
#include "tests/window_pixels_win32.h"

namespace {
// The first and last of n field pixels that each window pixel covers, when they are shown
// across `shown` pixels from window position `start`; -1 for a bar.
std::vector<std::pair<int32_t, int32_t>> PixelsUnder(int32_t n, int32_t start, int32_t shown,
                                                     int32_t size) {
  std::vector<std::pair<int32_t, int32_t>> under(size, {-1, -1});
  for (int32_t i = std::max(start, 0); i < std::min(start + shown, size); ++i) {
    const int64_t at = i - start;
    under[i] = {static_cast<int32_t>(at * n / shown),
                static_cast<int32_t>(((at + 1) * n - 1) / shown)};
  }
  return under;
}
}  // namespace

TEST(MonitorCover, ShowsTheFieldAsFittedToItsMonitor) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto block = std::make_unique<uint8_t[]>(FrameBufferBlockSize(640, 480));
  auto plan = std::make_unique<RemapPlan>();
  std::vector<int32_t> profile(kTableRows);
  std::vector<uint8_t> decay(kDecayTableBytes);
  SaverCore& core = Saver.core;
  Saver.mode = Fullscreen;
  // Beside the memory error there is no field to fit: a black cover, no crash.
  Saver.window = nullptr;
  core.engine.width = core.engine.height = 0;
  ASSERT_EQ(PlaceCover(&Saver.covers[0], RECT{0, 0, 320, 240}, false), 1);
  DestroyWindow(Saver.covers[0].window);
  core.settings.color = 0xFFFFFF;
  core.settings.brightness = 5;
  core.bandHeight = 200;  // 5/12 of 480
  ASSERT_EQ(BindSaver(&core, {block.get(), profile.data(), decay.data(), plan.get()}, 640, 480), 1);
  ASSERT_EQ(PrepareSmokeMotion(&core.engine) && PrepareSmokeDecay(&core.engine, 5), 1);
  RegisterSaverClass(instance);
  // Hidden, or it would hide the cover, which is what is read.
  ASSERT_EQ(CreateSaverWindow(instance, SW_HIDE, 640, 480), 1);
  HDC dc = GetDC(Saver.window);
  Saver.fieldBitmap = CreateCompatibleBitmap(dc, 640, 480);
  ReleaseDC(Saver.window, dc);

  // Enlarged 4:3, 16:9 cropped above and below, so wide that bars stand left and right,
  // narrower than 4:3 with bars above and below, shrunk: one cover moved from each to the next.
  const int32_t kMonitors[][2] = {{800, 600}, {800, 450}, {800, 200}, {300, 400}, {320, 240}};
  for (const auto& m : kMonitors) {
    const int32_t w = m[0], h = m[1];
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    ASSERT_EQ(PlaceCover(&Saver.covers[0], RECT{0, 0, w, h}, Saver.coverCount == 1), 1);
    Saver.coverCount = 1;
    RECT r;
    GetWindowRect(Saver.covers[0].window, &r);
    EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == w && r.bottom == h);
    MSG message;  // the bars painted
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);

    // Each value tells a pixel's column and row from its neighbours'.
    uint8_t* field = core.engine.smokeField;
    for (int32_t y = 0; y < 480; ++y)
      for (int32_t x = 0; x < 640; ++x) field[y * 640 + x] = static_cast<uint8_t>(x * 7 + y * 13);
    const std::vector<uint8_t> shown(field, field + 640 * 480);
    DrawFrame();

    const FieldView view = FitFieldToWindow(640, 480, 200, w, h);
    const auto columns = PixelsUnder(640, view.left, view.shownWidth, w);
    const auto rows = PixelsUnder(480, view.top, view.shownHeight, h);
    const RGBQUAD* colours =
        reinterpret_cast<const RGBQUAD*>(core.engine.fieldBitmapInfo + sizeof(BITMAPINFOHEADER));
    const std::vector<uint8_t> pixels = ReadWindowPixels(Saver.covers[0].window, w, h);
    int32_t wrong = 0;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * w + x) * 4;
        auto is = [p](RGBQUAD c) {
          return p[0] == c.rgbBlue && p[1] == c.rgbGreen && p[2] == c.rgbRed;
        };
        bool right = columns[x].first < 0 || rows[y].first < 0 ? is(RGBQUAD{0, 0, 0, 0}) : false;
        for (int32_t r = rows[y].first; r >= 0 && r <= rows[y].second && !right; ++r)
          for (int32_t c = columns[x].first; c >= 0 && c <= columns[x].second && !right; ++c)
            right = is(colours[shown[r * 640 + c]]);
        if (!right && ++wrong <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  DestroyWindow(Saver.window);
  EXPECT_FALSE(IsWindow(Saver.covers[0].window));  // the covers went with the saver window
}
