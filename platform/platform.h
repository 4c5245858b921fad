// The platform layer: the thin set of window, message, display, GL-context,
// message-box and clock services the demo's shell is written against.
//
// The shell was designed around the Win32 message model, so the layer keeps
// that model's identifiers, encodings and ordering rules (posted messages
// before input, at most one WM_TIMER waiting, WM_CHAR from translate, ...).
// Each operation names the Win32 call it stands in for.
//
// Four backends implement this header; the build picks one at link time:
//   platform/sdl/     SDL2 windows, events and GL context (the Linux build)
//   platform/win32/   the Win32 calls themselves (the Windows build)
//   platform/web/     the page's canvas, WebGL context, fullscreen and dialogs
//                     (the browser build)
//   platform/script/  a scripted stand-in for tests: messages are fed by the
//                     test, any window-creation or release step can be made
//                     to fail, calls and message boxes are recorded, and GL
//                     contexts are real offscreen Mesa contexts.
// platform/common/ holds what more than one backend keeps alike: the message
// queue and window rules, and the SDL and browser backends' window records.
#pragma once

#include <cstdint>

namespace platform {

// ---------------------------------------------------------------------------
// Handles. Opaque; null means "none".
struct ModuleRecord;
struct WindowRecord;
struct DeviceRecord;
struct ContextRecord;
using InstanceHandle = ModuleRecord*;
using WindowHandle = WindowRecord*;
using DeviceContext = DeviceRecord*;
using RenderContext = ContextRecord*;
using IconHandle = const void*;
using CursorHandle = const void*;

using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// ---------------------------------------------------------------------------
// Message identifiers and the constants that travel in them (Win32 values).
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;

constexpr uintptr_t WA_INACTIVE = 0;
constexpr uintptr_t WA_ACTIVE = 1;
constexpr uintptr_t SC_CLOSE = 0xF060;
constexpr uintptr_t SC_SCREENSAVE = 0xF140;
constexpr uintptr_t SC_MONITORPOWER = 0xF170;
// The system uses the low four bits of a WM_SYSCOMMAND's wparam itself; the
// command is what is left after masking them off (Win32 gives it no name).
constexpr uintptr_t SC_COMMAND_MASK = 0xFFF0;
constexpr uintptr_t SIZE_RESTORED = 0;
constexpr uintptr_t SIZE_MINIMIZED = 1;

constexpr uint32_t PM_NOREMOVE = 0;
constexpr uint32_t PM_REMOVE = 1;

// Virtual-key codes (the ones the layer maps; letters and digits are their
// upper-case ASCII codes, 'A'..'Z' and '0'..'9').
constexpr uintptr_t VK_BACK = 0x08;
constexpr uintptr_t VK_TAB = 0x09;
constexpr uintptr_t VK_RETURN = 0x0D;
constexpr uintptr_t VK_SHIFT = 0x10;
constexpr uintptr_t VK_CONTROL = 0x11;
constexpr uintptr_t VK_MENU = 0x12;  // Alt
constexpr uintptr_t VK_PAUSE = 0x13;
constexpr uintptr_t VK_ESCAPE = 0x1B;
constexpr uintptr_t VK_SPACE = 0x20;
constexpr uintptr_t VK_PRIOR = 0x21;
constexpr uintptr_t VK_NEXT = 0x22;
constexpr uintptr_t VK_END = 0x23;
constexpr uintptr_t VK_HOME = 0x24;
constexpr uintptr_t VK_LEFT = 0x25;
constexpr uintptr_t VK_UP = 0x26;
constexpr uintptr_t VK_RIGHT = 0x27;
constexpr uintptr_t VK_DOWN = 0x28;
constexpr uintptr_t VK_INSERT = 0x2D;
constexpr uintptr_t VK_DELETE = 0x2E;
constexpr uintptr_t VK_F1 = 0x70;  // F1..F12 are 0x70..0x7B

// Message boxes.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONSTOP = 0x10;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
// The bits of a box type that pick its buttons, and those that pick its icon.
constexpr uint32_t MB_TYPEMASK = 0x0F;
constexpr uint32_t MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Window class and window styles.
constexpr uint32_t CS_VREDRAW = 0x0001;
constexpr uint32_t CS_HREDRAW = 0x0002;
constexpr uint32_t CS_OWNDC = 0x0020;
constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000u;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000u;
constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000u;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;
constexpr int IDI_WINLOGO = 32517;
constexpr int IDC_ARROW = 32512;

// Display modes.
constexpr int32_t DISP_CHANGE_SUCCESSFUL = 0;
constexpr int32_t DISP_CHANGE_FAILED = -1;
constexpr int32_t DISP_CHANGE_BADMODE = -2;
constexpr uint32_t CDS_FULLSCREEN = 0x04;
constexpr uint32_t DM_BITSPERPEL = 0x00040000u;
constexpr uint32_t DM_PELSWIDTH = 0x00080000u;
constexpr uint32_t DM_PELSHEIGHT = 0x00100000u;

// Pixel formats.
constexpr uint32_t PFD_DOUBLEBUFFER = 0x01;
constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x04;
constexpr uint32_t PFD_SUPPORT_OPENGL = 0x20;
constexpr uint8_t PFD_TYPE_RGBA = 0;
constexpr uint8_t PFD_MAIN_PLANE = 0;

constexpr uint16_t loword(uintptr_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
constexpr uint16_t hiword(uintptr_t v) { return static_cast<uint16_t>((v >> 16) & 0xFFFF); }
constexpr intptr_t make_lparam(uint16_t lo, uint16_t hi) {
  return static_cast<intptr_t>(static_cast<uint32_t>(lo) | (static_cast<uint32_t>(hi) << 16));
}

// ---------------------------------------------------------------------------
// Records.
struct Point {
  int32_t x;
  int32_t y;
};

struct Message {
  WindowHandle window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
  uint32_t time;
  Point point;
};

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct WindowClass {
  uint32_t style;
  WindowProc window_proc;
  int32_t class_extra;
  int32_t window_extra;
  InstanceHandle instance;
  IconHandle icon;
  CursorHandle cursor;
  const void* background;
  const char* menu_name;
  const char* class_name;
};

// The fields of the narrow-character display-mode record the shell fills.
struct DisplayMode {
  uint16_t size;  // 148, the size of the full record
  uint32_t fields;
  uint32_t bits_per_pel;
  uint32_t pels_width;
  uint32_t pels_height;
};

// Laid out field for field like the 40-byte pixel-format descriptor.
struct PixelFormatDescriptor {
  uint16_t size;
  uint16_t version;
  uint32_t flags;
  uint8_t pixel_type;
  uint8_t color_bits;
  uint8_t red_bits, red_shift, green_bits, green_shift, blue_bits, blue_shift;
  uint8_t alpha_bits, alpha_shift;
  uint8_t accum_bits, accum_red_bits, accum_green_bits, accum_blue_bits, accum_alpha_bits;
  uint8_t depth_bits;
  uint8_t stencil_bits;
  uint8_t aux_buffers;
  uint8_t layer_type;
  uint8_t reserved;
  uint32_t layer_mask, visible_mask, damage_mask;
};
static_assert(sizeof(PixelFormatDescriptor) == 40, "pixel-format descriptor is 40 bytes");

// ---------------------------------------------------------------------------
// Operations. All run on the one thread that owns the window.

// Module, class, icon and cursor (GetModuleHandleA, RegisterClassA, ...).
InstanceHandle get_module_handle();
IconHandle load_icon(InstanceHandle module, int id);
CursorHandle load_cursor(InstanceHandle module, int id);
uint16_t register_class(const WindowClass& window_class);  // 0 on failure
bool unregister_class(const char* class_name, InstanceHandle module);

// Display mode (ChangeDisplaySettingsA). With mode null and flags 0 it puts
// the desktop mode back. Switching succeeds only for exactly the requested
// size with 4-byte pixels.
int32_t change_display_settings(const DisplayMode* mode, uint32_t flags);

// Cursor display counter (ShowCursor): shown while the counter is >= 0.
int show_cursor(bool show);

// Windows (AdjustWindowRectEx, CreateWindowExA, DestroyWindow, ShowWindow,
// SetForegroundWindow, SetFocus). The window procedure may be called from
// inside create_window_ex (which delivers WM_SIZE with the client size
// before it returns), show_window and destroy_window. A WS_POPUP window made
// after a successful display switch is fullscreen in that mode. On SDL the
// window manager's frame lies outside the client area, so
// adjust_window_rect_ex leaves the rectangle as it is there.
bool adjust_window_rect_ex(Rect* rect, uint32_t style, bool menu, uint32_t ex_style);
WindowHandle create_window_ex(uint32_t ex_style, const char* class_name, const char* title, uint32_t style, int x,
                              int y, int width, int height, WindowHandle parent, const void* menu,
                              InstanceHandle module, const void* param);
bool destroy_window(WindowHandle window);
bool show_window(WindowHandle window, int command);
bool set_foreground_window(WindowHandle window);
WindowHandle set_focus(WindowHandle window);

// Periodic timer (SetTimer): WM_TIMER with wparam = id through the queue; a
// tick that falls due while one is still waiting does not add another.
uintptr_t set_timer(WindowHandle window, uintptr_t id, uint32_t period_ms, const void* callback);

// Device context, pixel format and GL context (GetDC, ReleaseDC,
// ChoosePixelFormat, SetPixelFormat, wglCreateContext, wglMakeCurrent,
// wglGetProcAddress, SwapBuffers). Under X a window's visual is fixed when
// the window is made, so each window offers exactly one pixel format, index
// 1: double-buffered RGBA with the deepest depth buffer available (32, else
// 24, else 16) in a compatibility context. create_context does not make the
// new context current; make_current does, and asks for swap interval 0
// where the driver allows it.
DeviceContext get_dc(WindowHandle window);
bool release_dc(WindowHandle window, DeviceContext dc);
int choose_pixel_format(DeviceContext dc, const PixelFormatDescriptor* descriptor);
bool set_pixel_format(DeviceContext dc, int index, const PixelFormatDescriptor* descriptor);
RenderContext create_context(DeviceContext dc);
bool make_current(DeviceContext dc, RenderContext context);  // (null, null) detaches
void* gl_proc_address(const char* name);
bool swap_buffers(DeviceContext dc);

// Modal message box (MessageBoxA). Returns the button chosen; where no box
// can be shown the answer is 0, which is not IDYES.
int message_box(WindowHandle owner, const char* text, const char* caption, uint32_t type);

// Message queue (PeekMessageA, TranslateMessage, DispatchMessageA,
// PostQuitMessage, DefWindowProcA). peek never waits and takes at most one:
// posted messages (WM_CHAR from translate) first, then input, then a
// pending WM_QUIT, then the timer. Input: close requests (close button,
// window manager, SIGINT, SIGTERM) arrive as WM_CLOSE; minimise, restore and
// focus changes as WM_ACTIVATE (high word non-zero while minimised); client
// size changes as WM_SIZE; keys as WM_KEYDOWN/WM_KEYUP, or with Alt as
// WM_SYSKEYDOWN/WM_SYSKEYUP. Other events make no message. When the window
// gains the focus the layer sends it WM_SYSCOMMAND with SC_SCREENSAVE and
// SC_MONITORPOWER, as the desktop does before starting the screen saver:
// leaving them to def_window_proc lets the saver run, swallowing them keeps
// it off while the window has the focus. def_window_proc turns SC_CLOSE and
// Alt+F4 into WM_CLOSE.
bool peek_message(Message* message, WindowHandle filter, uint32_t first, uint32_t last, uint32_t remove);
bool translate_message(const Message* message);
intptr_t dispatch_message(const Message* message);
void post_quit_message(int exit_code);
intptr_t def_window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// Clocks (QueryPerformanceFrequency/Counter, timeGetTime).
int64_t query_performance_frequency();
int64_t query_performance_counter();
uint32_t time_get_time();

}  // namespace platform
