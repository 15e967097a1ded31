// probe.cpp: a small Win32 program the end-to-end tests use to look at and poke the saver
// from inside Wine. Prints its findings on stdout; exits 0 when the check holds, 1 when not.
//
//   probe mode                      current display mode, "WxH"
//   probe wait-window MS            waits for the saver's top-level window
//   probe error-text MS             waits for it and prints its Static child's text
//   probe post-moves N              posts N WM_MOUSEMOVE to the saver window
//   probe post-click                posts a left click without movement
//   probe preview SAVER MS          the preview check, see RunPreview
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND WaitForSaver(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindWindowA("SS_VAPRYX", nullptr);
    if (w != nullptr && IsWindowVisible(w)) return w;
    if (GetTickCount() - start > milliseconds) return nullptr;
    Sleep(50);
  }
}

// Counts pixels of the window that are neither black nor white (smoke, not an empty or
// unpainted window), read back through a memory bitmap.
int SmokePixels(HWND window, int width, int height) {
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::string pixels(static_cast<size_t>(width) * height * 4, '\0');
  SelectObject(memory, previous);
  GetDIBits(memory, bitmap, 0, height, &pixels[0], &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  int count = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) {
    const unsigned char b = pixels[i], g = pixels[i + 1], r = pixels[i + 2];
    const bool black = (r | g | b) == 0, white = (r & g & b) == 255;
    if (!black && !white) ++count;
  }
  return count;
}

LRESULT CALLBACK ParentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

// A 152 x 112 parent; the saver started with /p <parent> must put a child of class
// SS_VAPRYX at (0, 0) of that size, draw into it, and end within two seconds of the
// parent's destruction with exit code 0.
int RunPreview(const char* saver, DWORD milliseconds) {
  WNDCLASSA cls;
  std::memset(&cls, 0, sizeof cls);
  cls.lpfnWndProc = ParentProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "VapryxPreviewParent";
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassA(&cls);
  RECT frame = {0, 0, 152, 112};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  HWND parent = CreateWindowA("VapryxPreviewParent", "preview parent",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              cls.hInstance, nullptr);
  RECT client;
  GetClientRect(parent, &client);
  std::printf("parent client %ldx%ld\n", client.right, client.bottom);

  char command[1024];
  std::snprintf(command, sizeof command, "\"%s\" /p %ld", saver,
                static_cast<long>(reinterpret_cast<intptr_t>(parent)));
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("cannot start %s\n", command);
    return 1;
  }

  auto pump = [] {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  };
  const DWORD start = GetTickCount();
  HWND child = nullptr;
  int drawn = 0;
  while (GetTickCount() - start < milliseconds) {
    pump();
    child = FindWindowExA(parent, nullptr, "SS_VAPRYX", nullptr);
    if (child != nullptr && (drawn = SmokePixels(child, 152, 112)) > 500) break;
    Sleep(50);
  }
  int ok = 1;
  if (child == nullptr) {
    std::printf("no SS_VAPRYX child\n");
    ok = 0;
  } else {
    RECT r;
    GetWindowRect(child, &r);
    POINT origin = {r.left, r.top};
    ScreenToClient(parent, &origin);
    std::printf("child at %ld,%ld size %ldx%ld, visible %d, %d pixels of smoke\n", origin.x,
                origin.y, r.right - r.left, r.bottom - r.top, IsWindowVisible(child), drawn);
    ok = origin.x == 0 && origin.y == 0 && r.right - r.left == 152 && r.bottom - r.top == 112 &&
         drawn > 500;
  }
  DestroyWindow(parent);
  const DWORD waited = WaitForSingleObject(process.hProcess, 2000);
  DWORD code = 259;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf("saver %s, exit code %lu\n", waited == WAIT_OBJECT_0 ? "ended" : "still running",
              code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  return ok && waited == WAIT_OBJECT_0 && code == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  const DWORD ms = argc > 2 ? std::strtoul(argv[argc - 1], nullptr, 10) : 10000;
  if (what == "mode") {
    DEVMODEA m;
    std::memset(&m, 0, sizeof m);
    m.dmSize = sizeof m;
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &m);
    std::printf("%lux%lu\n", m.dmPelsWidth, m.dmPelsHeight);
    return 0;
  }
  if (what == "wait-window") return WaitForSaver(ms) != nullptr ? 0 : 1;
  if (what == "error-text") {
    HWND saver = WaitForSaver(ms);
    HWND text = saver ? FindWindowExA(saver, nullptr, "Static", nullptr) : nullptr;
    char buffer[256] = "";
    if (text != nullptr) GetWindowTextA(text, buffer, sizeof buffer);
    std::printf("%s\n", buffer);
    return text != nullptr ? 0 : 1;
  }
  if (what == "post-moves" || what == "post-click") {
    HWND saver = FindWindowA("SS_VAPRYX", nullptr);
    if (saver == nullptr) return 1;
    if (what == "post-click") {
      PostMessageA(saver, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
      PostMessageA(saver, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
      return 0;
    }
    const int n = argc > 2 ? std::atoi(argv[2]) : 1;
    for (int i = 0; i < n; ++i) PostMessageA(saver, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i, 10 + i));
    return 0;
  }
  if (what == "preview" && argc > 2) return RunPreview(argv[2], ms);
  std::fprintf(
      stderr,
      "usage: probe mode|wait-window MS|error-text MS|post-moves N|post-click|preview SAVER MS\n");
  return 2;
}
