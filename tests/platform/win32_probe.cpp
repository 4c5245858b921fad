#include "tests/platform/win32_probe.h"
#include <windows.h>

namespace {

HWND hwnd_of(platform::WindowHandle window) { return reinterpret_cast<HWND>(window); }

// The id of a message box's text control.
constexpr int box_text_id = 0xFFFF;

}  // namespace

namespace win32_probe {

bool post_message(platform::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageA(hwnd_of(window), message, wparam, lparam) != 0;
}

bool window_exists(platform::WindowHandle window) { return IsWindow(hwnd_of(window)) != 0; }

bool client_size(platform::WindowHandle window, int* width, int* height) {
  RECT client;
  if (!GetClientRect(hwnd_of(window), &client)) return false;
  *width = client.right - client.left;
  *height = client.bottom - client.top;
  return true;
}

int screen_width() { return GetSystemMetrics(SM_CXSCREEN); }

int screen_height() { return GetSystemMetrics(SM_CYSCREEN); }

bool describe_pixel_format(platform::DeviceContext dc, int index, bool* double_buffered, int* depth_bits) {
  PIXELFORMATDESCRIPTOR chosen = {};
  if (DescribePixelFormat(reinterpret_cast<HDC>(dc), index, sizeof(chosen), &chosen) == 0) return false;
  *double_buffered = (chosen.dwFlags & PFD_DOUBLEBUFFER) != 0;
  *depth_bits = chosen.cDepthBits;
  return true;
}

bool has_current_context() { return wglGetCurrentContext() != nullptr; }

void delete_context(platform::RenderContext context) { wglDeleteContext(reinterpret_cast<HGLRC>(context)); }

bool answer_box(const char* caption, int button, std::string* text) {
  HWND box = FindWindowA(nullptr, caption);
  if (box == nullptr) return false;
  char shown[256] = {};
  GetDlgItemTextA(box, box_text_id, shown, sizeof(shown));
  *text = shown;
  PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
  return true;
}

}  // namespace win32_probe
