// The fixture the shell's tests start from: the scripted platform reset and
// a fresh GlWindow, and the window opened as the demo opens it.
#pragma once

#include <gtest/gtest.h>

#include "app/gl_window.h"
#include "platform/demo_screen.h"
#include "platform/script/platform_script.h"
#include "tests/support/shell_stand_ins.h"

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The Scene's and the music's stand-in calls go into the call record.
    shell_stand_in_calls = platform::script::log_call;
    platform::script::reset();
    gl_window = GlWindow();
  }

  // GlWindow::create with the demo's title and screen size.
  static bool create_demo_window(int bits, bool fullscreen) {
    return gl_window.create("zarnic's engin", demo_screen_width, demo_screen_height, bits, fullscreen);
  }
};
