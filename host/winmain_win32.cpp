// winmain_win32.cpp: start-up, the drawing modes' preparation, the message loop, and the
// display-mode change and restore.
#include <windows.h>

#include <cstring>
#include <ctime>
#include <vector>

#include "host/saver_win32.h"
#include "present/frame_win32.h"
#include "settings/dialog_win32.h"
#include "settings/registry_win32.h"
#include "smoke/decay.h"

namespace {

// The engine's static tables: rows for the tallest field.
int32_t FlowProfile[kTableRows];
uint8_t DecayTable[kDecayTableBytes];
RemapPlan Plan;

constexpr char kDisplayError[] = "Unable to set the display settings you choose";
constexpr char kMemoryError[] = "Not enough memory to run the program";
constexpr DWORD kModeFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;  // 0x1C0000
static_assert(sizeof(DEVMODEA) == 156, "the display mode record the system expects");

// The first mode of exactly width x height at 24 bits or more, set as a temporary change.
// A refused change is final: later modes are not tried.
bool ChangeDisplayMode(int32_t width, int32_t height) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
    if (static_cast<int32_t>(mode.dmPelsWidth) != width ||
        static_cast<int32_t>(mode.dmPelsHeight) != height || mode.dmBitsPerPel < 24) {
      continue;
    }
    mode.dmFields = kModeFields;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
  }
  return false;
}

// The preparation of a normal run, in its fixed order; the frame timer starts last.
void PrepareFrames() {
  HDC dc = GetDC(Saver.window);
  SaverCore& core = Saver.core;
  Saver.fieldBitmap = CreateCompatibleBitmap(dc, core.engine.width, core.engine.height);
  std::vector<uint8_t> bandPixels;
  const TextRaster band = RenderTextBand(dc, core.engine.width, core.engine.height,
                                         core.settings.text, core.settings.font, &bandPixels);
  // GDI shows the field through FieldBitmapInfo: no pixel format of ours is needed.
  const int prepared =
      PrepareSaver(&core, band, static_cast<uint32_t>(std::time(nullptr)), PixelFormat{});
  if (Saver.mode == Preview) BuildPreviewSampling(dc);
  ReleaseDC(Saver.window, dc);
  if (prepared) SetTimer(Saver.window, kFrameTimer, 33, nullptr);
}

int RunDrawingMode(HINSTANCE instance, int showCommand) {
  Saver.blackBrush = CreateSolidBrush(0);
  const SettingsReader reader = RegistrySettingsReader();
  LoadSaverSettings(&reader, &Saver.core.settings);
  int32_t width = Saver.core.settings.fieldWidth, height = Saver.core.settings.fieldHeight;
  int32_t fieldWidth = width, fieldHeight = height;
  if (Saver.mode == Preview) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(ParentWindow(), &client);
    Saver.previewWidth = width = client.right - client.left;
    Saver.previewHeight = height = client.bottom - client.top;
    fieldWidth = 640, fieldHeight = 480;
  }

  bool failed = false, modeChanged = false;
  if (Saver.mode == Fullscreen) {
    ShowCursor(FALSE);
    modeChanged = ChangeDisplayMode(fieldWidth, fieldHeight);
    if (!modeChanged) std::strcpy(Saver.errorText, kDisplayError), failed = true;
  }
  const SaverMemory memory = {GlobalAlloc(GPTR, FrameBufferBlockSize(fieldWidth, fieldHeight)),
                              FlowProfile, DecayTable, &Plan};
  if (!BindSaver(&Saver.core, memory, fieldWidth, fieldHeight)) {
    std::strcpy(Saver.errorText, kMemoryError), failed = true;
  }
  if (failed) width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);

  RegisterSaverClass(instance);
  if (!CreateSaverWindow(instance, showCommand, width, height)) {
    if (modeChanged) ChangeDisplaySettingsA(nullptr, 0);  // do not leave the display switched
    return 0;
  }
  if (Saver.mode == Preview) SetTimer(nullptr, 0, 500, CheckPreviewParent);

  if (failed) {
    Saver.errorTextWindow = CreateWindowExA(0, "Static", Saver.errorText, WS_CHILD | WS_VISIBLE, 10,
                                            10, 400, 50, Saver.window, nullptr, instance, nullptr);
    SetTimer(Saver.window, kErrorTextTimer, 5000, nullptr);
  } else {
    PrepareFrames();
  }
  // The other monitors: smoke as on the primary, or black beside the error text.
  if (Saver.mode == Fullscreen) {
    CoverOtherMonitors();
    SetTimer(nullptr, 0, 1000, CheckMonitors);
  }

  MSG message;
  std::memset(&message, 0, sizeof message);
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  ChangeDisplaySettingsA(nullptr, 0);
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  // One instance at a time across all modes; the mutex is held until the process ends.
  CreateMutexA(nullptr, TRUE, "SS_VAPRYX");
  if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  SeedRandom(&Saver.core.random, 1);  // as the runtime's generator starts; the error path never seeds it
  const RunChoice choice = ChooseRunMode(commandLine);
  Saver.mode = choice.mode;
  Saver.parentHandle = choice.parentHandle;
  if (Saver.mode == Configure) {
    RunSettingsDialog(instance, ParentWindow());
    return 0;  // whatever the dialog returned
  }
  return RunDrawingMode(instance, showCommand);
}
