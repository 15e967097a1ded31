// The preview drawn in this process: Wine shows nothing that another process draws into a
// child of this one's window, so the end-to-end test cannot see the preview's pixels; here
// the saver window, the sampling and the frame run in-process and the pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "host/saver_win32.h"
#include "present/frame_win32.h"
#include "smoke/decay.h"
#include "tests/window_pixels_win32.h"

TEST(PreviewFrame, SamplesTheFieldIntoTheChildWindow) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HWND parent = CreateWindowA("STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr,
                              nullptr, instance, nullptr);
  ASSERT_NE(parent, nullptr);

  auto block = std::make_unique<uint8_t[]>(FrameBufferBlockSize(640, 480));
  SaverCore& core = Saver.core;
  auto plan = std::make_unique<RemapPlan>();
  std::vector<int32_t> profile(kTableRows);
  std::vector<uint8_t> decay(kDecayTableBytes);
  Saver.mode = Preview;
  Saver.parentHandle = static_cast<int32_t>(reinterpret_cast<intptr_t>(parent));
  Saver.previewWidth = 152;
  Saver.previewHeight = 112;
  core.settings.color = 0x0000FF;  // red
  core.settings.brightness = 5;
  ASSERT_EQ(BindSaver(&core, {block.get(), profile.data(), decay.data(), plan.get()}, 640, 480), 1);
  SeedRandom(&core.random, 1);
  ASSERT_EQ(PrepareSmokeMotion(&core.engine), 1);
  ASSERT_EQ(PrepareSmokeDecay(&core.engine, 5), 1);
  // Left half of the field at 64 (dark red), right half at 192 (light red).
  for (int32_t y = 0; y < 480; ++y) {
    std::memset(core.engine.smokeField + y * 640, 64, 320);
    std::memset(core.engine.smokeField + y * 640 + 320, 192, 320);
  }

  RegisterSaverClass(instance);
  ASSERT_EQ(CreateSaverWindow(instance, SW_SHOW, 152, 112), 1);
  HDC dc = GetDC(Saver.window);
  BuildPreviewSampling(dc);
  ReleaseDC(Saver.window, dc);
  DrawPreviewFrame();

  // Column k shows field column 4k: columns 0..79 are dark red, 80..151 light red.
  const std::vector<uint8_t> pixels = ReadWindowPixels(Saver.window, 152, 112);
  auto at = [&](int x, int y) { return pixels.data() + (y * 152 + x) * 4; };  // blue, green, red
  for (int y : {0, 50, 111}) {
    EXPECT_EQ(at(0, y)[2], 128) << y;
    EXPECT_EQ(at(0, y)[1], 0) << y;
    EXPECT_EQ(at(79, y)[2], 128) << y;
    EXPECT_EQ(at(80, y)[2], 255) << y;
    EXPECT_EQ(at(151, y)[1], 129) << y;
    EXPECT_EQ(at(151, y)[0], 129) << y;
  }
  DestroyWindow(parent);
}
