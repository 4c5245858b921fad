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

}  // namespace win32_probe
