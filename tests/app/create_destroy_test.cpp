#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/gl_window.h"
#include "platform/platform.h"
#include "platform/script/platform_script.h"
#include "tests/app/shell_test.h"
#include "tests/support/shell_pixel_format.h"

using namespace platform;
namespace script = platform::script;
using Calls = std::vector<std::string>;

namespace {

const char* const fallback_question =
    "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
constexpr uint32_t error_type = MB_OK | MB_ICONEXCLAMATION;
constexpr uint32_t shutdown_type = MB_OK | MB_ICONINFORMATION;

const Calls opening_calls = {
    "register_class", "change_display",      "show_cursor false", "adjust_window_rect_ex", "create_window", "set_timer",
    "get_dc",         "choose_pixel_format", "set_pixel_format",  "create_context",        "make_current",
};
const Calls ready_calls = {
    "show_window", "set_foreground_window", "set_focus", "BASS_Init 1 44100 0 window null", "Scene::init",
};

Calls concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Calls calls_up_to(const std::string& last) {
  Calls calls;
  for (const std::string& call : opening_calls) {
    calls.push_back(call);
    if (call == last) break;
  }
  return calls;
}

class CreateDestroyTest : public ShellTest {
 protected:
  bool create() { return create_demo_window(32, gl_window.fullscreen); }
};

TEST_F(CreateDestroyTest, FullscreenOpensEverythingInOrder) {
  ASSERT_TRUE(create());
  EXPECT_EQ(script::calls(), concat(opening_calls, ready_calls));
  EXPECT_TRUE(script::message_boxes().empty());

  const WindowClass window_class = script::registered_class();
  EXPECT_EQ(window_class.style, CS_HREDRAW | CS_VREDRAW | CS_OWNDC);
  EXPECT_EQ(window_class.window_proc, &window_proc);
  EXPECT_EQ(window_class.class_extra, 0);
  EXPECT_EQ(window_class.window_extra, 0);
  EXPECT_EQ(window_class.instance, get_module_handle());
  EXPECT_EQ(window_class.icon, load_icon(nullptr, IDI_WINLOGO));
  EXPECT_EQ(window_class.cursor, load_cursor(nullptr, IDC_ARROW));
  EXPECT_EQ(window_class.background, nullptr);
  EXPECT_EQ(window_class.menu_name, nullptr);
  EXPECT_STREQ(window_class.class_name, "zarnic/en");

  const DisplayMode mode = script::last_display_mode();
  EXPECT_EQ(mode.size, 148);
  EXPECT_EQ(mode.pels_width, 1024u);
  EXPECT_EQ(mode.pels_height, 768u);
  EXPECT_EQ(mode.bits_per_pel, 32u);
  EXPECT_EQ(mode.fields, DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT);
  EXPECT_TRUE(script::display_switched());
  EXPECT_EQ(script::cursor_count(), -1);

  const script::WindowInfo window = script::window_info();
  EXPECT_EQ(window.class_name, "zarnic/en");
  EXPECT_EQ(window.title, "zarnic's engin");
  EXPECT_EQ(window.style, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  EXPECT_EQ(window.ex_style, WS_EX_APPWINDOW);
  EXPECT_EQ(window.x, 0);
  EXPECT_EQ(window.y, 0);
  EXPECT_EQ(window.width, 1024);
  EXPECT_EQ(window.height, 768);
  EXPECT_TRUE(window.shown);
  EXPECT_TRUE(script::timer_running());
  EXPECT_EQ(gl_window.window_handle, script::current_window());

  // Every byte of the descriptor, which has no padding.
  const PixelFormatDescriptor format = script::last_pixel_format();
  const PixelFormatDescriptor expected = shell_pixel_format();
  EXPECT_EQ(std::memcmp(&format, &expected, sizeof format), 0);

  // The base GL state init_gl leaves on the real context.
  GLint depth_func = 0, hint = 0;
  GLdouble clear_depth = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
  glGetDoublev(GL_DEPTH_CLEAR_VALUE, &clear_depth);
  EXPECT_EQ(depth_func, GL_LEQUAL);
  EXPECT_EQ(hint, GL_NICEST);
  EXPECT_EQ(clear_depth, 1.0);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(CreateDestroyTest, EachFailingStepReleasesWhatWasTakenThenTellsWhy) {
  struct Case {
    script::Step step;
    const char* failing_call;
    Calls released;
    const char* text;
  };
  const Calls restore = {"change_display restore", "show_cursor true"};
  const Case cases[] = {
      {script::Step::create_window, "create_window", concat(restore, {"unregister_class"}), "Window error."},
      {script::Step::get_dc, "get_dc", concat(restore, {"destroy_window", "unregister_class"}),
       "Can't Create A GL Device Context."},
      {script::Step::choose_pixel_format, "choose_pixel_format",
       concat(restore, {"release_dc", "destroy_window", "unregister_class"}), "Can't Find A Suitable PixelFormat."},
      {script::Step::set_pixel_format, "set_pixel_format",
       concat(restore, {"release_dc", "destroy_window", "unregister_class"}), "Can't Set The PixelFormat."},
      {script::Step::create_context, "create_context",
       concat(restore, {"release_dc", "destroy_window", "unregister_class"}), "Can't Create A GL Rendering Context."},
      {script::Step::make_current, "make_current",
       concat(restore, {"make_current none", "release_dc", "destroy_window", "unregister_class"}),
       "Can't Activate The GL Rendering Context."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    script::reset();
    gl_window = GlWindow();
    script::fail(c.step);
    EXPECT_FALSE(create());
    const Calls expected =
        concat(concat(calls_up_to(c.failing_call), c.released), {std::string("message_box ERROR: ") + c.text});
    EXPECT_EQ(script::calls(), expected);
    ASSERT_EQ(script::message_boxes().size(), 1u);
    const script::BoxRecord& box = script::message_boxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.caption, "ERROR");
    EXPECT_EQ(box.type, error_type);
    // The display is back and the cursor shown before the box appears.
    EXPECT_FALSE(script::display_switched());
    EXPECT_EQ(script::cursor_count(), 0);
    EXPECT_FALSE(script::class_registered());
    EXPECT_EQ(script::current_window(), nullptr);
  }
}

TEST_F(CreateDestroyTest, FailedRegistrationIsReportedThenWindowCreationFails) {
  script::fail(script::Step::register_class);
  EXPECT_FALSE(create());
  const auto& boxes = script::message_boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, "Failed To Register The Window Class.");
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].type, error_type);
  EXPECT_EQ(boxes[1].text, "Could Not Unregister Class.");
  EXPECT_EQ(boxes[1].caption, "SHUTDOWN ERROR");
  EXPECT_EQ(boxes[1].type, shutdown_type);
  EXPECT_EQ(boxes[2].text, "Window error.");
  EXPECT_EQ(boxes[2].caption, "ERROR");
  EXPECT_EQ(script::calls(),
            (Calls{"register_class", "message_box ERROR: Failed To Register The Window Class.", "change_display",
                   "show_cursor false", "adjust_window_rect_ex", "create_window", "change_display restore",
                   "show_cursor true", "unregister_class", "message_box SHUTDOWN ERROR: Could Not Unregister Class.",
                   "message_box ERROR: Window error."}));
}

TEST_F(CreateDestroyTest, RefusedFullscreenWithYesRunsWindowed) {
  script::fail(script::Step::change_display);
  script::answer_message_boxes({IDYES});
  ASSERT_TRUE(create());
  ASSERT_EQ(script::message_boxes().size(), 1u);
  const script::BoxRecord& box = script::message_boxes()[0];
  EXPECT_EQ(box.text, fallback_question);
  EXPECT_EQ(box.caption, "Vesk GL");
  EXPECT_EQ(box.type, MB_YESNO | MB_ICONEXCLAMATION);
  EXPECT_EQ(box.owner, nullptr);

  EXPECT_FALSE(gl_window.fullscreen);
  const script::WindowInfo window = script::window_info();
  EXPECT_EQ(window.style, WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
  EXPECT_EQ(window.ex_style, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE);
  EXPECT_EQ(window.client_width, 1024);
  EXPECT_EQ(window.client_height, 768);
  EXPECT_GT(window.width, 1024);  // the frame is outside the client area
  EXPECT_EQ(script::cursor_count(), 0);

  gl_window.destroy();
  for (const std::string& call : script::calls()) {
    EXPECT_NE(call, "change_display restore");
    EXPECT_NE(call, "show_cursor true");
  }
  EXPECT_EQ(script::cursor_count(), 0);
}

TEST_F(CreateDestroyTest, RefusedFullscreenWithoutYesCloses) {
  for (int answer : {IDNO, 0, IDOK}) {
    SCOPED_TRACE(answer);
    script::reset();
    gl_window = GlWindow();
    script::fail(script::Step::change_display);
    script::answer_message_boxes({answer});
    EXPECT_FALSE(create());
    EXPECT_EQ(script::calls(),
              (Calls{"register_class", "change_display", std::string("message_box Vesk GL: ") + fallback_question,
                     "message_box ERROR: Program Will Now Close."}));
    ASSERT_EQ(script::message_boxes().size(), 2u);
    EXPECT_EQ(script::message_boxes()[1].type, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(script::current_window(), nullptr);
    // No destroy on this path: the class stays registered.
    EXPECT_TRUE(script::class_registered());
  }
}

TEST_F(CreateDestroyTest, DestroyReleasesInOrderAndGoesOnAfterEachFailure) {
  ASSERT_TRUE(create());
  const size_t opened = script::calls().size();
  script::fail(script::Step::detach_context);
  script::fail(script::Step::release_dc);
  script::fail(script::Step::destroy_window);
  script::fail(script::Step::unregister_class);
  gl_window.destroy();
  const Calls tail(script::calls().begin() + static_cast<long>(opened), script::calls().end());
  EXPECT_EQ(tail, (Calls{"change_display restore", "show_cursor true", "make_current none",
                         "message_box SHUTDOWN ERROR: Release Of DC And RC Failed.", "release_dc",
                         "message_box SHUTDOWN ERROR: Release Device Context Failed.", "destroy_window",
                         "message_box SHUTDOWN ERROR: Could Not Release hWnd.", "unregister_class",
                         "message_box SHUTDOWN ERROR: Could Not Unregister Class."}));
  for (const script::BoxRecord& box : script::message_boxes()) {
    EXPECT_EQ(box.caption, "SHUTDOWN ERROR");
    EXPECT_EQ(box.type, shutdown_type);
    EXPECT_EQ(box.owner, nullptr);
  }
  EXPECT_EQ(gl_window.render_context, nullptr);
}

TEST_F(CreateDestroyTest, CleanDestroyShowsNothing) {
  ASSERT_TRUE(create());
  gl_window.destroy();
  EXPECT_TRUE(script::message_boxes().empty());
  EXPECT_FALSE(script::display_switched());
  EXPECT_EQ(script::cursor_count(), 0);
  EXPECT_FALSE(script::class_registered());
  EXPECT_FALSE(script::timer_running());
  EXPECT_EQ(script::current_window(), nullptr);
}

TEST_F(CreateDestroyTest, PixelFormatIsFilledOnceAndReused) {
  ASSERT_TRUE(create_demo_window(32, true));
  gl_window.destroy();
  gl_window = GlWindow();
  ASSERT_TRUE(create_demo_window(16, true));
  EXPECT_EQ(script::last_pixel_format().color_bits, 32);
  EXPECT_EQ(script::last_display_mode().bits_per_pel, 16u);
}

}  // namespace
