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
};

extern SaverState Saver;

constexpr UINT_PTR kFrameTimer = 0;
constexpr UINT_PTR kErrorTextTimer = 2;

HWND ParentWindow();

// The preview's check, twice a second, that its parent still exists. A thread timer, since
// a host that dies without destroying its windows takes ours (and their timers) with them
// in the window server, and no WM_DESTROY ever comes.
void CALLBACK CheckPreviewParent(HWND, UINT, UINT_PTR, DWORD);
void RegisterSaverClass(HINSTANCE instance);
int CreateSaverWindow(HINSTANCE instance, int showCommand, int32_t width, int32_t height);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void MoveErrorText();
