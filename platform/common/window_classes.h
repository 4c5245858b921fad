// The window classes of a backend whose system keeps none (SDL, the
// browser), with Win32's rules: a class is a name and a procedure, its atom
// counts up from 0xC000 like a string atom, a name is registered once, and a
// class goes only when no window of it is left.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace platform {

class WindowClasses {
 public:
  static constexpr int capacity = 4;
  static constexpr size_t name_capacity = 64;  // with the terminator

  // The new class's atom; 0 when it has no name or procedure, its name is
  // too long or taken, or every place is used.
  uint16_t add(const WindowClass& window_class);

  // The procedure of the class called name; null when there is none.
  WindowProc find(const char* name) const;

  // Removes the class called name unless one of windows (records with
  // `exists` and `proc`) still uses its procedure; false when it is not
  // removed.
  template <typename Window, size_t count>
  bool remove_unless_used(const char* name, const Window (&windows)[count]) {
    const WindowProc proc = find(name);
    if (proc == nullptr) return false;
    for (const Window& window : windows) {
      if (window.exists && window.proc == proc) return false;
    }
    forget(name);
    return true;
  }

 private:
  struct Entry {
    bool registered;
    char name[name_capacity];
    WindowProc proc;
  };

  void forget(const char* name);

  Entry entries_[capacity] = {};
};

}  // namespace platform
