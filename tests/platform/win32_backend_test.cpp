// The Win32 backend under wine on a virtual X screen, beyond the platform
// contract every backend passes (platform_contract_test.cpp): the layer's
// records and handles must reach Windows and come back unchanged, peek's
// range and remove flag, the framed window's client area, the swap interval,
// the clocks.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "tests/platform/test_window.h"
#include "tests/platform/win32_probe.h"

using namespace platform;

namespace {

constexpr const char* test_class = "zarnic/test";
constexpr const char* test_title = "platform test window";
// A private message range, so nothing wine posts by itself is mistaken for
// the test's own messages.
constexpr uint32_t test_message = 0x8000 + 17;  // WM_APP + 17

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

  void TearDown() override { test_window.release(); }

  void register_test_class(WindowProc proc) { ASSERT_TRUE(test_window.register_with(proc)); }

  void open(uint32_t style = WS_POPUP, int width = 320, int height = 240, uint32_t ex_style = WS_EX_APPWINDOW) {
    window = create_window_ex(ex_style, test_class, test_title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, width,
                              height, nullptr, nullptr, get_module_handle(), nullptr);
    ASSERT_NE(window, nullptr);
  }

  TestWindow test_window{test_class};
  WindowHandle& window = test_window.handle;
};

TEST_F(Win32BackendTest, PostedMessagesComeBackFieldForFieldAndDispatchToTheShell) {
  open();
  drain_messages();
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
  drain_messages();
  ASSERT_TRUE(win32_probe::post_message(window, test_message, 5, 6));
  Message message = {};
  EXPECT_FALSE(peek_message(&message, nullptr, test_message + 1, test_message + 2, PM_REMOVE));
  ASSERT_TRUE(peek_message(&message, window, test_message, test_message, PM_NOREMOVE));
  EXPECT_EQ(message.wparam, 5u);
  ASSERT_TRUE(peek_message(&message, window, test_message, test_message, PM_REMOVE));
  EXPECT_FALSE(peek_message(&message, window, test_message, test_message, PM_REMOVE));
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

// Drivers that wait for the display's refresh by default would cap the loop
// at the refresh rate: making a context current turns that wait off, also
// for a window whose interval something else had set.
TEST_F(Win32BackendTest, MakingAContextCurrentTurnsTheWaitForTheRefreshOff) {
  open(WS_POPUP, 64, 64);
  DeviceContext dc = get_dc(window);
  ASSERT_NE(dc, nullptr);
  const PixelFormatDescriptor descriptor = shell_pixel_format();
  ASSERT_TRUE(set_pixel_format(dc, choose_pixel_format(dc, &descriptor), &descriptor));
  RenderContext context = create_context(dc);
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(win32_probe::set_swap_interval_directly(dc, context, 1)) << "wine offers WGL_EXT_swap_control";

  ASSERT_TRUE(make_current(dc, context));
  EXPECT_EQ(win32_probe::current_swap_interval(), 0);
  EXPECT_TRUE(swap_buffers(dc));
  EXPECT_EQ(win32_probe::current_swap_interval(), 0) << "kept across a swap";

  EXPECT_TRUE(make_current(nullptr, nullptr));
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

}  // namespace
