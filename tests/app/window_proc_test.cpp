#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "app/gl_window.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "tests/app/shell_test.h"

using namespace platform;
namespace script = platform::script;

namespace {

class WindowProcTest : public ShellTest {
 protected:
  bool default_handled(uint32_t message) {
    const auto& handled = script::default_handled();
    return std::find(handled.begin(), handled.end(), message) != handled.end();
  }
};

TEST_F(WindowProcTest, ActivateLooksOnlyAtTheMinimisedFlag) {
  struct Case {
    const char* name;
    bool active_before;
    uintptr_t wparam;
    bool active_after;
  };
  const Case cases[] = {
      {"activated", false, WA_ACTIVE, true},
      {"deactivated but not minimised stays active", false, WA_INACTIVE, true},
      {"activated while minimised", true, WA_ACTIVE | (1u << 16), false},
      {"deactivated and minimised", true, WA_INACTIVE | (1u << 16), false},
      {"any non-zero high word is minimised", true, WA_ACTIVE | (0x8000u << 16), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gl_window.window_active = c.active_before;
    EXPECT_EQ(window_proc(nullptr, WM_ACTIVATE, c.wparam, 0), 0);
    EXPECT_EQ(gl_window.window_active, c.active_after);
  }
  EXPECT_TRUE(script::default_handled().empty());
}

TEST_F(WindowProcTest, ScreenSaverAndMonitorPowerAreSwallowedOnlyOnExactMatch) {
  struct Case {
    uintptr_t command;
    bool swallowed;
  };
  const Case cases[] = {
      {SC_SCREENSAVE, true},
      {SC_MONITORPOWER, true},
      {SC_SCREENSAVE | 1, false},
      {SC_MONITORPOWER | 2, false},
      {SC_SCREENSAVE | (uintptr_t{1} << 16), false},
      {SC_MONITORPOWER & ~uintptr_t{0x10}, false},
      {SC_CLOSE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    script::reset();
    window_proc(nullptr, WM_SYSCOMMAND, c.command, 0);
    EXPECT_EQ(default_handled(WM_SYSCOMMAND), !c.swallowed);
  }
}

TEST_F(WindowProcTest, TimerCountsSecondsForAnyIdAndStillReachesDefaultHandling) {
  window_proc(nullptr, WM_TIMER, 1, 0);
  window_proc(nullptr, WM_TIMER, 42, 0);
  EXPECT_EQ(gl_window.timer_seconds, 2.0f);
  EXPECT_EQ(script::default_handled(), (std::vector<uint32_t>{WM_TIMER, WM_TIMER}));
}

TEST_F(WindowProcTest, CloseAsksForQuitZeroAndKeepsTheWindow) {
  gl_window.window_handle = reinterpret_cast<WindowHandle>(0x1234);
  EXPECT_EQ(window_proc(gl_window.window_handle, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(script::calls(), (std::vector<std::string>{"post_quit 0"}));
  EXPECT_EQ(gl_window.window_handle, reinterpret_cast<WindowHandle>(0x1234));
  Message message{};
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wparam, 0u);
  EXPECT_FALSE(default_handled(WM_CLOSE));
}

TEST_F(WindowProcTest, KeyTableFollowsPlainKeysOnly) {
  window_proc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
  window_proc(nullptr, WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(gl_window.key_down[VK_ESCAPE], 1);
  EXPECT_EQ(gl_window.key_down['A'], 1);
  window_proc(nullptr, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_EQ(gl_window.key_down[VK_ESCAPE], 0);
  EXPECT_EQ(gl_window.key_down['A'], 1);

  // Keys pressed with Alt arrive as system keys and are not recorded.
  window_proc(nullptr, WM_SYSKEYDOWN, 'X', 0);
  EXPECT_EQ(gl_window.key_down['X'], 0);
  EXPECT_TRUE(default_handled(WM_SYSKEYDOWN));
}

TEST_F(WindowProcTest, KeyCodesBeyondTheTableAreIgnored) {
  // The members after the table must not be touched by out-of-range codes.
  for (uintptr_t code : {uintptr_t{256}, uintptr_t{257}, uintptr_t{0x1000}, UINTPTR_MAX}) {
    SCOPED_TRACE(code);
    window_proc(nullptr, WM_KEYUP, code, 0);
    EXPECT_TRUE(gl_window.window_active);
    EXPECT_TRUE(gl_window.fullscreen);
  }
  gl_window.window_active = false;
  gl_window.fullscreen = false;
  window_proc(nullptr, WM_KEYDOWN, 256, 0);
  window_proc(nullptr, WM_KEYDOWN, 257, 0);
  EXPECT_FALSE(gl_window.window_active);
  EXPECT_FALSE(gl_window.fullscreen);
  EXPECT_TRUE(std::all_of(std::begin(gl_window.key_down), std::end(gl_window.key_down),
                          [](uint8_t flag) { return flag == 0; }));
}

TEST_F(WindowProcTest, OtherMessagesGoToDefaultHandling) {
  window_proc(nullptr, WM_CHAR, 27, 0);
  window_proc(nullptr, 0x0200, 0, 0);  // mouse move
  EXPECT_EQ(script::default_handled(), (std::vector<uint32_t>{WM_CHAR, 0x0200}));
  EXPECT_EQ(gl_window.key_down[27], 0);
}

TEST(GlWindowData, StartsWithItsInitialValues) {
  const GlWindow fresh = GlWindow();
  EXPECT_EQ(fresh.timer_seconds, 0.0f);
  EXPECT_EQ(fresh.frame_step, 0.0f);
  EXPECT_TRUE(fresh.window_active);
  EXPECT_TRUE(fresh.fullscreen);
  EXPECT_EQ(fresh.window_handle, nullptr);
  EXPECT_EQ(fresh.device_context, nullptr);
  EXPECT_EQ(fresh.render_context, nullptr);
  // timer_seconds is the first member.
  EXPECT_EQ(static_cast<const void*>(&fresh.timer_seconds), static_cast<const void*>(&fresh));
}

}  // namespace
