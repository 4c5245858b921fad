// Linked into a copy of the demo in place of nothing: wraps app_main,
// Scene::init and swap_buffers at link time to time the way from process
// start (ZARNIC_T0_NS, CLOCK_REALTIME nanoseconds taken by the launcher) to
// the first presented frame, then asks the demo to close.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/platform.h"

namespace {

double now_ms() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double start_ms = 0.0;
double main_ms = 0.0;
double init_begin_ms = 0.0;
double init_end_ms = 0.0;
bool presented = false;

}  // namespace

extern "C" {

int __real__Z8app_mainPvS_Pci(void*, void*, char*, int);
bool __real__ZN5Scene4initEv(void*);
bool __real__ZN8platform12swap_buffersEPNS_12DeviceRecordE(platform::DeviceContext);

int __wrap__Z8app_mainPvS_Pci(void* instance, void* previous, char* command_line, int show) {
  main_ms = now_ms();
  const char* t0 = std::getenv("ZARNIC_T0_NS");
  start_ms = t0 != nullptr ? static_cast<double>(std::strtoull(t0, nullptr, 10)) / 1e6 : main_ms;
  return __real__Z8app_mainPvS_Pci(instance, previous, command_line, show);
}

bool __wrap__ZN5Scene4initEv(void* scene) {
  init_begin_ms = now_ms();
  const bool result = __real__ZN5Scene4initEv(scene);
  init_end_ms = now_ms();
  return result;
}

bool __wrap__ZN8platform12swap_buffersEPNS_12DeviceRecordE(platform::DeviceContext dc) {
  const bool result = __real__ZN8platform12swap_buffersEPNS_12DeviceRecordE(dc);
  if (!presented) {
    presented = true;
    const double first_ms = now_ms();
    std::printf("first_frame %.1f before_main %.1f window %.1f scene_init %.1f frame %.1f\n", first_ms - start_ms,
                main_ms - start_ms, init_begin_ms - main_ms, init_end_ms - init_begin_ms, first_ms - init_end_ms);
    std::fflush(stdout);
    platform::post_quit_message(0);
  }
  return result;
}

}  // extern "C"
