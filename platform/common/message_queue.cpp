#include "platform/common/message_queue.h"

namespace platform {

bool MessageRing::push(const Message& message) {
  if (count_ == capacity) return false;
  slots_[(first_ + count_) % capacity] = message;
  ++count_;
  return true;
}

bool MessageRing::pop(Message* message) {
  if (count_ == 0) return false;
  *message = slots_[first_];
  first_ = (first_ + 1) % capacity;
  --count_;
  return true;
}

void MessageQueue::post_quit(int exit_code) {
  quit_pending = true;
  quit_code = exit_code;
}

bool MessageQueue::take(Message* message) {
  if (posted.pop(message)) return true;
  if (input.pop(message)) return true;
  if (!quit_pending) return false;
  // The quit message belongs to the thread, not to a window.
  quit_pending = false;
  *message = Message{};
  message->message = WM_QUIT;
  message->wparam = static_cast<uintptr_t>(static_cast<intptr_t>(quit_code));
  return true;
}

void MessageQueue::clear() {
  posted.clear();
  input.clear();
  quit_pending = false;
  quit_code = 0;
}

int char_for_key(uintptr_t virtual_key, bool shifted) {
  if (virtual_key >= 'A' && virtual_key <= 'Z') {
    return shifted ? static_cast<int>(virtual_key) : static_cast<int>(virtual_key) + ('a' - 'A');
  }
  if (virtual_key >= '0' && virtual_key <= '9') return shifted ? 0 : static_cast<int>(virtual_key);
  switch (virtual_key) {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
      return static_cast<int>(virtual_key);
    default:
      return 0;
  }
}

bool translate_key(MessageQueue& queue, const Message& message, bool shifted) {
  uint32_t char_message = 0;
  if (message.message == WM_KEYDOWN) char_message = WM_CHAR;
  if (message.message == WM_SYSKEYDOWN) char_message = WM_SYSCHAR;
  if (char_message == 0) return false;
  const int character = char_for_key(message.wparam, shifted);
  if (character == 0) return false;
  Message posted = message;
  posted.message = char_message;
  posted.wparam = static_cast<uintptr_t>(character);
  return queue.post(posted);
}

}  // namespace platform
