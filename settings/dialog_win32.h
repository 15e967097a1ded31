// dialog_win32.h: the settings dialog (template 129), the whole of a configure run.
#pragma once
#include <windows.h>

struct SettingsDialogState {
  HINSTANCE Instance;
  HBRUSH SwatchBrush;  // in CurrentColor; made at initialisation, deleted at the end
  COLORREF CurrentColor;
  COLORREF CustomColors[16];  // the colour chooser's, for this dialog only
  HWND Dialog;
};

constexpr int kSettingsDialogTemplate = 129;

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void InitSettingsDialog(SettingsDialogState* state, HWND dialog);
int OnSettingsCommand(SettingsDialogState* state, WPARAM wParam, LPARAM lParam);
void SaveSettingsFromDialog(SettingsDialogState* state);
int CALLBACK AddFontFamily(const LOGFONTA* family, const TEXTMETRICA* metrics, DWORD fontType,
                           LPARAM fontList);

// Runs the dialog modally with `parent` as its owner.
void RunSettingsDialog(HINSTANCE instance, HWND parent);
