// The machine's processors, clock and memory.
#include "platform/system/machine_info.h"

#include <sys/sysinfo.h>
#include <unistd.h>

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace {

double MeasureClockMHz() {
#if defined(__x86_64__) || defined(__i386__)
  // Cycles over one second of the monotonic clock, waited for busily so the
  // processor stays awake at its speed. The whole 64-bit difference counts:
  // its low 32 bits wrap within a second on processors above 4.3 GHz.
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t first = __rdtsc();
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
  }
  const std::uint64_t cycles = __rdtsc() - first;
  return static_cast<double>(cycles / 1000000);
#else
  return 0.0;
#endif
}

}  // namespace

MachineInfo ReadMachineInfo(bool measureClock) {
  MachineInfo info;
  const long processors = sysconf(_SC_NPROCESSORS_ONLN);
  info.numberOfProcessors = processors > 0 ? static_cast<int>(processors) : 1;
#if defined(__x86_64__) || defined(__i386__)
  // What the platform reports for every processor since the Pentium.
  info.processorType = 586;
#endif
  if (measureClock) info.processorClockMHz = MeasureClockMHz();
  struct sysinfo memory {};
  if (sysinfo(&memory) == 0) {
    const std::uint64_t unit = memory.mem_unit != 0 ? memory.mem_unit : 1;
    info.totalPhysicalMemory = memory.totalram * unit;
    info.freePhysicalMemory = memory.freeram * unit;
    info.totalVirtualMemory = (memory.totalram + memory.totalswap) * unit;
    info.freeVirtualMemory = (memory.freeram + memory.freeswap) * unit;
  }
  return info;
}
