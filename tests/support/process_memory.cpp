#include "tests/support/process_memory.h"

#include <unistd.h>

#include <cstdio>

long resident_kb() {
  long pages_total = 0;
  long pages_resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const bool read = std::fscanf(statm, "%ld %ld", &pages_total, &pages_resident) == 2;
  std::fclose(statm);
  return read ? pages_resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}
