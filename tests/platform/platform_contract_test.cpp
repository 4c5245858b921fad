// The contract of platform/platform.h, the same cases for every backend:
// each build links one backend with its fixture (platform_fixture.h). The
// shell relies on these rules being the same everywhere: the order messages
// come in, what creation and default handling send to the window procedure,
// the display switch, the GL context's life, the cursor counter and clocks.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/gl.h"
#include "tests/platform/platform_fixture.h"
#include "tests/platform/test_window.h"

using namespace platform;

namespace {

constexpr const char* test_class = "zarnic/contract";
constexpr const char* test_title = "platform contract window";

int second_proc_calls = 0;
intptr_t second_proc(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  ++second_proc_calls;
  if (message == WM_CLOSE) return 0;
  return def_window_proc(window, message, wparam, lparam);
}

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

DisplayMode mode_of(int width, int height) {
  return {148, DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT, 32, static_cast<uint32_t>(width),
          static_cast<uint32_t>(height)};
}

class PlatformContract : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_contract::begin_case();
    received.clear();
    register_test_class(recording_proc);
  }

  void TearDown() override {
    test_window.release();
    change_display_settings(nullptr, 0);
  }

  void register_test_class(WindowProc proc) { ASSERT_TRUE(test_window.register_with(proc)); }

  void open(int width = 320, int height = 240) {
    window = create_window_ex(WS_EX_APPWINDOW, test_class, test_title, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                              0, width, height, nullptr, nullptr, get_module_handle(), nullptr);
    ASSERT_NE(window, nullptr);
  }

  Message key_down(uintptr_t virtual_key, int scan_code) const {
    Message key{};
    key.window = window;
    key.message = WM_KEYDOWN;
    key.wparam = virtual_key;
    key.lparam = 1 | (static_cast<intptr_t>(scan_code) << 16);
    return key;
  }

  TestWindow test_window{test_class};
  WindowHandle& window = test_window.handle;
  bool& class_registered = test_window.class_registered;
};

TEST_F(PlatformContract, CreationSendsTheClientSizeBeforeItReturns) {
  ASSERT_NO_FATAL_FAILURE(open(320, 240));
  int sizes = 0;
  for (const Received& r : received) {
    if (r.message != WM_SIZE) continue;
    ++sizes;
    EXPECT_EQ(r.window, window);
    EXPECT_EQ(r.lparam, make_lparam(320, 240));
  }
  EXPECT_GE(sizes, 1) << "WM_SIZE must reach the procedure from inside create_window_ex";
}

TEST_F(PlatformContract, AClassOutlivesItsWindowsAndCanBeRegisteredAgain) {
  ASSERT_NO_FATAL_FAILURE(open());
  EXPECT_FALSE(unregister_class(test_class, get_module_handle())) << "a window of the class still exists";
  const WindowHandle destroyed = window;
  ASSERT_TRUE(destroy_window(window));
  window = nullptr;
  EXPECT_FALSE(destroy_window(destroyed));
  ASSERT_TRUE(unregister_class(test_class, get_module_handle()));
  class_registered = false;
  EXPECT_FALSE(unregister_class(test_class, get_module_handle())) << "already gone";

  // The name comes back with a new procedure, the one the new window reaches.
  second_proc_calls = 0;
  ASSERT_NO_FATAL_FAILURE(register_test_class(second_proc));
  received.clear();
  ASSERT_NO_FATAL_FAILURE(open());
  EXPECT_GT(second_proc_calls, 0);
  EXPECT_TRUE(received.empty());
}

TEST_F(PlatformContract, TranslatePostsTheCharacterOfAKeyDown) {
  ASSERT_NO_FATAL_FAILURE(open());
  drain_messages();
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
    // What translate returns differs (Windows says true for every key-down);
    // the shell does not look at it.
    const Message key = key_down(row.virtual_key, row.scan_code);
    translate_message(&key);
    Message message{};
    const bool got_char = peek_message(&message, nullptr, 0, 0, PM_REMOVE);
    if (row.character == 0) {
      EXPECT_FALSE(got_char) << "message " << message.message;
    } else {
      ASSERT_TRUE(got_char);
      EXPECT_EQ(message.message, WM_CHAR);
      EXPECT_EQ(message.wparam, static_cast<uintptr_t>(row.character));
      EXPECT_EQ(message.window, window);
    }
  }
}

TEST_F(PlatformContract, AQuitWaitsBehindPostedMessagesAndCarriesItsCode) {
  ASSERT_NO_FATAL_FAILURE(open());
  drain_messages();
  post_quit_message(4);
  const Message escape = key_down(VK_ESCAPE, 0x01);
  ASSERT_TRUE(translate_message(&escape));
  Message message{};
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_CHAR);
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wparam, 4u);
  EXPECT_EQ(message.window, nullptr);
  EXPECT_FALSE(peek_message(&message, nullptr, 0, 0, PM_REMOVE)) << "one quit, taken once";
}

TEST_F(PlatformContract, DefaultHandlingClosesOnTheCloseCommandAndAltF4) {
  ASSERT_NO_FATAL_FAILURE(open());
  drain_messages();
  received.clear();
  def_window_proc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(count_received(WM_CLOSE), 1);

  Message alt_f4{};
  alt_f4.window = window;
  alt_f4.message = WM_SYSKEYDOWN;
  alt_f4.wparam = VK_F1 + 3;
  alt_f4.lparam = 1 | (intptr_t{0x3E} << 16) | (intptr_t{1} << 29);  // scan code of F4, Alt held
  dispatch_message(&alt_f4);
  drain_messages();  // Windows posts the close command it makes of Alt+F4
  EXPECT_EQ(count_received(WM_CLOSE), 2);
}

TEST_F(PlatformContract, TimerTicksThatFallDueTogetherArriveAsOne) {
  if (!platform_contract::timer_ticks_by_itself()) GTEST_SKIP() << "this backend's ticks are fed by the test";
  ASSERT_NO_FATAL_FAILURE(open());
  drain_messages();
  constexpr uintptr_t timer_id = 7;
  ASSERT_EQ(set_timer(window, timer_id, 50, nullptr), timer_id);
  sleep_ms(400);  // at least eight periods, more on a busy machine
  int ticks = 0;
  Message message{};
  while (peek_message(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message != WM_TIMER) continue;
    ++ticks;
    EXPECT_EQ(message.wparam, timer_id);
    EXPECT_EQ(message.window, window);
  }
  EXPECT_EQ(ticks, 1);
  // The timer keeps running: another period brings another tick.
  bool ticked_again = false;
  for (int i = 0; i < 500 && !ticked_again; ++i) {
    sleep_ms(20);
    ticked_again = peek_message(&message, nullptr, 0, 0, PM_REMOVE) && message.message == WM_TIMER;
  }
  EXPECT_TRUE(ticked_again);
  // Destroying the window ends its timer.
  ASSERT_TRUE(destroy_window(window));
  window = nullptr;
  sleep_ms(200);
  while (peek_message(&message, nullptr, 0, 0, PM_REMOVE)) EXPECT_NE(message.message, WM_TIMER);
}

TEST_F(PlatformContract, DisplaySwitchesOnlyToTheScreensModeAndRestores) {
  int width = 1024;
  int height = 768;
  if (platform_contract::screen_mode(&width, &height)) {
    const DisplayMode offered = mode_of(width, height);
    EXPECT_EQ(change_display_settings(&offered, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(change_display_settings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  }
  const DisplayMode larger = mode_of(width + 16, height + 16);
  EXPECT_NE(change_display_settings(&larger, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(change_display_settings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

TEST_F(PlatformContract, TheShellsPixelFormatGivesAContextThatDrawsAndDetaches) {
  ASSERT_NO_FATAL_FAILURE(open(64, 64));
  DeviceContext dc = get_dc(window);
  ASSERT_NE(dc, nullptr);
  const PixelFormatDescriptor descriptor = shell_pixel_format();
  const int index = choose_pixel_format(dc, &descriptor);
  ASSERT_GT(index, 0);
  EXPECT_EQ(create_context(dc), nullptr) << "no pixel format set yet";
  ASSERT_TRUE(set_pixel_format(dc, index, &descriptor));
  RenderContext context = create_context(dc);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(make_current(dc, context));

  GLint depth_bits = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
  EXPECT_GE(depth_bits, 16);
  // Immediate mode, as the scene draws: a core profile would refuse it.
  glBegin(GL_TRIANGLES);
  glVertex3f(0, 0, 0);
  glVertex3f(1, 0, 0);
  glVertex3f(0, 1, 0);
  glEnd();
  glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  uint8_t pixel[4] = {};
  glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(pixel[0], 255);
  EXPECT_EQ(pixel[1], 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  EXPECT_EQ(gl_proc_address("glLockArraysEXT") != nullptr, platform_contract::offers_lock_arrays());
  EXPECT_TRUE(swap_buffers(dc));

  EXPECT_TRUE(make_current(nullptr, nullptr));
  EXPECT_TRUE(release_dc(window, dc));
}

TEST_F(PlatformContract, MessageBoxReturnsTheButtonChosen) {
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
    const bool answered = platform_contract::answer_next_box(row.caption, row.button);
    const int result = message_box(nullptr, row.text, row.caption, row.type);
    std::string shown;
    if (platform_contract::box_done(&shown)) {
      EXPECT_EQ(shown, row.text);
    }
    if (answered) {
      EXPECT_EQ(result, row.button);
    } else {
      EXPECT_NE(result, IDYES) << "a box nobody saw must not count as Yes";
    }
  }
}

TEST_F(PlatformContract, CursorCounterAndClocks) {
  const int hidden = show_cursor(false);
  EXPECT_EQ(show_cursor(false), hidden - 1);
  EXPECT_EQ(show_cursor(true), hidden);
  EXPECT_EQ(show_cursor(true), hidden + 1);

  EXPECT_GT(query_performance_frequency(), 100) << "the frame timer needs a usable counter";
  int64_t last_count = query_performance_counter();
  uint32_t last_ms = time_get_time();
  for (int i = 0; i < 1000; ++i) {
    const int64_t count = query_performance_counter();
    const uint32_t ms = time_get_time();
    EXPECT_GE(count, last_count);
    EXPECT_GE(ms, last_ms);
    last_count = count;
    last_ms = ms;
  }
}

}  // namespace
