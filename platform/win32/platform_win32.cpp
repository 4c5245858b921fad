// Platform layer on Win32: every operation is the Win32 call it is named
// after, so the messages, their order, the display modes, the pixel formats
// and the message boxes are Windows' own.
//
// The layer's handles are the Win32 handles themselves, carried in the
// layer's opaque pointer types and never dereferenced. The records (message,
// rectangle, class, display mode, pixel format) are copied field by field
// into their Win32 forms.
//
// platform/platform.h comes first: once <windows.h> is in, its message and
// style macros would rewrite the layer's own constant names.
#include "platform/platform.h"
#include <windows.h>

#include <cstring>

namespace {

using namespace platform;

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == sizeof(PixelFormatDescriptor),
              "the layer's pixel-format record is laid out like Win32's");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cDepthBits) == offsetof(PixelFormatDescriptor, depth_bits),
              "the layer's pixel-format record is laid out like Win32's");
static_assert(offsetof(PIXELFORMATDESCRIPTOR, dwDamageMask) == offsetof(PixelFormatDescriptor, damage_mask),
              "the layer's pixel-format record is laid out like Win32's");

HWND to_hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle to_window(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }
HDC to_hdc(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }
HGLRC to_hglrc(RenderContext context) { return reinterpret_cast<HGLRC>(context); }
HINSTANCE to_hinstance(InstanceHandle module) { return reinterpret_cast<HINSTANCE>(module); }

// The shell's window procedures, by the class they were registered with.
// Windows calls forward_to_shell for every window of those classes, also from
// inside CreateWindowExA before the window handle has been returned, so the
// procedure is found from the window's class, which exists by then.
constexpr int max_classes = 4;

struct ShellClass {
  ATOM atom;
  WindowProc proc;
};

ShellClass shell_classes[max_classes] = {};

WindowProc shell_proc_for(HWND hwnd) {
  const ATOM atom = static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM));
  for (const ShellClass& entry : shell_classes) {
    if (entry.atom != 0 && entry.atom == atom) return entry.proc;
  }
  return nullptr;
}

LRESULT CALLBACK forward_to_shell(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const WindowProc proc = shell_proc_for(hwnd);
  if (proc == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  return proc(to_window(hwnd), message, wparam, lparam);
}

MSG to_msg(const Message& message) {
  MSG msg = {};
  msg.hwnd = to_hwnd(message.window);
  msg.message = message.message;
  msg.wParam = message.wparam;
  msg.lParam = message.lparam;
  msg.time = message.time;
  msg.pt.x = message.point.x;
  msg.pt.y = message.point.y;
  return msg;
}

Message to_message(const MSG& msg) {
  Message message = {};
  message.window = to_window(msg.hwnd);
  message.message = msg.message;
  message.wparam = msg.wParam;
  message.lparam = msg.lParam;
  message.time = msg.time;
  message.point = {msg.pt.x, msg.pt.y};
  return message;
}

}  // namespace

namespace platform {

InstanceHandle get_module_handle() { return reinterpret_cast<InstanceHandle>(GetModuleHandleA(nullptr)); }

IconHandle load_icon(InstanceHandle module, int id) { return LoadIconA(to_hinstance(module), MAKEINTRESOURCEA(id)); }

CursorHandle load_cursor(InstanceHandle module, int id) {
  return LoadCursorA(to_hinstance(module), MAKEINTRESOURCEA(id));
}

uint16_t register_class(const WindowClass& window_class) {
  ShellClass* slot = nullptr;
  for (ShellClass& entry : shell_classes) {
    if (entry.atom == 0) {
      slot = &entry;
      break;
    }
  }
  if (slot == nullptr || window_class.window_proc == nullptr) return 0;

  WNDCLASSA record = {};
  record.style = window_class.style;
  record.lpfnWndProc = forward_to_shell;
  record.cbClsExtra = window_class.class_extra;
  record.cbWndExtra = window_class.window_extra;
  record.hInstance = to_hinstance(window_class.instance);
  record.hIcon = static_cast<HICON>(const_cast<void*>(window_class.icon));
  record.hCursor = static_cast<HCURSOR>(const_cast<void*>(window_class.cursor));
  record.hbrBackground = static_cast<HBRUSH>(const_cast<void*>(window_class.background));
  record.lpszMenuName = window_class.menu_name;
  record.lpszClassName = window_class.class_name;
  const ATOM atom = RegisterClassA(&record);
  if (atom != 0) *slot = ShellClass{atom, window_class.window_proc};
  return atom;
}

bool unregister_class(const char* class_name, InstanceHandle module) {
  // The atom must be read before the class goes away.
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof(existing);
  const ATOM atom = static_cast<ATOM>(GetClassInfoExA(to_hinstance(module), class_name, &existing));
  if (UnregisterClassA(class_name, to_hinstance(module)) == 0) return false;
  for (ShellClass& entry : shell_classes) {
    if (entry.atom != 0 && entry.atom == atom) entry = ShellClass{};
  }
  return true;
}

int32_t change_display_settings(const DisplayMode* mode, uint32_t flags) {
  if (mode == nullptr) return ChangeDisplaySettingsA(nullptr, flags);
  // The record's size field says how much of DEVMODEA the caller knows
  // about (148 bytes: everything up to the display frequency); Windows reads
  // no further.
  DEVMODEA record;
  std::memset(&record, 0, sizeof(record));
  record.dmSize = mode->size;
  record.dmFields = mode->fields;
  record.dmBitsPerPel = mode->bits_per_pel;
  record.dmPelsWidth = mode->pels_width;
  record.dmPelsHeight = mode->pels_height;
  return ChangeDisplaySettingsA(&record, flags);
}

int show_cursor(bool show) { return ShowCursor(show ? TRUE : FALSE); }

bool adjust_window_rect_ex(Rect* rect, uint32_t style, bool menu, uint32_t ex_style) {
  if (rect == nullptr) return false;
  RECT r = {rect->left, rect->top, rect->right, rect->bottom};
  if (!AdjustWindowRectEx(&r, style, menu ? TRUE : FALSE, ex_style)) return false;
  *rect = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

WindowHandle create_window_ex(uint32_t ex_style, const char* class_name, const char* title, uint32_t style, int x,
                              int y, int width, int height, WindowHandle parent, const void* menu,
                              InstanceHandle module, const void* param) {
  return to_window(CreateWindowExA(ex_style, class_name, title, style, x, y, width, height, to_hwnd(parent),
                                   static_cast<HMENU>(const_cast<void*>(menu)), to_hinstance(module),
                                   const_cast<void*>(param)));
}

bool destroy_window(WindowHandle window) { return DestroyWindow(to_hwnd(window)) != 0; }

// ShowWindow answers whether the window was visible before; the layer's
// answer is whether the window exists to be shown.
bool show_window(WindowHandle window, int command) {
  ShowWindow(to_hwnd(window), command);
  return IsWindow(to_hwnd(window)) != 0;
}

bool set_foreground_window(WindowHandle window) { return SetForegroundWindow(to_hwnd(window)) != 0; }

// As SetFocus: the window that had the keyboard focus before, if any.
WindowHandle set_focus(WindowHandle window) { return to_window(SetFocus(to_hwnd(window))); }

uintptr_t set_timer(WindowHandle window, uintptr_t id, uint32_t period_ms, const void* callback) {
  return SetTimer(to_hwnd(window), id, period_ms, reinterpret_cast<TIMERPROC>(const_cast<void*>(callback)));
}

DeviceContext get_dc(WindowHandle window) { return reinterpret_cast<DeviceContext>(GetDC(to_hwnd(window))); }

bool release_dc(WindowHandle window, DeviceContext dc) { return ReleaseDC(to_hwnd(window), to_hdc(dc)) != 0; }

int choose_pixel_format(DeviceContext dc, const PixelFormatDescriptor* descriptor) {
  if (descriptor == nullptr) return 0;
  PIXELFORMATDESCRIPTOR record;
  std::memcpy(&record, descriptor, sizeof(record));
  return ChoosePixelFormat(to_hdc(dc), &record);
}

bool set_pixel_format(DeviceContext dc, int index, const PixelFormatDescriptor* descriptor) {
  if (descriptor == nullptr) return false;
  PIXELFORMATDESCRIPTOR record;
  std::memcpy(&record, descriptor, sizeof(record));
  return SetPixelFormat(to_hdc(dc), index, &record) != 0;
}

RenderContext create_context(DeviceContext dc) { return reinterpret_cast<RenderContext>(wglCreateContext(to_hdc(dc))); }

// Most Windows drivers make SwapBuffers wait for the display's refresh
// unless told otherwise, which would cap the loop at the refresh rate; the
// loop is meant to be bounded by drawing and presenting alone, as on Linux.
// The switch (WGL_EXT_swap_control) is a GL extension, so it can be looked
// up only once a context is current; where the driver lacks it nothing
// changes.
bool make_current(DeviceContext dc, RenderContext context) {
  if (wglMakeCurrent(to_hdc(dc), to_hglrc(context)) == 0) return false;
  if (context != nullptr) {
    using SwapIntervalProc = BOOL(WINAPI*)(int interval);
    // Through void*: a cast between unrelated function types draws a warning.
    const auto set_swap_interval =
        reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
    if (set_swap_interval != nullptr) set_swap_interval(0);
  }
  return true;
}

void* gl_proc_address(const char* name) { return reinterpret_cast<void*>(wglGetProcAddress(name)); }

bool swap_buffers(DeviceContext dc) { return SwapBuffers(to_hdc(dc)) != 0; }

int message_box(WindowHandle owner, const char* text, const char* caption, uint32_t type) {
  return MessageBoxA(to_hwnd(owner), text, caption, type);
}

bool peek_message(Message* message, WindowHandle filter, uint32_t first, uint32_t last, uint32_t remove) {
  MSG msg;
  if (!PeekMessageA(&msg, to_hwnd(filter), first, last, remove)) return false;
  *message = to_message(msg);
  return true;
}

bool translate_message(const Message* message) {
  const MSG msg = to_msg(*message);
  return TranslateMessage(&msg) != 0;
}

intptr_t dispatch_message(const Message* message) {
  const MSG msg = to_msg(*message);
  return DispatchMessageA(&msg);
}

void post_quit_message(int exit_code) { PostQuitMessage(exit_code); }

intptr_t def_window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return DefWindowProcA(to_hwnd(window), message, wparam, lparam);
}

int64_t query_performance_frequency() {
  LARGE_INTEGER frequency;
  frequency.QuadPart = 0;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

int64_t query_performance_counter() {
  LARGE_INTEGER count;
  count.QuadPart = 0;
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

uint32_t time_get_time() { return timeGetTime(); }

}  // namespace platform
