// monitors_win32.cpp: full screen on a desk of several monitors. The saver window covers
// the primary, whose mode it changed; each other monitor gets a cover window of its own.
#include <cstring>

#include "host/saver_win32.h"
#include "present/scale.h"

namespace {

constexpr char kCoverClass[] = "SS_VAPRYX_COVER";

struct MonitorList {
  RECT monitors[kMaxMonitorCovers];
  int32_t count;
};

BOOL CALLBACK AddOtherMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MonitorList* list = reinterpret_cast<MonitorList*>(data);
  MONITORINFO info;
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY) &&
      list->count < kMaxMonitorCovers) {
    list->monitors[list->count++] = info.rcMonitor;
  }
  return TRUE;
}

// The field's place in a window of the monitor's size, as every other front end shows it;
// none beside the memory error, where there is no field.
RECT PictureOn(const RECT& monitor) {
  const SmokeEngine& e = Saver.core.engine;
  if (e.width == 0) return RECT{0, 0, 0, 0};
  const FieldView view =
      FitFieldToWindow(e.width, e.height, Saver.core.bandHeight, monitor.right - monitor.left,
                       monitor.bottom - monitor.top);
  return RECT{view.left, view.top, view.left + view.shownWidth, view.top + view.shownHeight};
}

HWND MakeCover(const RECT& monitor) {
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  // No cursor of its own: the saver keeps it hidden over every monitor.
  if (!registered)
    registered = RegisterBlackClass(instance, kCoverClass, CoverWindowProc, nullptr, nullptr) != 0;
  // Owned by the saver window: they go when it goes. Shown without taking the focus from it.
  HWND cover =
      CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, kCoverClass, WS_POPUP,
                      monitor.left, monitor.top, monitor.right - monitor.left,
                      monitor.bottom - monitor.top, Saver.window, nullptr, instance, nullptr);
  if (cover != nullptr) {
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    UpdateWindow(cover);
  }
  return cover;
}

}  // namespace

int PlaceCover(MonitorCover* cover, const RECT& monitor, bool made) {
  const RECT& m = monitor;
  if (made && EqualRect(&cover->monitor, &m)) return 1;
  if (!made) {
    if ((cover->window = MakeCover(m)) == nullptr) return 0;
  } else {
    SetWindowPos(cover->window, HWND_TOPMOST, m.left, m.top, m.right - m.left, m.bottom - m.top,
                 SWP_NOACTIVATE);
  }
  cover->monitor = m;
  cover->picture = PictureOn(m);
  return 1;
}

void CoverOtherMonitors() {
  MonitorList list;
  std::memset(&list, 0, sizeof list);
  EnumDisplayMonitors(nullptr, nullptr, AddOtherMonitor, reinterpret_cast<LPARAM>(&list));
  int32_t kept = 0;
  for (int32_t i = 0; i < list.count; ++i) {
    // A monitor whose cover cannot be made stays uncovered; the others are not held up.
    kept += PlaceCover(&Saver.covers[kept], list.monitors[i], kept < Saver.coverCount);
  }
  for (int32_t i = kept; i < Saver.coverCount; ++i) DestroyWindow(Saver.covers[i].window);
  Saver.coverCount = kept;
}

void CALLBACK CheckMonitors(HWND, UINT, UINT_PTR, DWORD) {
  if (IsWindow(Saver.window)) CoverOtherMonitors();
}

// Input, closing and the rest as the saver window has them, so that the saver ends the same
// way over any monitor.
LRESULT CALLBACK CoverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_MOUSEMOVE:
    case WM_CLOSE:
      return SaverWindowProc(Saver.window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
