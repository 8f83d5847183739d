// The quit request, the signal handlers that ask it and the watch.
#include "platform/system/quit_request.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <utility>

namespace {

// Constant-initialised: the handlers may run before any constructor would.
QuitRequest g_program;

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The monotonic clock in milliseconds; clock_gettime is safe in a handler.
std::int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void AskProgramToQuit(int signal) { g_program.Ask(signal); }

}  // namespace

void QuitRequest::Ask(int signal) {
  // Claimed first and published last: whoever sees the ask sees its time and
  // its signal, also when a handler interrupts an ask of the window.
  if (claimed_.exchange(true)) return;
  askedAtMs_.store(NowMs(), std::memory_order_relaxed);
  signal_.store(signal, std::memory_order_relaxed);
  asked_.store(true, std::memory_order_release);
}

std::int64_t QuitRequest::MsSinceAsked() const {
  return IsAsked() ? NowMs() - askedAtMs_.load(std::memory_order_relaxed) : 0;
}

QuitRequest& QuitRequest::Program() { return g_program; }

void CatchQuitSignals() {
  struct sigaction action {};
  action.sa_handler = AskProgramToQuit;
  // Whatever the main thread was waiting in (a box, a file) goes on; the
  // request is looked at where the program can act on it.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kQuitSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void EndBySignalIfAsked(const QuitRequest& request) {
  const int signal = request.Signal();
  if (signal == 0) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  // Unblocked in the sending thread, the signal is taken before kill returns.
  kill(getpid(), signal);
  _exit(128 + signal);
}

QuitWatch::QuitWatch(const QuitRequest& request, std::function<void()> tick, int exitCode)
    : request_(request), tick_(std::move(tick)), exitCode_(exitCode), thread_([this] { Watch(); }) {}

QuitWatch::~QuitWatch() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void QuitWatch::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!wake_.wait_for(lock, std::chrono::milliseconds(kTickMs), [this] { return stopping_; })) {
    if (tick_) tick_();
    if (request_.MsSinceAsked() < kGraceMs) continue;
    EndBySignalIfAsked(request_);
    _exit(exitCode_);
  }
}
