// dialog_win32.cpp: the settings dialog: shows the stored settings, stores them on OK.
#include "settings/dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

#include "settings/registry_win32.h"
#include "settings/settings.h"

namespace {

constexpr char kStateProperty[] = "CLASSPTR";
constexpr int kTextBox = 1000;
constexpr int kResolutionBar = 1003;
constexpr int kChooseColorButton = 1004;
constexpr int kBrightnessBar = 1005;
constexpr int kSwatch = 1006;
constexpr int kFontList = 1007;
constexpr int kVolumeBar = 1014;
constexpr int kTypedTextLimit = 10;

SettingsDialogState* StateOf(HWND dialog) {
  return static_cast<SettingsDialogState*>(GetPropA(dialog, kStateProperty));
}

// A stored 32-bit value shown on a trackbar: its default when unreadable, at most `highest`
// (compared unsigned, so a value with the top bit set is shown at the top).
void ShowDword(HWND dialog, int bar, const char* name, uint32_t value, uint32_t highest) {
  ReadDwordSetting(HKEY_CURRENT_USER, kSettingsKey, name, &value);
  if (value > highest) value = highest;
  SendDlgItemMessageA(dialog, bar, TBM_SETPOS, TRUE, static_cast<LPARAM>(value));
}

void StoreTrackbar(HWND dialog, int bar, const char* name) {
  const LRESULT position = SendDlgItemMessageA(dialog, bar, TBM_GETPOS, 0, 0);
  WriteDwordSetting(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<uint32_t>(position));
}

}  // namespace

int CALLBACK AddFontFamily(const LOGFONTA* family, const TEXTMETRICA*, DWORD fontType,
                           LPARAM fontList) {
  if (!(fontType & TRUETYPE_FONTTYPE)) return 1;  // raster and vector fonts are never listed
  const char* fullName =
      reinterpret_cast<const char*>(reinterpret_cast<const ENUMLOGFONTA*>(family)->elfFullName);
  HWND list = reinterpret_cast<HWND>(fontList);
  // CB_FINDSTRING matches prefixes: a name already covered by a longer one is skipped too.
  if (SendMessageA(list, CB_FINDSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(fullName)) == CB_ERR) {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fullName));
  }
  return 1;
}

void InitSettingsDialog(SettingsDialogState* state, HWND dialog) {
  state->Dialog = dialog;
  HWND fontList = GetDlgItem(dialog, kFontList);
  SetWindowPos(fontList, nullptr, 0, 0, 160, 100, SWP_NOMOVE | SWP_NOZORDER);
  SendDlgItemMessageA(dialog, kTextBox, EM_LIMITTEXT, kTypedTextLimit, 0);

  HDC dc = GetDC(dialog);
  EnumFontFamiliesA(dc, nullptr, AddFontFamily, reinterpret_cast<LPARAM>(fontList));
  ReleaseDC(dialog, dc);

  SendDlgItemMessageA(dialog, kResolutionBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 1));
  SendDlgItemMessageA(dialog, kBrightnessBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendDlgItemMessageA(dialog, kVolumeBar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));

  char text[kSettingTextBytes] = "name";
  ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, "Text", text, sizeof text);
  SetDlgItemTextA(dialog, kTextBox, text);

  char font[kSettingTextBytes] = "Arial Black";
  ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, "Font", font, sizeof font);
  EnableWindow(fontList, TRUE);
  const LRESULT match = SendMessageA(fontList, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(font));
  SendMessageA(fontList, CB_SETCURSEL, static_cast<WPARAM>(match), 0);  // CB_ERR: no selection

  ShowDword(dialog, kResolutionBar, "Resolution", 0, 1);
  ShowDword(dialog, kBrightnessBar, "Brightness", 5, 10);
  ShowDword(dialog, kVolumeBar, "Volume", 5, 10);

  char color[kColorStringBytes] = "255 255 255";
  ReadStringSetting(HKEY_CURRENT_USER, kSettingsKey, "Color", color, sizeof color);
  state->CurrentColor = ParseColorString(color);
  state->SwatchBrush = CreateSolidBrush(state->CurrentColor);
}

void SaveSettingsFromDialog(SettingsDialogState* state) {
  HWND dialog = state->Dialog;
  char text[20] = "";
  GetDlgItemTextA(dialog, kTextBox, text, sizeof text);
  WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, "Text", text);
  char font[kSettingTextBytes] = "";
  GetDlgItemTextA(dialog, kFontList, font, sizeof font);
  WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, "Font", font);
  StoreTrackbar(dialog, kResolutionBar, "Resolution");
  char color[kColorStringBytes];
  FormatColorString(state->CurrentColor, color);
  WriteStringSetting(HKEY_CURRENT_USER, kSettingsKey, "Color", color);
  StoreTrackbar(dialog, kBrightnessBar, "Brightness");
  StoreTrackbar(dialog, kVolumeBar, "Volume");
}

int OnSettingsCommand(SettingsDialogState* state, WPARAM wParam, LPARAM) {
  switch (LOWORD(wParam)) {
    case IDOK:
      SaveSettingsFromDialog(state);
      [[fallthrough]];
    case IDCANCEL:  // also Esc and the close box
      DeleteObject(state->SwatchBrush);
      state->SwatchBrush = nullptr;
      EndDialog(state->Dialog, 1);
      break;
    case kChooseColorButton: {
      CHOOSECOLORA chooser;
      std::memset(&chooser, 0, sizeof chooser);
      chooser.lStructSize = sizeof chooser;
      chooser.hwndOwner = state->Dialog;
      chooser.rgbResult = state->CurrentColor;
      chooser.lpCustColors = state->CustomColors;
      chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
      if (ChooseColorA(&chooser)) {
        state->CurrentColor = chooser.rgbResult;
        DeleteObject(state->SwatchBrush);
        state->SwatchBrush = CreateSolidBrush(state->CurrentColor);
        InvalidateRgn(GetDlgItem(state->Dialog, kSwatch), nullptr, TRUE);
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetPropA(dialog, kStateProperty, reinterpret_cast<HANDLE>(lParam));
      InitSettingsDialog(reinterpret_cast<SettingsDialogState*>(lParam), dialog);
      return FALSE;  // no default focus
    case WM_COMMAND:
      OnSettingsCommand(StateOf(dialog), wParam, lParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, kSwatch)) {
        return reinterpret_cast<INT_PTR>(StateOf(dialog)->SwatchBrush);
      }
      return 0;
    default:
      return 0;
  }
}

void RunSettingsDialog(HINSTANCE instance, HWND parent) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  SettingsDialogState state;
  std::memset(&state, 0, sizeof state);
  state.Instance = instance;
  for (COLORREF& c : state.CustomColors) c = RGB(255, 255, 255);
  DialogBoxParamA(instance, MAKEINTRESOURCEA(kSettingsDialogTemplate), parent, SettingsDialogProc,
                  reinterpret_cast<LPARAM>(&state));
}
