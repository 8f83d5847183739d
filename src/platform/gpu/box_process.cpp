// A fork handler that gives the child a parent-death signal, armed only while
// a box is being shown, so no other child the program may make is touched;
// and the box's child's id, on a page shared with it, for EndShownBox.
#include "platform/gpu/box_process.h"

#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <new>

namespace {

std::atomic<int> g_boxesShowing{0};
pid_t g_program = 0;
// Where the child of the box being shown writes its id: a page the program
// shares with its children, made once before the first box. Null when it
// could not be made; the boxes are then left to their user.
std::atomic<std::atomic<pid_t>*> g_shownBox{nullptr};
static_assert(std::atomic<pid_t>::is_always_lock_free, "written by a forked child, read by the program");

// Runs in the child right after fork; only calls that are safe there.
void EndWithTheProgram() {
  if (g_boxesShowing.load() == 0) return;
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The program may have died before the signal was asked for.
  if (getppid() != g_program) raise(SIGKILL);
  if (std::atomic<pid_t>* shown = g_shownBox.load()) shown->store(getpid());
}

}  // namespace

BoxProcessScope::BoxProcessScope() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    g_program = getpid();
    void* page = mmap(nullptr, sizeof(std::atomic<pid_t>), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page != MAP_FAILED) g_shownBox.store(new (page) std::atomic<pid_t>(0));
    pthread_atfork(nullptr, nullptr, EndWithTheProgram);
  });
  ++g_boxesShowing;
}

BoxProcessScope::~BoxProcessScope() {
  // The child has ended and been waited for: its id may be anybody's now.
  if (std::atomic<pid_t>* shown = g_shownBox.load()) shown->store(0);
  --g_boxesShowing;
}

void EndShownBox() {
  std::atomic<pid_t>* shown = g_shownBox.load();
  if (!shown) return;
  const pid_t child = shown->exchange(0);
  // The box's own process; the program then goes on as after an answer.
  if (child > 0) kill(child, SIGKILL);
}
