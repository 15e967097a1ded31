// A monitor's cover, drawn in this process and read back: the field must land where
// FitFieldToWindow puts it, column for column and row for row, with black bars.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "host/saver_win32.h"
#include "present/frame_win32.h"
#include "present/scale.h"
#include "smoke/decay.h"
#include "tests/window_pixels_win32.h"

namespace {

// The field pixels that window pixel i covers, when n of them are shown across `shown`
// window pixels from window position `start`; first -1 for a bar.
struct Under {
  int32_t first, last;
};
std::vector<Under> PixelsUnder(int32_t n, int32_t start, int32_t shown, int32_t size) {
  std::vector<Under> under(size, Under{-1, -1});
  for (int32_t i = std::max(start, 0); i < std::min(start + shown, size); ++i) {
    const int64_t at = i - start;  // the window pixel spans field [at, at + 1) x n / shown
    under[i] = Under{static_cast<int32_t>(at * n / shown),
                     static_cast<int32_t>(((at + 1) * n - 1) / shown)};
  }
  return under;
}

void PumpMessages() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
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
  Saver.parentHandle = 0;
  core.settings.color = 0xFFFFFF;
  core.settings.brightness = 5;
  core.bandHeight = 200;  // 5/12 of 480
  ASSERT_EQ(BindSaver(&core, {block.get(), profile.data(), decay.data(), plan.get()}, 640, 480), 1);
  SeedRandom(&core.random, 1);
  ASSERT_EQ(PrepareSmokeMotion(&core.engine), 1);
  ASSERT_EQ(PrepareSmokeDecay(&core.engine, 5), 1);
  RegisterSaverClass(instance);
  // The saver window stays hidden: it would cover the cover, and only the cover is read.
  ASSERT_EQ(CreateSaverWindow(instance, SW_HIDE, 640, 480), 1);
  HDC dc = GetDC(Saver.window);
  Saver.fieldBitmap = CreateCompatibleBitmap(dc, 640, 480);
  ReleaseDC(Saver.window, dc);

  // Enlarged 4:3, 16:9 cropped above and below, so wide that bars stand left and right,
  // narrower than 4:3 with bars above and below, and shrunk; each after the one before, so
  // that a cover moved to another monitor is checked too.
  const struct {
    int32_t width, height;
  } kMonitors[] = {{800, 600}, {800, 450}, {800, 200}, {300, 400}, {320, 240}};
  bool made = false;
  for (const auto& m : kMonitors) {
    SCOPED_TRACE(testing::Message() << m.width << "x" << m.height);
    ASSERT_EQ(PlaceCover(&Saver.covers[0], RECT{0, 0, m.width, m.height}, made), 1);
    made = true;
    Saver.coverCount = 1;
    RECT r;
    GetWindowRect(Saver.covers[0].window, &r);
    EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == m.width && r.bottom == m.height);
    PumpMessages();  // the bars painted black

    // Each pixel's value tells its column and row apart from their neighbours'.
    uint8_t* field = core.engine.smokeField;
    for (int32_t y = 0; y < 480; ++y)
      for (int32_t x = 0; x < 640; ++x) field[y * 640 + x] = static_cast<uint8_t>(x * 7 + y * 13);
    const std::vector<uint8_t> shown(field, field + 640 * 480);
    DrawFrame();

    // GDI rounds its own way: a window pixel may show any field pixel under it, where the
    // view puts the field.
    const FieldView view = FitFieldToWindow(640, 480, 200, m.width, m.height);
    const std::vector<Under> columns = PixelsUnder(640, view.left, view.shownWidth, m.width);
    const std::vector<Under> rows = PixelsUnder(480, view.top, view.shownHeight, m.height);
    const RGBQUAD* colours =
        reinterpret_cast<const RGBQUAD*>(core.engine.fieldBitmapInfo + sizeof(BITMAPINFOHEADER));
    const std::vector<uint8_t> pixels = ReadWindowPixels(Saver.covers[0].window, m.width, m.height);
    int32_t wrong = 0;
    for (int32_t y = 0; y < m.height; ++y) {
      for (int32_t x = 0; x < m.width; ++x) {
        const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * m.width + x) * 4;
        auto is = [&](RGBQUAD want) {
          return p[0] == want.rgbBlue && p[1] == want.rgbGreen && p[2] == want.rgbRed;
        };
        bool right = columns[x].first < 0 || rows[y].first < 0 ? is(RGBQUAD{0, 0, 0, 0}) : false;
        for (int32_t r = rows[y].first; r >= 0 && r <= rows[y].last && !right; ++r)
          for (int32_t c = columns[x].first; c >= 0 && c <= columns[x].last && !right; ++c)
            right = is(colours[shown[r * 640 + c]]);
        if (!right && ++wrong <= 3) ADD_FAILURE() << "pixel " << x << "," << y;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  DestroyWindow(Saver.window);
  EXPECT_EQ(Saver.coverCount, 0);  // the saver window's covers went with it
  EXPECT_FALSE(IsWindow(Saver.covers[0].window));
}
