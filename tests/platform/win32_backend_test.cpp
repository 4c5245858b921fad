// The Win32 backend under wine on a virtual X screen. The layer's records
// and handles must reach Windows and come back unchanged, and Windows' own
// rules (messages sent from inside creation, timer ticks folding into one,
// classes outliving their windows, the default close handling) must show
// through the layer untouched.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/gl.h"
#include "platform/platform.h"
#include "tests/platform/win32_probe.h"

using namespace platform;

namespace {

constexpr const char* test_class = "zarnic/test";
constexpr const char* test_title = "platform test window";
// A private message range, so nothing wine posts by itself is mistaken for
// the test's own messages.
constexpr uint32_t test_message = 0x8000 + 17;  // WM_APP + 17

struct Received {
  WindowHandle window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};
std::vector<Received> received;

// Answers the test's own messages with a value made from their lParam, so a
// test can see the result travel back through dispatch_message. Like the
// shell, it keeps WM_CLOSE from the default handling, which would destroy
// the window.
intptr_t recording_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  received.push_back({window, message, wparam, lparam});
  if (message == test_message) return lparam ^ 0x5A5A;
  if (message == WM_CLOSE) return 0;
  return def_window_proc(window, message, wparam, lparam);
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    register_test_class(recording_proc);
  }

  void TearDown() override {
    if (window != nullptr) {
      EXPECT_TRUE(destroy_window(window));
    }
    drain();
    if (class_registered) {
      EXPECT_TRUE(unregister_class(test_class, get_module_handle()));
    }
  }

  void register_test_class(WindowProc proc) {
    WindowClass window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    window_class.window_proc = proc;
    window_class.instance = get_module_handle();
    window_class.icon = load_icon(nullptr, IDI_WINLOGO);
    window_class.cursor = load_cursor(nullptr, IDC_ARROW);
    window_class.class_name = test_class;
    ASSERT_NE(register_class(window_class), 0);
    class_registered = true;
  }

  void open(uint32_t style = WS_POPUP, int width = 320, int height = 240, uint32_t ex_style = WS_EX_APPWINDOW) {
    window = create_window_ex(ex_style, test_class, test_title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width,
                              height, nullptr, nullptr, get_module_handle(), nullptr);
    ASSERT_NE(window, nullptr);
  }

  // Dispatches everything waiting, as the demo's loop would.
  void drain() {
    Message message;
    while (peek_message(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != WM_QUIT) dispatch_message(&message);
    }
  }

  int count_received(uint32_t message) const {
    int count = 0;
    for (const Received& r : received) count += r.message == message ? 1 : 0;
    return count;
  }

  WindowHandle window = nullptr;
  bool class_registered = false;
};

TEST_F(Win32BackendTest, CreationSendsTheClientSizeToTheShellBeforeItReturns) {
  open(WS_POPUP, 320, 240);
  int sizes = 0;
  for (const Received& r : received) {
    if (r.message != WM_SIZE) continue;
    ++sizes;
    EXPECT_EQ(r.window, window);
    EXPECT_EQ(loword(static_cast<uintptr_t>(r.lparam)), 320);
    EXPECT_EQ(hiword(static_cast<uintptr_t>(r.lparam)), 240);
  }
  EXPECT_GE(sizes, 1) << "WM_SIZE must reach the shell's procedure from inside create_window_ex";
  EXPECT_GE(count_received(0x0001), 1) << "WM_CREATE";
}

TEST_F(Win32BackendTest, PostedMessagesComeBackFieldForFieldAndDispatchToTheShell) {
  open();
  drain();
  struct Row {
    uintptr_t wparam;
    intptr_t lparam;
  };
  const Row rows[] = {
      {0, 0},
      {27, 1},
      {~uintptr_t{0}, -1},                                             // every bit of both 64-bit fields
      {uintptr_t{0x123456789ABCDEF0}, intptr_t{-0x0FEDCBA987654321}},  // high halves matter
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.wparam);
    received.clear();
    ASSERT_TRUE(win32_probe::post_message(window, test_message, row.wparam, row.lparam));
    Message message = {};
    ASSERT_TRUE(peek_message(&message, nullptr, test_message, test_message, PM_REMOVE));
    EXPECT_EQ(message.window, window);
    EXPECT_EQ(message.message, test_message);
    EXPECT_EQ(message.wparam, row.wparam);
    EXPECT_EQ(message.lparam, row.lparam);
    EXPECT_EQ(dispatch_message(&message), row.lparam ^ 0x5A5A);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].window, window);
    EXPECT_EQ(received[0].wparam, row.wparam);
    EXPECT_EQ(received[0].lparam, row.lparam);
  }
}

TEST_F(Win32BackendTest, PeekHonoursTheRangeAndTheRemoveFlag) {
  open();
  drain();
  ASSERT_TRUE(win32_probe::post_message(window, test_message, 5, 6));
  Message message = {};
  EXPECT_FALSE(peek_message(&message, nullptr, test_message + 1, test_message + 2, PM_REMOVE));
  ASSERT_TRUE(peek_message(&message, window, test_message, test_message, PM_NOREMOVE));
  EXPECT_EQ(message.wparam, 5u);
  ASSERT_TRUE(peek_message(&message, window, test_message, test_message, PM_REMOVE));
  EXPECT_FALSE(peek_message(&message, window, test_message, test_message, PM_REMOVE));
}

TEST_F(Win32BackendTest, TranslatePostsTheCharacterOfAKeyDown) {
  open();
  drain();
  struct Row {
    uintptr_t virtual_key;
    int scan_code;
    int character;  // 0: no WM_CHAR
  };
  const Row rows[] = {
      {VK_ESCAPE, 0x01, 27},
      {VK_RETURN, 0x1C, 13},
      {'A', 0x1E, 'a'},
      {VK_LEFT, 0x4B, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.virtual_key);
    Message key = {};
    key.window = window;
    key.message = WM_KEYDOWN;
    key.wparam = row.virtual_key;
    key.lparam = 1 | (static_cast<intptr_t>(row.scan_code) << 16);
    translate_message(&key);
    Message message = {};
    const bool got_char = peek_message(&message, window, WM_CHAR, WM_CHAR, PM_REMOVE);
    if (row.character == 0) {
      EXPECT_FALSE(got_char);
    } else {
      ASSERT_TRUE(got_char);
      EXPECT_EQ(message.wparam, static_cast<uintptr_t>(row.character));
    }
  }
}

TEST_F(Win32BackendTest, DefaultHandlingTurnsTheCloseCommandIntoWmClose) {
  open();
  drain();
  received.clear();
  def_window_proc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(count_received(WM_CLOSE), 1);
  EXPECT_TRUE(win32_probe::window_exists(window));
}

TEST_F(Win32BackendTest, TimerTicksThatFallDueTogetherArriveAsOneMessage) {
  open();
  drain();
  constexpr uintptr_t timer_id = 7;
  ASSERT_EQ(set_timer(window, timer_id, 50, nullptr), timer_id);
  sleep_ms(400);  // eight periods
  int ticks = 0;
  Message message = {};
  while (peek_message(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    ++ticks;
    EXPECT_EQ(message.wparam, timer_id);
  }
  EXPECT_EQ(ticks, 1);
  // The timer keeps running: another period brings another tick.
  bool ticked_again = false;
  for (int i = 0; i < 100 && !ticked_again; ++i) {
    sleep_ms(20);
    ticked_again = peek_message(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE);
  }
  EXPECT_TRUE(ticked_again);
}

TEST_F(Win32BackendTest, AClassOutlivesItsWindowsAndCanBeRegisteredAgain) {
  open();
  EXPECT_FALSE(unregister_class(test_class, get_module_handle())) << "a window of the class still exists";
  const WindowHandle destroyed = window;
  ASSERT_TRUE(destroy_window(window));
  window = nullptr;
  EXPECT_FALSE(destroy_window(destroyed));
  ASSERT_TRUE(unregister_class(test_class, get_module_handle()));
  class_registered = false;
  EXPECT_FALSE(unregister_class(test_class, get_module_handle())) << "already gone";

  // The class name comes back with a new procedure, which is the one the new
  // window's messages reach.
  static int second_proc_calls = 0;
  second_proc_calls = 0;
  register_test_class([](WindowHandle w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t {
    ++second_proc_calls;
    return def_window_proc(w, m, wp, lp);
  });
  received.clear();
  open();
  EXPECT_GT(second_proc_calls, 0);
  EXPECT_TRUE(received.empty());
}

TEST_F(Win32BackendTest, AdjustedWindowRectangleGivesTheWantedClientArea) {
  struct Row {
    uint32_t style;
    uint32_t ex_style;
    bool framed;
  };
  const Row rows[] = {
      {WS_POPUP, WS_EX_APPWINDOW, false},
      {WS_OVERLAPPEDWINDOW, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, true},
  };
  // Small enough for a framed window to fit on any test screen: Windows
  // shrinks a frame larger than the screen's maximum tracking size.
  constexpr int client_width = 640;
  constexpr int client_height = 480;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.style);
    Rect rect = {0, 0, client_width, client_height};
    ASSERT_TRUE(adjust_window_rect_ex(&rect, row.style, false, row.ex_style));
    if (row.framed) {
      EXPECT_LT(rect.left, 0);
      EXPECT_LT(rect.top, rect.left) << "the caption adds to the top";
      EXPECT_GT(rect.right, client_width);
      EXPECT_GT(rect.bottom, client_height);
    } else {
      EXPECT_EQ(rect.left, 0);
      EXPECT_EQ(rect.top, 0);
      EXPECT_EQ(rect.right, client_width);
      EXPECT_EQ(rect.bottom, client_height);
    }
    received.clear();
    open(row.style, rect.right - rect.left, rect.bottom - rect.top, row.ex_style);
    int width = 0;
    int height = 0;
    ASSERT_TRUE(win32_probe::client_size(window, &width, &height));
    EXPECT_EQ(width, client_width);
    EXPECT_EQ(height, client_height);
    ASSERT_TRUE(destroy_window(window));
    window = nullptr;
  }
}

TEST_F(Win32BackendTest, DisplaySwitchesOnlyToAModeTheScreenHasAndRestores) {
  const int screen_width = win32_probe::screen_width();
  const int screen_height = win32_probe::screen_height();
  struct Row {
    int width;
    int height;
    int32_t expected;
  };
  // A virtual X screen offers exactly its own size.
  const Row rows[] = {
      {screen_width, screen_height, DISP_CHANGE_SUCCESSFUL},
      {screen_width + 16, screen_height + 16, DISP_CHANGE_BADMODE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.width);
    DisplayMode mode = {};
    mode.size = 148;
    mode.fields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.bits_per_pel = 32;
    mode.pels_width = static_cast<uint32_t>(row.width);
    mode.pels_height = static_cast<uint32_t>(row.height);
    EXPECT_EQ(change_display_settings(&mode, CDS_FULLSCREEN), row.expected);
    EXPECT_EQ(change_display_settings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(win32_probe::screen_width(), screen_width);
  }
}

TEST_F(Win32BackendTest, TheShellsPixelFormatGivesACurrentContextThatDrawsOnTheWindow) {
  open(WS_POPUP, 64, 64);
  DeviceContext dc = get_dc(window);
  ASSERT_NE(dc, nullptr);
  PixelFormatDescriptor descriptor = {};
  descriptor.size = sizeof(descriptor);
  descriptor.version = 1;
  descriptor.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  descriptor.pixel_type = PFD_TYPE_RGBA;
  descriptor.color_bits = 32;
  descriptor.depth_bits = 32;
  descriptor.layer_type = PFD_MAIN_PLANE;
  const int index = choose_pixel_format(dc, &descriptor);
  ASSERT_GT(index, 0);
  ASSERT_TRUE(set_pixel_format(dc, index, &descriptor));
  bool double_buffered = false;
  int depth_bits = 0;
  ASSERT_TRUE(win32_probe::describe_pixel_format(dc, index, &double_buffered, &depth_bits));
  EXPECT_TRUE(double_buffered);
  EXPECT_GE(depth_bits, 16);

  RenderContext context = create_context(dc);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(make_current(dc, context));
  ASSERT_NE(glGetString(GL_VERSION), nullptr);
  EXPECT_NE(gl_proc_address("glLockArraysEXT"), nullptr);
  EXPECT_EQ(gl_proc_address("glNoSuchFunctionZarnic"), nullptr);

  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  uint8_t pixel[4] = {};
  glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_TRUE(swap_buffers(dc));

  EXPECT_TRUE(make_current(nullptr, nullptr));
  EXPECT_FALSE(win32_probe::has_current_context());
  win32_probe::delete_context(context);
  EXPECT_TRUE(release_dc(window, dc));
}

TEST(Win32Clocks, CountersAdvanceWithRealTime) {
  const int64_t frequency = query_performance_frequency();
  EXPECT_GT(frequency, 100) << "the frame timer needs a usable counter";
  const int64_t count_before = query_performance_counter();
  const uint32_t ms_before = time_get_time();
  sleep_ms(100);
  const int64_t count_after = query_performance_counter();
  const uint32_t ms_after = time_get_time();
  const double counted_seconds = static_cast<double>(count_after - count_before) / static_cast<double>(frequency);
  EXPECT_GE(counted_seconds, 0.09);
  EXPECT_LT(counted_seconds, 10.0);
  EXPECT_GE(ms_after - ms_before, 90u);
  EXPECT_LT(ms_after - ms_before, 10000u);
}

TEST(Win32Cursor, ShowCursorKeepsItsCount) {
  const int hidden = show_cursor(false);
  EXPECT_EQ(show_cursor(true), hidden + 1);
}

// Answers the box captioned caption with button, once it shows up, and
// records the text it showed.
void answer_box(const char* caption, int button, std::string* text, std::atomic<bool>* answered) {
  for (int i = 0; i < 500 && !*answered; ++i) {
    if (win32_probe::answer_box(caption, button, text)) *answered = true;
    sleep_ms(20);
  }
}

TEST(Win32MessageBox, ShowsTheTextUnderTheCaptionAndReturnsTheButton) {
  struct Row {
    const char* text;
    const char* caption;
    uint32_t type;
    int button;
  };
  const Row rows[] = {
      {"The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?", "Vesk GL",
       MB_YESNO | MB_ICONEXCLAMATION, IDNO},
      {"The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?", "Vesk GL",
       MB_YESNO | MB_ICONEXCLAMATION, IDYES},
      {"Program Will Now Close.", "ERROR", MB_OK | MB_ICONSTOP, IDOK},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.button);
    std::string shown;
    std::atomic<bool> answered{false};
    std::thread answerer(answer_box, row.caption, row.button, &shown, &answered);
    const int result = message_box(nullptr, row.text, row.caption, row.type);
    answered = true;
    answerer.join();
    EXPECT_EQ(result, row.button);
    EXPECT_EQ(shown, row.text);
  }
}

}  // namespace
