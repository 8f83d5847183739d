// Whether the program has been asked to end, and by what: SIGTERM, SIGINT or
// SIGHUP, or the window's close request; and the watch that makes sure it
// does end, whatever the game is doing. Start-up catches the signals before
// SDL starts, the window asks on a close, and the watch runs beside the game.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class QuitRequest {
 public:
  constexpr QuitRequest() = default;
  QuitRequest(const QuitRequest&) = delete;
  QuitRequest& operator=(const QuitRequest&) = delete;

  // The first ask is the one that counts, with its signal (0: the window)
  // and its time. Safe in a signal handler and from any thread.
  void Ask(int signal = 0);
  bool IsAsked() const { return asked_.load(std::memory_order_acquire); }
  // The signal that asked; 0 when the window did, or nobody has.
  int Signal() const { return IsAsked() ? signal_.load(std::memory_order_relaxed) : 0; }
  // Milliseconds since the ask; 0 before it.
  std::int64_t MsSinceAsked() const;

  // The program's, which the signal handlers ask.
  static QuitRequest& Program();

 private:
  static_assert(std::atomic<std::int64_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
  std::atomic<bool> claimed_{false};
  std::atomic<bool> asked_{false};
  std::atomic<int> signal_{0};
  std::atomic<std::int64_t> askedAtMs_{0};
};

// SIGTERM, SIGINT and SIGHUP ask QuitRequest::Program() instead of ending the
// process. Before SDL starts, which then leaves them alone. A signal that the
// program was started with ignored (nohup) stays ignored.
void CatchQuitSignals();

// When a signal asked, ends the process as that signal does when nobody
// catches it, so that whoever started the program sees it end by the signal
// it sent; otherwise returns.
void EndBySignalIfAsked(const QuitRequest& request);

// A thread beside the program's, for as long as it lives. Every kTickMs it
// calls `tick` on its own thread: start-up raises the scripts' attention with
// it, so that a script that never returns still hears the window. And once
// `request` has been asked, it gives the program kGraceMs to end in order;
// past them it ends the process itself, as the ask would: by the signal that
// asked, else with `exitCode`. What the program writes is always written to a
// temporary and renamed, so nothing is left half-written.
class QuitWatch {
 public:
  static constexpr int kTickMs = 100;
  // With a tick of lateness and the end itself, the whole stays within 2 s.
  static constexpr int kGraceMs = 1700;

  QuitWatch(const QuitRequest& request, std::function<void()> tick, int exitCode);
  // Stops the thread and waits for it.
  ~QuitWatch();
  QuitWatch(const QuitWatch&) = delete;
  QuitWatch& operator=(const QuitWatch&) = delete;

 private:
  void Watch();

  const QuitRequest& request_;
  const std::function<void()> tick_;
  const int exitCode_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};
