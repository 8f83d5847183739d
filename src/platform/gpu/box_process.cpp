// A fork handler that gives the child a parent-death signal, armed only while
// a box is being shown, so no other child the program may make is touched.
#include "platform/gpu/box_process.h"

#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace {

std::atomic<int> g_boxesShowing{0};
pid_t g_program = 0;

// Runs in the child right after fork; only calls that are safe there.
void EndWithTheProgram() {
  if (g_boxesShowing.load() == 0) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The program may have died before the signal was asked for.
  if (getppid() != g_program) raise(SIGKILL);
}

}  // namespace

BoxProcessScope::BoxProcessScope() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    g_program = getpid();
    pthread_atfork(nullptr, nullptr, EndWithTheProgram);
  });
  ++g_boxesShowing;
}

BoxProcessScope::~BoxProcessScope() { --g_boxesShowing; }
