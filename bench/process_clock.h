// The process's CPU time, for the whole-step benchmarks: on a shared machine
// the wall time also holds the waits for a core, this does not.
#pragma once

#include <ctime>

inline double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}
