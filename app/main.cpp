// The process-wide objects, constructed in this order before main runs: the
// mesh is read first (no window exists yet), then the frame timer asks for
// the counter frequency, then the Scene notes its start time.
#include "app/app_main.h"
#include "assets/mesh.h"
#include "demo/scene.h"
#include "platform/platform.h"

Mesh* demo_mesh = new Mesh("data/obj.b3df");
FrameTimer frame_timer;
Scene scene;

int main() {
  // The pictures decode on a worker while the window opens.
  prefetch_scene_pictures();
  return app_main(nullptr, nullptr, nullptr, platform::SW_SHOWDEFAULT);
}
