// Link-time stand-ins for the layers the shell calls into: a Scene that
// draws nothing and a music device that opens nothing. Each call is written
// into the scripted platform's call record so tests see it in order.
#include <string>

#include "app/app_main.h"
#include "audio/bass.h"
#include "demo/scene.h"
#include "platform/script/platform_script.h"

Mesh* demo_mesh = nullptr;
FrameTimer frame_timer;
Scene scene;

Scene::Scene() { start_ms = static_cast<float>(platform::time_get_time()); }

bool Scene::init() {
  platform::script::log_call("Scene::init");
  return true;
}

void Scene::render(float frame_step) { platform::script::log_call("Scene::render " + std::to_string(frame_step)); }

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) {
  platform::script::log_call("BASS_Init " + std::to_string(device) + " " + std::to_string(freq) + " " +
                             std::to_string(flags) + (window != nullptr ? " window" : " null") +
                             (clsid != nullptr ? " clsid" : " null"));
  return 1;
}
