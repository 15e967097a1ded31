// window_win32.cpp: the saver window, its class and its messages.
#include <cstring>

#include "host/input.h"
#include "host/saver_win32.h"
#include "present/frame_win32.h"

SaverState Saver;

namespace {
constexpr char kClassName[] = "SS_VAPRYX";
constexpr int kIconResource = 133;
}  // namespace

HWND ParentWindow() { return reinterpret_cast<HWND>(static_cast<intptr_t>(Saver.parentHandle)); }

void CALLBACK CheckPreviewParent(HWND, UINT, UINT_PTR, DWORD) {
  if (IsWindow(ParentWindow())) return;
  // Ends as a destroyed parent ends it: our window goes, then the loop, with exit code 0.
  if (IsWindow(Saver.window)) {
    DestroyWindow(Saver.window);
  } else {
    PostQuitMessage(0);
  }
}

ATOM RegisterBlackClass(HINSTANCE instance, const char* name, WNDPROC procedure, HICON icon,
                        HCURSOR cursor) {
  WNDCLASSEXA cls;
  std::memset(&cls, 0, sizeof cls);
  cls.cbSize = sizeof cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = procedure;
  cls.hInstance = instance;
  cls.hIcon = icon;
  cls.hIconSm = icon;
  cls.hCursor = cursor;
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  cls.lpszClassName = name;
  return RegisterClassExA(&cls);
}

void RegisterSaverClass(HINSTANCE instance) {
  RegisterBlackClass(instance, kClassName, SaverWindowProc,
                     LoadIconA(instance, MAKEINTRESOURCEA(kIconResource)),
                     LoadCursorA(nullptr, IDC_ARROW));
}

int CreateSaverWindow(HINSTANCE instance, int showCommand, int32_t width, int32_t height) {
  const bool fullscreen = Saver.mode == Fullscreen;
  Saver.window = CreateWindowExA(fullscreen ? WS_EX_TOPMOST : 0, kClassName, kClassName,
                                 fullscreen ? WS_POPUP : WS_CHILD, 0, 0, width, height,
                                 ParentWindow(), nullptr, instance, nullptr);
  if (Saver.window == nullptr) return 0;
  ShowWindow(Saver.window, showCommand);
  UpdateWindow(Saver.window);
  return 1;
}

void MoveErrorText() {
  const int x = NextRandom(&Saver.core.random) % 200;
  const int y = NextRandom(&Saver.core.random) % 200;
  SetWindowPos(Saver.errorTextWindow, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool fullscreen = Saver.mode == Fullscreen;
  switch (message) {
    case WM_DESTROY:
      Saver.coverCount = 0;  // the covers, owned by this window, have gone before it
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      if (fullscreen) DestroyWindow(window);
      return 0;
    case WM_MOUSEMOVE:
      if (fullscreen && CountMouseMove(&Saver.mouseMoves)) DestroyWindow(window);
      return 0;
    case WM_TIMER:
      if (wParam == kFrameTimer) {
        if (Saver.frameBusy) return 0;  // a tick during a frame is dropped
        Saver.frameBusy = 1;
        if (Saver.mode == Preview) {
          DrawPreviewFrame();
        } else {
          DrawFrame();
        }
        Saver.frameBusy = 0;
      } else if (wParam == kErrorTextTimer) {
        MoveErrorText();
      }
      return 0;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, 0xFFFFFF);
      SetBkColor(dc, 0);
      return reinterpret_cast<LRESULT>(Saver.blackBrush);
    }
    case WM_DISPLAYCHANGE:  // a monitor came, went or moved: the covers follow
      if (fullscreen) CoverOtherMonitors();
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
