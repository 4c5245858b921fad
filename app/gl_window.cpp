#include "app/gl_window.h"

#include "platform/gl.h"

#include "audio/bass.h"
#include "demo/scene.h"
#include "probe/probe_points.h"

using namespace platform;

namespace {

constexpr const char* class_name = "zarnic/en";
constexpr uint32_t error_box = MB_OK | MB_ICONEXCLAMATION;
constexpr uint32_t shutdown_box = MB_OK | MB_ICONINFORMATION;
constexpr uintptr_t frame_timer_id = 1;
constexpr uint32_t frame_timer_period_ms = 1000;
// The music device opens at the rate of CD audio.
constexpr uint32_t audio_device_rate = 44100;

// The viewport is a fixed 550-row band starting 100 rows up, whatever the
// client height; the projection keeps the whole client's aspect.
constexpr int band_bottom = 100;
constexpr int band_height = 550;
constexpr double field_of_view = 45.0;
constexpr float near_plane = 0.1f;
constexpr double far_plane = 400.0;

// The fixed part of the pixel-format request; create fills in the rest.
PixelFormatDescriptor fixed_pixel_format() {
  PixelFormatDescriptor descriptor = {};
  descriptor.size = sizeof(PixelFormatDescriptor);
  descriptor.version = 1;
  descriptor.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  descriptor.pixel_type = PFD_TYPE_RGBA;
  return descriptor;
}

// Every failure from the window onwards ends the same way: release
// whatever was made so far, then tell the user.
bool fail_creation(GlWindow& window, const char* text) {
  window.destroy();
  message_box(nullptr, text, "ERROR", error_box);
  return false;
}

}  // namespace

GlWindow gl_window;

bool GlWindow::create(const char* title, int width, int height, int bits, bool fullscreen_wanted) {
  // The descriptor is filled once, with the colour bits of the first call
  // that gets that far, and reused unchanged afterwards.
  static PixelFormatDescriptor pixel_format = fixed_pixel_format();
  static bool pixel_format_filled = false;

  Rect client_rect = {0, 0, width, height};
  fullscreen = fullscreen_wanted;
  instance_handle = get_module_handle();

  WindowClass window_class = {};
  window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  window_class.window_proc = window_proc;
  window_class.class_extra = 0;
  window_class.window_extra = 0;
  window_class.instance = instance_handle;
  window_class.icon = load_icon(nullptr, IDI_WINLOGO);
  window_class.cursor = load_cursor(nullptr, IDC_ARROW);
  window_class.background = nullptr;
  window_class.menu_name = nullptr;
  window_class.class_name = class_name;
  if (register_class(window_class) == 0) {
    // Creating the window fails next and cleans up.
    message_box(nullptr, "Failed To Register The Window Class.", "ERROR", error_box);
  }

  if (fullscreen) {
    DisplayMode mode = {};
    mode.size = 148;
    mode.pels_width = static_cast<uint32_t>(width);
    mode.pels_height = static_cast<uint32_t>(height);
    mode.bits_per_pel = static_cast<uint32_t>(bits);
    mode.fields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    if (change_display_settings(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
      const int answer = message_box(nullptr,
                                     "The Requested Fullscreen Mode Is Not Supported By\n"
                                     "Your Video Card. Use Windowed Mode Instead?",
                                     "Vesk GL", MB_YESNO | MB_ICONEXCLAMATION);
      if (answer == IDYES) {
        fullscreen = false;
      } else {
        // The process is about to end; the class stays registered.
        message_box(nullptr, "Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP);
        return false;
      }
    }
  }

  uint32_t ex_style;
  uint32_t frame_style;
  if (fullscreen) {
    ex_style = WS_EX_APPWINDOW;
    frame_style = WS_POPUP;
    show_cursor(false);
  } else {
    ex_style = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    frame_style = WS_OVERLAPPEDWINDOW;
  }
  adjust_window_rect_ex(&client_rect, frame_style, false, ex_style);

  window_handle = create_window_ex(ex_style, class_name, title, frame_style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                   client_rect.right - client_rect.left, client_rect.bottom - client_rect.top, nullptr,
                                   nullptr, instance_handle, nullptr);
  if (window_handle == nullptr) {
    return fail_creation(*this, "Window error.");
  }
  set_timer(window_handle, frame_timer_id, frame_timer_period_ms, nullptr);

  if (!pixel_format_filled) {
    pixel_format.color_bits = static_cast<uint8_t>(bits);
    pixel_format.depth_bits = 32;
    pixel_format.layer_type = PFD_MAIN_PLANE;
    pixel_format_filled = true;
  }

  device_context = get_dc(window_handle);
  if (device_context == nullptr) {
    return fail_creation(*this, "Can't Create A GL Device Context.");
  }
  const int format_index = choose_pixel_format(device_context, &pixel_format);
  if (format_index == 0) {
    return fail_creation(*this, "Can't Find A Suitable PixelFormat.");
  }
  if (!set_pixel_format(device_context, format_index, &pixel_format)) {
    return fail_creation(*this, "Can't Set The PixelFormat.");
  }
  render_context = create_context(device_context);
  if (render_context == nullptr) {
    return fail_creation(*this, "Can't Create A GL Rendering Context.");
  }
  if (!make_current(device_context, render_context)) {
    return fail_creation(*this, "Can't Activate The GL Rendering Context.");
  }

  show_window(window_handle, SW_SHOW);
  set_foreground_window(window_handle);
  set_focus(window_handle);
  resize(width, height);
  if (!init_gl()) {
    return fail_creation(*this, "Initialization Failed.");
  }
  return true;
}

void GlWindow::destroy() {
  if (fullscreen) {
    change_display_settings(nullptr, 0);
    show_cursor(true);
  }
  if (render_context != nullptr) {
    if (!make_current(nullptr, nullptr)) {
      message_box(nullptr, "Release Of DC And RC Failed.", "SHUTDOWN ERROR", shutdown_box);
    }
    render_context = nullptr;
  }
  if (device_context != nullptr && !release_dc(window_handle, device_context)) {
    message_box(nullptr, "Release Device Context Failed.", "SHUTDOWN ERROR", shutdown_box);
  }
  if (window_handle != nullptr && !destroy_window(window_handle)) {
    message_box(nullptr, "Could Not Release hWnd.", "SHUTDOWN ERROR", shutdown_box);
  }
  if (!unregister_class(class_name, instance_handle)) {
    message_box(nullptr, "Could Not Unregister Class.", "SHUTDOWN ERROR", shutdown_box);
  }
}

void GlWindow::resize(int width, int height) {
  if (height == 0) height = 1;
  glViewport(0, band_bottom, width, band_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(field_of_view, static_cast<double>(width) / static_cast<double>(height),
                 static_cast<double>(near_plane), far_plane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

bool GlWindow::init_gl() {
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_TEXTURE_2D);
  probe::at(probe::Point::audio_init_begin);
  BASS_Init(1, audio_device_rate, 0, window_handle, nullptr);
  probe::at(probe::Point::audio_init_end);
  probe::at(probe::Point::scene_init_begin);
  scene.init();
  probe::at(probe::Point::scene_init_end);
  return true;
}

bool GlWindow::draw_frame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  scene.render(frame_step);
  return true;
}

intptr_t window_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case WM_ACTIVATE:
      // Only the minimised flag counts: a window that merely loses the focus
      // keeps drawing.
      gl_window.window_active = hiword(wparam) == 0;
      return 0;
    case WM_SYSCOMMAND:
      if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER) return 0;
      break;
    case WM_CLOSE:
      // The loop ends on the quit; destroy runs after it.
      post_quit_message(0);
      return 0;
    case WM_KEYDOWN:
      if (wparam < sizeof(gl_window.key_down)) gl_window.key_down[wparam] = 1;
      return 0;
    case WM_KEYUP:
      if (wparam < sizeof(gl_window.key_down)) gl_window.key_down[wparam] = 0;
      return 0;
    case WM_SIZE:
      gl_window.resize(loword(static_cast<uintptr_t>(lparam)), hiword(static_cast<uintptr_t>(lparam)));
      return 0;
    case WM_TIMER:
      gl_window.timer_seconds += 1.0f;
      break;
    default:
      break;
  }
  return def_window_proc(window, message, wparam, lparam);
}
