#include "platform/common/window_classes.h"

#include <cstring>

namespace platform {

namespace {

// Registered class atoms count up from here, like Win32 string atoms.
constexpr uint16_t MAXINTATOM = 0xC000;

}  // namespace

uint16_t WindowClasses::add(const WindowClass& window_class) {
  if (window_class.class_name == nullptr || window_class.window_proc == nullptr ||
      std::strlen(window_class.class_name) >= name_capacity || find(window_class.class_name) != nullptr) {
    return 0;
  }
  for (int i = 0; i < capacity; ++i) {
    Entry& entry = entries_[i];
    if (entry.registered) continue;
    entry.registered = true;
    std::memcpy(entry.name, window_class.class_name, std::strlen(window_class.class_name) + 1);
    entry.proc = window_class.window_proc;
    return static_cast<uint16_t>(MAXINTATOM + i);
  }
  return 0;
}

WindowProc WindowClasses::find(const char* name) const {
  if (name == nullptr) return nullptr;
  for (const Entry& entry : entries_) {
    if (entry.registered && std::strcmp(entry.name, name) == 0) return entry.proc;
  }
  return nullptr;
}

void WindowClasses::forget(const char* name) {
  for (Entry& entry : entries_) {
    if (entry.registered && std::strcmp(entry.name, name) == 0) entry.registered = false;
  }
}

}  // namespace platform
