// The clocks the shell's probes and the bare reference program read: a
// clock in milliseconds, the wall clock the launcher's ZARNIC_T0_NS is taken
// on, and the monotonic clock in nanoseconds for short intervals.
#pragma once

#include <cstdint>
#include <ctime>

inline double clock_ms(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

inline double now_ms() { return clock_ms(CLOCK_REALTIME); }

inline int64_t now_ns() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}
