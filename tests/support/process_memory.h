// The resident memory of the calling process, for soak tests and memory
// benchmarks (Linux: /proc/self/statm).
#pragma once

// Resident set size in kB; -1 when it cannot be read.
long resident_kb();
