// The SDL backend on SDL's offscreen video driver, beyond the platform
// contract every backend passes (platform_contract_test.cpp): SDL events in,
// Win32 messages out, its display modes and its GL context.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_modes.h"
#include "tests/platform/test_window.h"

using namespace platform;

namespace {

constexpr const char* test_class = "zarnic/test";
constexpr const char* test_title = "platform test window";

SDL_Window* sdl_window_titled(const char* title) {
  for (uint32_t id = 1; id < 1000; ++id) {
    SDL_Window* window = SDL_GetWindowFromID(id);
    if (window != nullptr && std::string(SDL_GetWindowTitle(window)) == title) {
      return window;
    }
  }
  return nullptr;
}

class SdlBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    ASSERT_TRUE(test_window.register_with(recording_proc));
  }
  void TearDown() override {
    test_window.release();
    change_display_settings(nullptr, 0);
  }
  void open(uint32_t style = WS_POPUP) {
    window = create_window_ex(WS_EX_APPWINDOW, test_class, test_title, style, 0, 0, 320, 240, nullptr, nullptr,
                              get_module_handle(), nullptr);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    sdl = sdl_window_titled(test_title);
    ASSERT_NE(sdl, nullptr);
    // Creation delivered the client size straight to the procedure.
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received[0].message, WM_SIZE);
    EXPECT_EQ(received[0].lparam, make_lparam(320, 240));
    take_all();
    received.clear();
  }
  void push_key(uint32_t type, SDL_Keycode key, uint16_t mod = KMOD_NONE) {
    SDL_Event event = {};
    event.type = type;
    event.key.windowID = SDL_GetWindowID(sdl);
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
  }
  void push_window_event(uint8_t what, int data1 = 0, int data2 = 0) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(sdl);
    event.window.event = what;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
  }
  std::vector<Message> take_all() {
    std::vector<Message> taken;
    Message message{};
    while (peek_message(&message, nullptr, 0, 0, PM_REMOVE)) taken.push_back(message);
    return taken;
  }

  TestWindow test_window{test_class};
  WindowHandle& window = test_window.handle;
  SDL_Window* sdl = nullptr;
};

TEST(SdlKeys, VirtualKeyCodes) {
  const std::pair<SDL_Keycode, uintptr_t> cases[] = {
      {SDLK_ESCAPE, 27},    {SDLK_a, 'A'},           {SDLK_z, 'Z'},
      {SDLK_0, '0'},        {SDLK_9, '9'},           {SDLK_SPACE, 0x20},
      {SDLK_RETURN, 0x0D},  {SDLK_KP_ENTER, 0x0D},   {SDLK_BACKSPACE, 0x08},
      {SDLK_LEFT, 0x25},    {SDLK_UP, 0x26},         {SDLK_RIGHT, 0x27},
      {SDLK_DOWN, 0x28},    {SDLK_F1, 0x70},         {SDLK_F12, 0x7B},
      {SDLK_LALT, VK_MENU}, {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL},
      {SDLK_KP_0, 0x60},    {SDLK_KP_9, 0x69},       {SDLK_F13, 0},
      {SDLK_CAPSLOCK, 0},   {SDLK_UNKNOWN, 0},
  };
  for (const auto& [key, expected] : cases) {
    EXPECT_EQ(virtual_key_for(key), expected) << SDL_GetKeyName(key);
  }
}

TEST_F(SdlBackendTest, KeysBecomeKeyMessagesAndTranslateToCharacters) {
  ASSERT_NO_FATAL_FAILURE(open());
  push_key(SDL_KEYDOWN, SDLK_ESCAPE);
  push_key(SDL_KEYUP, SDLK_ESCAPE);
  Message message{};
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_KEYDOWN);
  EXPECT_EQ(message.wparam, VK_ESCAPE);
  EXPECT_EQ(message.window, window);
  EXPECT_TRUE(translate_message(&message));
  // The posted character comes before the key-up already waiting.
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_CHAR);
  EXPECT_EQ(message.wparam, 27u);
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_KEYUP);
  EXPECT_EQ(message.wparam, VK_ESCAPE);
  EXPECT_NE(message.lparam & (intptr_t{1} << 31), 0);
  EXPECT_FALSE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(SdlBackendTest, AltMakesSystemKeysAndOtherEventsMakeNothing) {
  ASSERT_NO_FATAL_FAILURE(open());
  push_key(SDL_KEYDOWN, SDLK_x, KMOD_LALT);
  push_key(SDL_KEYDOWN, SDLK_LALT);
  push_key(SDL_KEYUP, SDLK_x, KMOD_LALT);
  push_key(SDL_KEYDOWN, SDLK_F13);  // no virtual-key code
  SDL_Event motion = {};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = SDL_GetWindowID(sdl);
  SDL_PushEvent(&motion);
  const std::vector<Message> taken = take_all();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].message, WM_SYSKEYDOWN);
  EXPECT_EQ(taken[0].wparam, static_cast<uintptr_t>('X'));
  EXPECT_NE(taken[0].lparam & (intptr_t{1} << 29), 0);
  EXPECT_EQ(taken[1].message, WM_SYSKEYDOWN);
  EXPECT_EQ(taken[1].wparam, VK_MENU);
  EXPECT_EQ(taken[2].message, WM_SYSKEYUP);
}

TEST_F(SdlBackendTest, WindowEventsBecomeWindowMessages) {
  ASSERT_NO_FATAL_FAILURE(open());
  push_window_event(SDL_WINDOWEVENT_MINIMIZED);
  push_window_event(SDL_WINDOWEVENT_RESTORED);
  push_window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480);
  push_window_event(SDL_WINDOWEVENT_MOVED, 5, 5);
  push_window_event(SDL_WINDOWEVENT_CLOSE);
  SDL_Event quit = {};
  quit.type = SDL_QUIT;  // what SIGINT and SIGTERM turn into
  SDL_PushEvent(&quit);
  const std::vector<Message> taken = take_all();
  ASSERT_EQ(taken.size(), 7u);
  EXPECT_EQ(taken[0].message, WM_ACTIVATE);
  EXPECT_NE(hiword(taken[0].wparam), 0);  // minimised
  EXPECT_EQ(taken[1].message, WM_SIZE);
  EXPECT_EQ(taken[1].wparam, SIZE_MINIMIZED);
  EXPECT_EQ(taken[2].message, WM_ACTIVATE);
  EXPECT_EQ(hiword(taken[2].wparam), 0);
  EXPECT_EQ(taken[3].message, WM_SIZE);
  EXPECT_EQ(taken[4].message, WM_SIZE);
  EXPECT_EQ(taken[4].lparam, make_lparam(640, 480));
  EXPECT_EQ(taken[5].message, WM_CLOSE);
  EXPECT_EQ(taken[6].message, WM_CLOSE);
  for (const Message& message : taken) EXPECT_EQ(message.window, window);
}

TEST_F(SdlBackendTest, FocusAsksTheWindowAboutTheScreenSaver) {
  ASSERT_NO_FATAL_FAILURE(open());
  push_window_event(SDL_WINDOWEVENT_FOCUS_GAINED);
  const std::vector<Message> taken = take_all();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].message, WM_ACTIVATE);
  EXPECT_EQ(loword(taken[0].wparam), WA_ACTIVE);
  // Sent to the procedure directly, never queued.
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].message, WM_SYSCOMMAND);
  EXPECT_EQ(received[0].wparam, SC_SCREENSAVE);
  EXPECT_EQ(received[1].wparam, SC_MONITORPOWER);
  // This procedure left both to default handling: the saver may run.
  EXPECT_TRUE(SDL_IsScreenSaverEnabled());
}

TEST_F(SdlBackendTest, QuitWaitsBehindInputAndTheTimerComesLast) {
  ASSERT_NO_FATAL_FAILURE(open());
  ASSERT_EQ(set_timer(window, 9, 30, nullptr), 9u);
  SDL_Delay(100);  // three periods pass: they fold into one tick
  post_quit_message(4);
  push_key(SDL_KEYDOWN, SDLK_SPACE);
  const std::vector<Message> taken = take_all();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].message, WM_KEYDOWN);
  EXPECT_EQ(taken[1].message, WM_QUIT);
  EXPECT_EQ(taken[1].wparam, 4u);
  EXPECT_EQ(taken[2].message, WM_TIMER);
  EXPECT_EQ(taken[2].wparam, 9u);
  EXPECT_EQ(taken[2].window, window);

  SDL_Delay(40);
  Message message{};
  ASSERT_TRUE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_TIMER);
  // Destroying the window ends its timer.
  EXPECT_TRUE(destroy_window(window));
  window = nullptr;
  SDL_Delay(40);
  EXPECT_FALSE(peek_message(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST(SdlModes, OnlyTheExactSizeWithFourBytePixelsIsA32BitMode) {
  struct Case {
    const char* name;
    int width, height;
    uint32_t format;
    uint32_t bits;
    bool offers;
  };
  const Case cases[] = {
      {"X's 24 bits in 4 bytes", 1024, 768, SDL_PIXELFORMAT_RGB888, 32, true},
      {"true 32 bits", 1024, 768, SDL_PIXELFORMAT_ARGB8888, 32, true},
      {"packed 24 bits", 1024, 768, SDL_PIXELFORMAT_RGB24, 32, false},
      {"16 bits for a 32-bit request", 1024, 768, SDL_PIXELFORMAT_RGB565, 32, false},
      {"16 bits for a 16-bit request", 1024, 768, SDL_PIXELFORMAT_RGB565, 16, true},
      {"smaller screen", 800, 600, SDL_PIXELFORMAT_RGB888, 32, false},
      {"wider screen", 1280, 768, SDL_PIXELFORMAT_RGB888, 32, false},
      {"taller screen", 1024, 1024, SDL_PIXELFORMAT_RGB888, 32, false},
      {"unknown mode", 0, 0, SDL_PIXELFORMAT_UNKNOWN, 32, false},
  };
  DisplayMode wanted = {148, DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT, 32, 1024, 768};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    wanted.bits_per_pel = c.bits;
    const SDL_DisplayMode offered = {c.format, c.width, c.height, 60, nullptr};
    EXPECT_EQ(mode_offers(offered, wanted), c.offers);
  }
}

TEST_F(SdlBackendTest, DisplayModeNotOfferedFailsAndPopupStaysWindowed) {
  DisplayMode mode = {148, DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT, 32, 1023, 767};
  EXPECT_NE(change_display_settings(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  ASSERT_NO_FATAL_FAILURE(open(WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
  EXPECT_EQ(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_EQ(change_display_settings(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

TEST_F(SdlBackendTest, ColourIndexIsNotOfferedAndCreatingIsNotMakingCurrent) {
  ASSERT_NO_FATAL_FAILURE(open());
  DeviceContext dc = get_dc(window);
  ASSERT_NE(dc, nullptr);
  PixelFormatDescriptor descriptor = shell_pixel_format();
  descriptor.pixel_type = 1;  // colour-index: not offered
  EXPECT_EQ(choose_pixel_format(dc, &descriptor), 0);
  descriptor.pixel_type = PFD_TYPE_RGBA;
  ASSERT_TRUE(set_pixel_format(dc, choose_pixel_format(dc, &descriptor), &descriptor));
  RenderContext context = create_context(dc);
  ASSERT_NE(context, nullptr) << SDL_GetError();
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);  // creating is not making current
  ASSERT_TRUE(make_current(dc, context));
  EXPECT_TRUE(make_current(nullptr, nullptr));
  EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
  EXPECT_TRUE(release_dc(window, dc));
}

}  // namespace
