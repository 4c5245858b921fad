// Counts heap allocations made through operator new while counting is on.
// Linking this replaces the global operator new and delete.
#pragma once

namespace allocation_counter {

void start();
// Stops counting and returns the count since start().
long stop();

}  // namespace allocation_counter
