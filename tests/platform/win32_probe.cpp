#include "tests/platform/win32_probe.h"
#include <windows.h>

namespace {

HWND hwnd_of(platform::WindowHandle window) { return reinterpret_cast<HWND>(window); }

// The id of a message box's text control.
constexpr int box_text_id = 0xFFFF;

using GetSwapIntervalProc = int(WINAPI*)();
using SetSwapIntervalProc = BOOL(WINAPI*)(int);

template <typename Proc>
Proc wgl_extension(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(wglGetProcAddress(name)));
}

}  // namespace

namespace win32_probe {

bool post_message(platform::WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PostMessageA(hwnd_of(window), message, wparam, lparam) != 0;
}

bool client_size(platform::WindowHandle window, int* width, int* height) {
  RECT client;
  if (!GetClientRect(hwnd_of(window), &client)) return false;
  *width = client.right - client.left;
  *height = client.bottom - client.top;
  return true;
}

int screen_width() { return GetSystemMetrics(SM_CXSCREEN); }

int screen_height() { return GetSystemMetrics(SM_CYSCREEN); }

bool answer_box(const char* caption, int button, std::string* text) {
  HWND box = FindWindowA(nullptr, caption);
  if (box == nullptr) return false;
  char shown[256] = {};
  GetDlgItemTextA(box, box_text_id, shown, sizeof(shown));
  *text = shown;
  PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
  return true;
}

int current_swap_interval() {
  const auto get_swap_interval = wgl_extension<GetSwapIntervalProc>("wglGetSwapIntervalEXT");
  return get_swap_interval != nullptr ? get_swap_interval() : -1;
}

bool set_swap_interval_directly(platform::DeviceContext dc, platform::RenderContext context, int interval) {
  if (!wglMakeCurrent(reinterpret_cast<HDC>(dc), reinterpret_cast<HGLRC>(context))) return false;
  const auto set_swap_interval = wgl_extension<SetSwapIntervalProc>("wglSwapIntervalEXT");
  const bool set = set_swap_interval != nullptr && set_swap_interval(interval) && current_swap_interval() == interval;
  return wglMakeCurrent(nullptr, nullptr) && set;
}

}  // namespace win32_probe
