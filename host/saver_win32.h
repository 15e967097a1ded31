// saver_win32.h: the saver's process-wide state, in one record, and the host's Win32 shell.
#pragma once
#include <windows.h>

#include <cstdint>

#include "host/saver.h"
#include "host/switches.h"
#include "settings/settings.h"
#include "smoke/field.h"
#include "smoke/random.h"
#include "text/outline_win32.h"

// In full screen, every monitor but the primary gets a window of its own that shows the
// same field, scaled to it as FitFieldToWindow maps it, and ends the saver on input as the
// saver window does. The primary keeps the saver window.
constexpr int kMaxMonitorCovers = 16;
struct MonitorCover {
  HWND window;
  RECT monitor;  // screen coordinates
  RECT picture;  // where the whole field goes in the window; it may reach past the edges
};

struct SaverState {
  SaverMode mode;
  int32_t parentHandle;  // used as the parent window handle
  int32_t previewWidth;
  int32_t previewHeight;
  char errorText[64];
  HBRUSH blackBrush;
  HWND window;
  HWND errorTextWindow;
  HBITMAP fieldBitmap;
  int32_t frameBusy;
  int32_t mouseMoves;
  SaverCore core;  // settings, engine (W and H live there once bound), outline, generator
  // Preview only: sample offsets into the field, the sampled 8-bit picture, its bitmap.
  uint32_t* previewSampleTable;
  uint8_t* previewPixels;
  HBITMAP previewBitmap;
  MonitorCover covers[kMaxMonitorCovers];
  int32_t coverCount;
};

extern SaverState Saver;

constexpr UINT_PTR kFrameTimer = 0;
constexpr UINT_PTR kErrorTextTimer = 2;

HWND ParentWindow();

// The preview's check, twice a second, that its parent still exists. A thread timer, since
// a host that dies without destroying its windows takes ours (and their timers) with them
// in the window server, and no WM_DESTROY ever comes.
void CALLBACK CheckPreviewParent(HWND, UINT, UINT_PTR, DWORD);
// A window class whose windows are black until drawn and redrawn whole when resized.
ATOM RegisterBlackClass(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon,
                        HCURSOR cursor);
void RegisterSaverClass(HINSTANCE instance);
int CreateSaverWindow(HINSTANCE instance, int showCommand, int32_t width, int32_t height);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void MoveErrorText();

// Gives every monitor but the primary a cover, as the monitors stand now: made, moved or
// destroyed to match them. Black until a frame draws on them.
void CoverOtherMonitors();
// The check, every second, that the covers still match the monitors: a thread timer's, as
// not every system tells a window of a monitor plugged in or out (WM_DISPLAYCHANGE).
void CALLBACK CheckMonitors(HWND, UINT, UINT_PTR, DWORD);
// One cover on `monitor`: its window made, or moved when `made`; 0 when it cannot be made.
int PlaceCover(MonitorCover* cover, const RECT& monitor, bool made);
LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
