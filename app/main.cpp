// The demo's entry point on Linux; the process-wide objects it needs are
// built beforehand by app/process_objects.cpp.
#include "app/app_main.h"
#include "demo/scene.h"
#include "platform/platform.h"

int main() {
  // The pictures decode on a worker while the window opens.
  prefetch_scene_pictures();
  return app_main(nullptr, nullptr, nullptr, platform::SW_SHOWDEFAULT);
}
