#include <gtest/gtest.h>

#include <vector>

#include "platform/common/message_queue.h"
#include "platform/platform.h"

using namespace platform;

namespace {

Message make(uint32_t id, uintptr_t wparam = 0) {
  Message message{};
  message.message = id;
  message.wparam = wparam;
  return message;
}

std::vector<uint32_t> drain(MessageQueue& queue) {
  std::vector<uint32_t> taken;
  Message message{};
  while (queue.take(&message)) taken.push_back(message.message);
  return taken;
}

TEST(MessageQueue, PostedBeforeInputBeforeQuit) {
  MessageQueue queue;
  queue.post_quit(3);
  queue.push_input(make(WM_KEYDOWN));
  queue.push_input(make(WM_KEYUP));
  queue.post(make(WM_CHAR));
  EXPECT_EQ(drain(queue), (std::vector<uint32_t>{WM_CHAR, WM_KEYDOWN, WM_KEYUP, WM_QUIT}));
}

TEST(MessageQueue, QuitCarriesItsCodeOnceAndNoWindow) {
  MessageQueue queue;
  queue.post_quit(7);
  queue.post_quit(0);  // the later code wins, as a single pending quit
  Message message = make(WM_TIMER, 99);
  message.window = reinterpret_cast<WindowHandle>(0x10);
  ASSERT_TRUE(queue.take(&message));
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wparam, 0u);
  EXPECT_EQ(message.window, nullptr);
  EXPECT_FALSE(queue.take(&message));
}

TEST(MessageQueue, FullRingDropsInsteadOfOverwriting) {
  MessageRing ring;
  for (size_t i = 0; i < MessageRing::capacity; ++i) ASSERT_TRUE(ring.push(make(WM_TIMER, i)));
  EXPECT_FALSE(ring.push(make(WM_TIMER, 999)));
  Message message{};
  for (size_t i = 0; i < MessageRing::capacity; ++i) {
    ASSERT_TRUE(ring.pop(&message));
    EXPECT_EQ(message.wparam, i);
  }
  EXPECT_FALSE(ring.pop(&message));
  // Wrapping around keeps the order.
  ASSERT_TRUE(ring.push(make(WM_TIMER, 1)));
  ASSERT_TRUE(ring.push(make(WM_TIMER, 2)));
  ASSERT_TRUE(ring.pop(&message));
  EXPECT_EQ(message.wparam, 1u);
}

TEST(MessageQueue, TranslateMakesCharactersOfKeyDowns) {
  struct Case {
    const char* name;
    uint32_t message;
    uintptr_t key;
    bool shifted;
    uint32_t char_message;  // 0: nothing posted
    uintptr_t character;
  };
  const Case cases[] = {
      {"escape", WM_KEYDOWN, VK_ESCAPE, false, WM_CHAR, 27},
      {"return", WM_KEYDOWN, VK_RETURN, false, WM_CHAR, 13},
      {"backspace", WM_KEYDOWN, VK_BACK, false, WM_CHAR, 8},
      {"tab", WM_KEYDOWN, VK_TAB, false, WM_CHAR, 9},
      {"space", WM_KEYDOWN, VK_SPACE, true, WM_CHAR, ' '},
      {"letter", WM_KEYDOWN, 'Q', false, WM_CHAR, 'q'},
      {"shifted letter", WM_KEYDOWN, 'Q', true, WM_CHAR, 'Q'},
      {"digit", WM_KEYDOWN, '7', false, WM_CHAR, '7'},
      {"shifted digit depends on the layout", WM_KEYDOWN, '7', true, 0, 0},
      {"alt letter", WM_SYSKEYDOWN, 'X', false, WM_SYSCHAR, 'x'},
      {"arrow", WM_KEYDOWN, VK_LEFT, false, 0, 0},
      {"function key", WM_KEYDOWN, VK_F1, false, 0, 0},
      {"key-up", WM_KEYUP, VK_ESCAPE, false, 0, 0},
      {"not a key", WM_TIMER, 'A', false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MessageQueue queue;
    Message key = make(c.message, c.key);
    key.window = reinterpret_cast<WindowHandle>(0x20);
    key.lparam = 0x1C0001;
    EXPECT_EQ(translate_key(queue, key, c.shifted), c.char_message != 0);
    Message posted{};
    if (c.char_message == 0) {
      EXPECT_FALSE(queue.take(&posted));
      continue;
    }
    ASSERT_TRUE(queue.take(&posted));
    EXPECT_EQ(posted.message, c.char_message);
    EXPECT_EQ(posted.wparam, c.character);
    EXPECT_EQ(posted.window, key.window);
    EXPECT_EQ(posted.lparam, key.lparam);
  }
}

}  // namespace
