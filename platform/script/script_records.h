// What the scripted backend keeps behind its opaque handles, shared by its
// window half and its GL half.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/script/platform_script.h"

namespace platform {

struct WindowRecord {
  WindowProc proc = nullptr;
  platform::script::WindowInfo info = {};
  std::vector<uint8_t> pixels;  // the colour buffer a context draws into
};

struct DeviceRecord {
  WindowRecord* window = nullptr;
  int pixel_format = 0;
};

}  // namespace platform

namespace platform::script::detail {

bool step_fails(Step step);
void forget_contexts();  // detaches and deletes every context made so far

}  // namespace platform::script::detail
