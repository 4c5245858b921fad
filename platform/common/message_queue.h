// The thread's message queue with the Win32 retrieval order: posted messages
// first, then input, then a pending quit. The timer is the backend's own
// business and comes after all of these.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace platform {

// A fixed ring of messages; no allocation once constructed.
class MessageRing {
 public:
  static constexpr size_t capacity = 256;

  bool push(const Message& message);  // false when full: the message is dropped
  bool pop(Message* message);
  bool empty() const { return count_ == 0; }
  void clear() { first_ = count_ = 0; }

 private:
  Message slots_[capacity] = {};
  size_t first_ = 0;
  size_t count_ = 0;
};

class MessageQueue {
 public:
  bool post(const Message& message) { return posted.push(message); }
  bool push_input(const Message& message) { return input.push(message); }
  void post_quit(int exit_code);
  // Takes the next posted, input or quit message, in that order.
  bool take(Message* message);
  bool take_posted(Message* message) { return posted.pop(message); }
  void clear();

 private:
  MessageRing posted;
  MessageRing input;
  bool quit_pending = false;
  int quit_code = 0;
};

// The character TranslateMessage makes of a key-down, or 0 for none: letters
// (lower case unless shifted), digits, space, and the control characters of
// Backspace (8), Tab (9), Return (13) and Escape (27).
int char_for_key(uintptr_t virtual_key, bool shifted);

// Posts the WM_CHAR (or WM_SYSCHAR) that a key-down yields; true if one was
// posted.
bool translate_key(MessageQueue& queue, const Message& message, bool shifted);

}  // namespace platform
