#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_main.h"
#include "app/gl_window.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "tests/app/shell_test.h"

using namespace platform;
namespace script = platform::script;

namespace {

constexpr uintptr_t minimised = uintptr_t{1} << 16;

int count_calls(const std::string& prefix) {
  int count = 0;
  for (const std::string& call : script::calls()) {
    if (call.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

class MainLoopTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    frame_timer = FrameTimer();
  }
  int run() { return app_main(nullptr, nullptr, nullptr, SW_SHOW); }
  void expect_destroyed_once() {
    EXPECT_EQ(count_calls("destroy_window"), 1);
    EXPECT_EQ(count_calls("unregister_class"), 1);
    EXPECT_EQ(count_calls("change_display restore"), 1);
    EXPECT_FALSE(script::display_switched());
    EXPECT_EQ(script::cursor_count(), 0);
  }
};

TEST_F(MainLoopTest, SixteenSecondsGoOnAndTheSeventeenthTickEndsTheRun) {
  for (int tick = 0; tick < 16; ++tick) {
    script::feed(WM_TIMER, 1);
    script::feed_idle(2);
  }
  script::feed(WM_TIMER, 1);
  script::feed_idle();
  script::feed(WM_CLOSE);  // never reached when the time limit holds

  EXPECT_EQ(run(), 1);  // the last message taken was the tick
  EXPECT_EQ(gl_window.timer_seconds, 17.0f);
  EXPECT_EQ(count_calls("Scene::render"), 33);
  EXPECT_EQ(count_calls("swap_buffers"), 32);  // the last frame is not presented
  EXPECT_EQ(count_calls("post_quit"), 0);
  expect_destroyed_once();
}

TEST_F(MainLoopTest, EscapeEndsTheRunOnlyWhenStillHeldAtAnIdlePass) {
  struct Case {
    const char* name;
    void (*feed)();
    int exit_code;
    float timer_seconds;
    int renders;
    int swaps;
  };
  const Case cases[] = {
      // Translating the key-down posted WM_CHAR 27, the last message taken;
      // the frame of that idle pass is drawn, not presented.
      {"held until the next idle pass",
       [] {
         script::feed(WM_TIMER, 1);
         script::feed_idle();
         script::feed(WM_KEYDOWN, VK_ESCAPE);
         script::feed_idle();
         script::feed(WM_CLOSE);
       },
       27, 1.0f, 2, 1},
      // A tick that fell due during a slow frame is taken after the WM_CHAR
      // and before the idle pass, so it is the last message taken.
      {"held, with a tick waiting",
       [] {
         script::feed(WM_KEYDOWN, VK_ESCAPE);
         script::feed(WM_TIMER, 1);
         script::feed_idle();
         script::feed(WM_CLOSE);
       },
       1, 1.0f, 1, 0},
      // Released before any idle pass looked: the run goes on to the close.
      {"released before an idle pass",
       [] {
         script::feed(WM_KEYDOWN, VK_ESCAPE);
         script::feed(WM_KEYUP, VK_ESCAPE);
         script::feed_idle(3);
         script::feed(WM_CLOSE);
       },
       0, 0.0f, 3, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.feed();
    EXPECT_EQ(run(), c.exit_code);
    EXPECT_EQ(gl_window.timer_seconds, c.timer_seconds);
    EXPECT_EQ(count_calls("Scene::render"), c.renders);
    EXPECT_EQ(count_calls("swap_buffers"), c.swaps);
    EXPECT_EQ(count_calls("post_quit 0"), c.exit_code == 0 ? 1 : 0);
    expect_destroyed_once();
  }
}

TEST_F(MainLoopTest, CloseRequestsEndWithZero) {
  struct Case {
    const char* name;
    uint32_t message;
    uintptr_t wparam;
  };
  const Case cases[] = {
      {"window close", WM_CLOSE, 0},
      {"system close command", WM_SYSCOMMAND, SC_CLOSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    script::feed(WM_TIMER, 1);
    script::feed_idle();
    script::feed(c.message, c.wparam);
    script::feed(WM_TIMER, 1);  // behind the close: the quit comes after input
    script::feed_idle(5);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(gl_window.timer_seconds, 2.0f);
    EXPECT_EQ(count_calls("swap_buffers"), 1);
    expect_destroyed_once();
  }
}

TEST_F(MainLoopTest, MinimisedDrawsNothingYetStillPresentsAndEnds) {
  struct Case {
    const char* name;
    uint32_t ending_message;
    uintptr_t ending_wparam;
    int ticks;
    int exit_code;
  };
  const Case cases[] = {
      {"escape", WM_KEYDOWN, VK_ESCAPE, 0, 27},
      {"time limit", WM_TIMER, 1, 16, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    script::feed(WM_ACTIVATE, WA_INACTIVE | minimised);
    script::feed_idle(2);
    for (int tick = 0; tick < c.ticks; ++tick) script::feed(WM_TIMER, 1);
    script::feed(c.ending_message, c.ending_wparam);
    script::feed_idle();
    script::feed(WM_CLOSE);
    EXPECT_EQ(run(), c.exit_code);
    EXPECT_EQ(count_calls("Scene::render"), 0);
    EXPECT_EQ(count_calls("swap_buffers"), 2);
    expect_destroyed_once();
  }
}

TEST_F(MainLoopTest, RestoredWindowDrawsAgain) {
  script::feed(WM_ACTIVATE, WA_ACTIVE | minimised);
  script::feed_idle();
  script::feed(WM_ACTIVATE, WA_ACTIVE);
  script::feed_idle();
  script::feed(WM_CLOSE);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(count_calls("Scene::render"), 1);
  EXPECT_EQ(count_calls("swap_buffers"), 2);
}

TEST_F(MainLoopTest, FailedCreateReturnsZeroWithoutLoopOrSecondDestroy) {
  struct Case {
    const char* name;
    script::Step step;
    int unregisters;  // create's own clean-up only
  };
  const Case cases[] = {
      {"window creation fails", script::Step::create_window, 1},
      {"fullscreen refused, answer No", script::Step::change_display, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    script::fail(c.step);
    script::answer_message_boxes({IDNO});
    script::feed(WM_TIMER, 7);
    script::feed_idle();
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(count_calls("unregister_class"), c.unregisters);
    EXPECT_EQ(count_calls("swap_buffers"), 0);
    EXPECT_EQ(gl_window.timer_seconds, 0.0f);  // no message was taken
  }
}

TEST_F(MainLoopTest, LoopEndingBeforeAnyMessageExitsWithZero) {
  gl_window.timer_seconds = 17.0f;
  script::feed_idle();
  script::feed(WM_TIMER, 1);
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(count_calls("Scene::render"), 1);
  expect_destroyed_once();
}

TEST_F(MainLoopTest, FrameStepIsOneCounterReadTakenOnEveryPass) {
  script::set_counter_frequency(10000000);
  frame_timer = FrameTimer();
  script::feed(WM_TIMER, 1);
  script::feed_idle();
  script::feed(WM_CLOSE);
  // Two reads per pass: message, idle (drawn), message, quit.
  script::queue_counter_reads({0, 5, 10, 30, 40, 40, 50, 51});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(count_calls("Scene::render 0.020000"), 1);
  EXPECT_EQ(count_calls("Scene::render"), 1);
  EXPECT_FLOAT_EQ(gl_window.frame_step, 0.001f);  // the quit pass wrote it too
}

TEST_F(MainLoopTest, StartUpCallsTheMusicAndTheSceneOnceBeforeTheFirstFrame) {
  script::feed_idle();
  script::feed(WM_CLOSE);
  EXPECT_EQ(run(), 0);
  const auto& calls = script::calls();
  std::vector<std::string> order;
  for (const std::string& call : calls) {
    if (call.rfind("BASS_Init", 0) == 0 || call.rfind("Scene::", 0) == 0 || call == "swap_buffers") {
      order.push_back(call.substr(0, call.find(' ')));
    }
  }
  EXPECT_EQ(order, (std::vector<std::string>{"BASS_Init", "Scene::init", "Scene::render", "swap_buffers"}));
}

}  // namespace
