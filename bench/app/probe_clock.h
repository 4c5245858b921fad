// The clocks the shell's probes and the bare reference program read: a
// clock in milliseconds, the wall clock the launcher's ZARNIC_T0_NS is taken
// on, the process's start from it, and the monotonic clock in nanoseconds
// for short intervals.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>

inline double clock_ms(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

inline double now_ms() { return clock_ms(CLOCK_REALTIME); }

// When the process started, in now_ms's milliseconds: ZARNIC_T0_NS, the
// CLOCK_REALTIME nanoseconds the launcher took just before starting it;
// without it, unknown_ms.
inline double launch_ms(double unknown_ms) {
  const char* t0 = std::getenv("ZARNIC_T0_NS");
  return t0 != nullptr ? static_cast<double>(std::strtoull(t0, nullptr, 10)) / 1e6 : unknown_ms;
}

inline int64_t now_ns() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}
