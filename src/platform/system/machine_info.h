// What the capability report says of the machine: processors, their clock
// and memory. Read from sysconf, sysinfo and the processor's time-stamp counter.
#pragma once

#include <cstdint>

struct MachineInfo {
  int numberOfProcessors = 0;
  // The platform's processor type (386, 486, 586); 0 for any other.
  int processorType = 0;
  // Megahertz; 0 when not measured or without a time-stamp counter.
  double processorClockMHz = 0.0;
  std::uint64_t totalPhysicalMemory = 0, freePhysicalMemory = 0;
  // Memory and swap together: what the system can commit.
  std::uint64_t totalVirtualMemory = 0, freeVirtualMemory = 0;
};

// `measureClock` spends one second counting processor cycles; tests skip it.
MachineInfo ReadMachineInfo(bool measureClock);
