#include "tests/support/shell_stand_ins.h"

#include "app/app_main.h"
#include "audio/bass.h"
#include "demo/scene.h"
#include "platform/platform.h"

void (*shell_stand_in_calls)(const std::string& call) = nullptr;

Mesh* demo_mesh = nullptr;
FrameTimer frame_timer;
Scene scene;

namespace {

void record(const std::string& call) {
  if (shell_stand_in_calls != nullptr) shell_stand_in_calls(call);
}

}  // namespace

Scene::Scene() { start_ms = static_cast<float>(platform::time_get_time()); }

bool Scene::init() {
  record("Scene::init");
  return true;
}

void Scene::render(float frame_step) { record("Scene::render " + std::to_string(frame_step)); }

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) {
  record("BASS_Init " + std::to_string(device) + " " + std::to_string(freq) + " " + std::to_string(flags) +
         (window != nullptr ? " window" : " null") + (clsid != nullptr ? " clsid" : " null"));
  return 1;
}
