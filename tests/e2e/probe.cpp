// probe.cpp: a small Win32 program the end-to-end tests use to look at and poke the saver
// from inside Wine. Prints its findings on stdout; exits 0 when the check holds, 1 when not.
//
//   probe mode                      current display mode, "WxH"
//   probe wait-window MS            waits for the saver's top-level window
//   probe error-text MS             waits for it and prints its Static child's text, then its
//                                   position and size in the saver window
//   probe post-moves N              posts N WM_MOUSEMOVE to the saver window
//   probe post-click                posts a left click without movement
//   probe preview SAVER MS          the preview check, see RunPreview
//   probe dialog MS                 waits for the settings dialog and prints what it shows
//   probe dialog-do ACTION...       works the dialog: text=S (typed), font=NAME (selected),
//                                   bar=ID:POS, press=ID, close (the close box), escape
//   probe chooser R G B | cancel    in the open colour chooser, picks R, G, B and presses OK,
//                                   or presses Cancel
//   probe reg                       the stored settings: name, type, length, bytes in hex
//   probe window MS                 makes a window, prints its handle, lives for MS
//   probe covers                    the monitors, "monitor L T R B" (the primary's line ends
//                                   in "primary"), then the saver's visible windows,
//                                   "window CLASS L T R B" (topmost ones end in "topmost")
#include <windows.h>
// commctrl.h needs windows.h first
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Waits up to `milliseconds` for a visible top-level window of that class (and title).
HWND WaitForWindow(const char* windowClass, const char* title, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindWindowA(windowClass, title);
    if (w != nullptr && IsWindowVisible(w)) return w;
    if (GetTickCount() - start > milliseconds) return nullptr;
    Sleep(50);
  }
}

HWND WaitForSaver(DWORD milliseconds) { return WaitForWindow("SS_VAPRYX", nullptr, milliseconds); }

HWND WaitForDialog(const char* title, DWORD milliseconds) {
  return WaitForWindow("#32770", title, milliseconds);
}

std::string TextOf(HWND w) {
  char buffer[512] = "";
  SendMessageA(w, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
  char cls[64] = "";
  GetClassNameA(control, cls, sizeof cls);
  std::printf("control %s %d \"%s\"\n", cls,
              static_cast<int>(static_cast<short>(GetDlgCtrlID(control))), TextOf(control).c_str());
  return TRUE;
}

int ShowDialog(DWORD milliseconds) {
  HWND d = WaitForDialog("Vapryx Settings", milliseconds);
  if (d == nullptr) return 1;
  std::printf("title %s\n", TextOf(d).c_str());
  std::printf("owner %ld\n", static_cast<long>(reinterpret_cast<intptr_t>(GetWindow(d, GW_OWNER))));
  EnumChildWindows(d, PrintControl, 0);
  std::printf("text %s\n", TextOf(GetDlgItem(d, 1000)).c_str());
  HWND fonts = GetDlgItem(d, 1007);
  const int count = static_cast<int>(SendMessageA(fonts, CB_GETCOUNT, 0, 0));
  std::printf("font-enabled %d\nfont-count %d\n", IsWindowEnabled(fonts) ? 1 : 0, count);
  for (int i = 0; i < count; ++i) {
    // Wide messages: the ANSI ones do not cross into another process intact under Wine.
    wchar_t wide[256] = L"";
    SendMessageW(fonts, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
    char name[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof name, nullptr, nullptr);
    std::printf("font %s\n", name);
  }
  const int selected = static_cast<int>(SendMessageA(fonts, CB_GETCURSEL, 0, 0));
  std::printf("font-selection %d %s\n", selected, selected >= 0 ? TextOf(fonts).c_str() : "");
  std::printf("resolution %d\nbrightness %d\nvolume %d\n",
              static_cast<int>(SendDlgItemMessageA(d, 1003, TBM_GETPOS, 0, 0)),
              static_cast<int>(SendDlgItemMessageA(d, 1005, TBM_GETPOS, 0, 0)),
              static_cast<int>(SendDlgItemMessageA(d, 1014, TBM_GETPOS, 0, 0)));
  RECT swatch;
  GetWindowRect(GetDlgItem(d, 1006), &swatch);
  std::printf("swatch-centre %ld %ld\n", (swatch.left + swatch.right) / 2,
              (swatch.top + swatch.bottom) / 2);
  return 0;
}

int WorkDialog(int argc, char** argv) {
  HWND d = WaitForDialog("Vapryx Settings", 20000);
  if (d == nullptr) return 1;
  for (int i = 2; i < argc; ++i) {
    const std::string action = argv[i];
    const std::string value = action.substr(action.find('=') + 1);
    if (action.rfind("text=", 0) == 0) {
      HWND edit = GetDlgItem(d, 1000);
      SendMessageA(edit, EM_SETSEL, 0, -1);
      SendMessageA(edit, WM_CHAR, VK_BACK, 0);
      for (char c : value) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    } else if (action.rfind("font=", 0) == 0) {
      HWND fonts = GetDlgItem(d, 1007);
      wchar_t wide[256] = L"";
      MultiByteToWideChar(CP_ACP, 0, value.c_str(), -1, wide, 256);
      const LRESULT i = SendMessageW(fonts, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(wide));
      SendMessageA(fonts, CB_SETCURSEL, i, 0);
    } else if (action.rfind("bar=", 0) == 0) {
      const int id = std::atoi(value.c_str());
      const int position = std::atoi(value.substr(value.find(':') + 1).c_str());
      SendDlgItemMessageA(d, id, TBM_SETPOS, TRUE, position);
    } else if (action.rfind("press=", 0) == 0) {
      PostMessageA(GetDlgItem(d, std::atoi(value.c_str())), BM_CLICK, 0, 0);
    } else if (action == "close") {
      PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (action == "escape") {
      PostMessageA(GetDlgItem(d, 1000), WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
      return 2;
    }
  }
  return 0;
}

// The system colour chooser, full open: its red, green and blue boxes, then OK.
int PickColor(int argc, char** argv) {
  HWND chooser = nullptr;
  const DWORD start = GetTickCount();
  while (chooser == nullptr && GetTickCount() - start < 20000) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
      if (IsWindowVisible(w) && GetDlgItem(w, 706) != nullptr) chooser = w;
    }
    if (chooser == nullptr) Sleep(50);
  }
  if (chooser == nullptr) return 1;
  int button = IDCANCEL;
  if (argc < 3 || std::string(argv[2]) != "cancel") {
    if (argc < 5) return 2;
    for (int i = 0; i < 3; ++i) SetDlgItemTextA(chooser, 706 + i, argv[2 + i]);
    button = IDOK;
  }
  PostMessageA(GetDlgItem(chooser, button), BM_CLICK, 0, 0);
  // Done when the chooser has gone and the dialog has repainted.
  const DWORD closing = GetTickCount();
  while (IsWindow(chooser) && GetTickCount() - closing < 10000) Sleep(50);
  Sleep(300);
  return IsWindow(chooser) ? 1 : 0;
}

int DumpSettings() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Screen Saver.Vapryx", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    std::printf("no key\n");
    return 0;
  }
  for (const char* name : {"Text", "Font", "Resolution", "Color", "Brightness", "Volume"}) {
    unsigned char data[512];
    DWORD type = 0, length = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, data, &length) != ERROR_SUCCESS) {
      std::printf("%s absent\n", name);
      continue;
    }
    std::printf("%s %s %lu ", name,
                type == REG_SZ      ? "REG_SZ"
                : type == REG_DWORD ? "REG_DWORD"
                                    : "other",
                length);
    for (DWORD i = 0; i < length; ++i) std::printf("%02x", data[i]);
    std::printf("\n");
  }
  RegCloseKey(key);
  return 0;
}

LRESULT CALLBACK ParentProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

// A 152 x 112 parent and the saver started with /p <parent>; waits up to `milliseconds`
// for its SS_VAPRYX child to be shown. False when the saver cannot be started. (What the
// child draws cannot be seen from here: Wine never shows another process's painting in a
// child of this one's window. The Windows unit tests read the preview's pixels in-process.)
struct PreviewRun {
  HWND parent = nullptr;
  HWND child = nullptr;
  PROCESS_INFORMATION process{};
};

bool StartPreview(const char* saver, DWORD milliseconds, PreviewRun* run) {
  WNDCLASSA cls;
  std::memset(&cls, 0, sizeof cls);
  cls.lpfnWndProc = ParentProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "VapryxPreviewParent";
  cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassA(&cls);
  RECT frame = {0, 0, 152, 112};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  run->parent = CreateWindowA("VapryxPreviewParent", "preview parent",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              cls.hInstance, nullptr);
  RECT client;
  GetClientRect(run->parent, &client);
  std::printf("parent client %ldx%ld\n", client.right, client.bottom);

  char command[1024];
  std::snprintf(command, sizeof command, "\"%s\" /p %ld", saver,
                static_cast<long>(reinterpret_cast<intptr_t>(run->parent)));
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &run->process)) {
    std::printf("cannot start %s\n", command);
    return false;
  }
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    run->child = FindWindowExA(run->parent, nullptr, "SS_VAPRYX", nullptr);
    if (run->child != nullptr && IsWindowVisible(run->child)) break;
    Sleep(50);
  }
  return true;
}

// Waits up to `milliseconds` for the saver to end and says how; ends it when it does not.
// True when it ended with exit code 0.
bool SaverEnded(HANDLE process, DWORD milliseconds) {
  const DWORD waited = WaitForSingleObject(process, milliseconds);
  DWORD code = 259;
  GetExitCodeProcess(process, &code);
  std::printf("saver %s, exit code %lu\n", waited == WAIT_OBJECT_0 ? "ended" : "still running",
              code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process, 1);
  return waited == WAIT_OBJECT_0 && code == 0;
}

// The preview must put a child at (0, 0) of its parent's size and, after a second of
// frames, end within two seconds of the parent's destruction with exit code 0.
int RunPreview(const char* saver, DWORD milliseconds) {
  PreviewRun run;
  if (!StartPreview(saver, milliseconds, &run)) return 1;
  int ok = 1;
  if (run.child == nullptr) {
    std::printf("no SS_VAPRYX child\n");
    ok = 0;
  } else {
    RECT r;
    GetWindowRect(run.child, &r);
    POINT origin = {r.left, r.top};
    ScreenToClient(run.parent, &origin);
    std::printf("child at %ld,%ld size %ldx%ld, visible %d\n", origin.x, origin.y,
                r.right - r.left, r.bottom - r.top, IsWindowVisible(run.child));
    ok = origin.x == 0 && origin.y == 0 && r.right - r.left == 152 && r.bottom - r.top == 112 &&
         IsWindowVisible(run.child);
    Sleep(1000);  // its first frames
  }
  DestroyWindow(run.parent);
  return SaverEnded(run.process.hProcess, 2000) && ok ? 0 : 1;
}

// A host that dies abruptly once the preview draws: its windows are never destroyed. Prints
// the saver's process id for `wait-exit`.
int RunOrphan(const char* saver, DWORD milliseconds) {
  // Unbuffered: nothing may be left unwritten when this process is cut off.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  PreviewRun run;
  if (!StartPreview(saver, milliseconds, &run)) return 1;
  Sleep(1000);  // its first frames
  std::printf("saver pid %lu\n", run.process.dwProcessId);
  TerminateProcess(GetCurrentProcess(), 3);
  return 3;
}

// Waits for the process `pid` to end (see SaverEnded).
int WaitForExit(DWORD pid, DWORD milliseconds) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                               FALSE, pid);
  if (process == nullptr) {
    std::printf("no process %lu\n", pid);
    return 1;
  }
  const bool ended = SaverEnded(process, milliseconds);
  CloseHandle(process);
  return ended ? 0 : 1;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info;
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  GetMonitorInfoA(monitor, &info);
  const RECT& r = info.rcMonitor;
  std::printf("monitor %ld %ld %ld %ld%s\n", r.left, r.top, r.right, r.bottom,
              info.dwFlags & MONITORINFOF_PRIMARY ? " primary" : "");
  return TRUE;
}

BOOL CALLBACK PrintSaverWindow(HWND w, LPARAM) {
  char cls[64] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (std::strncmp(cls, "SS_VAPRYX", 9) != 0 || !IsWindowVisible(w)) return TRUE;
  RECT r;
  GetWindowRect(w, &r);
  std::printf("window %s %ld %ld %ld %ld%s\n", cls, r.left, r.top, r.right, r.bottom,
              GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST ? " topmost" : "");
  return TRUE;
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
  if (what == "covers") {
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    EnumWindows(PrintSaverWindow, 0);
    return 0;
  }
  if (what == "wait-window") return WaitForSaver(ms) != nullptr ? 0 : 1;
  if (what == "error-text") {
    HWND saver = WaitForSaver(ms);
    HWND text = saver ? FindWindowExA(saver, nullptr, "Static", nullptr) : nullptr;
    char buffer[256] = "";
    RECT r = {0, 0, 0, 0};
    if (text != nullptr) {
      GetWindowTextA(text, buffer, sizeof buffer);
      GetWindowRect(text, &r);
      MapWindowPoints(nullptr, saver, reinterpret_cast<POINT*>(&r), 2);
    }
    std::printf("%s\n%ld %ld %ld %ld\n", buffer, r.left, r.top, r.right - r.left, r.bottom - r.top);
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
  if (what == "orphan" && argc > 2) return RunOrphan(argv[2], ms);
  if (what == "wait-exit" && argc > 2) return WaitForExit(std::strtoul(argv[2], nullptr, 10), ms);
  if (what == "dialog") return ShowDialog(ms);
  if (what == "chooser") return PickColor(argc, argv);
  if (what == "reg") return DumpSettings();
  if (what == "dialog-do") return WorkDialog(argc, argv);
  if (what == "window") {
    HWND w = CreateWindowA("STATIC", "owner", WS_POPUP | WS_VISIBLE, 600, 500, 50, 50, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    std::printf("%ld\n", static_cast<long>(reinterpret_cast<intptr_t>(w)));
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {  // lives, pumping its messages, for MS
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      Sleep(20);
    }
    return 0;
  }
  std::fprintf(
      stderr,
      "usage: probe mode|wait-window MS|error-text MS|post-moves N|post-click|preview SAVER MS|\n"
      "             orphan SAVER MS|wait-exit PID MS\n");
  return 2;
}
