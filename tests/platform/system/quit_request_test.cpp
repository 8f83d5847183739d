// The quit request: the first ask counts; the signals ask the program's
// instead of ending it (unless ignored from the start) and end it afterwards
// as they would have; the watch ticks and ends a program that does not end.
// Each process-wide case runs in a child of its own.
#include "platform/system/quit_request.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(QuitRequestTest, TheFirstAskCounts) {
  QuitRequest byWindow;
  EXPECT_FALSE(byWindow.IsAsked());
  EXPECT_EQ(byWindow.MsSinceAsked(), 0);
  byWindow.Ask();
  byWindow.Ask(SIGTERM);
  EXPECT_TRUE(byWindow.IsAsked());
  EXPECT_EQ(byWindow.Signal(), 0);

  QuitRequest bySignal;
  bySignal.Ask(SIGINT);
  bySignal.Ask();
  EXPECT_EQ(bySignal.Signal(), SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_GE(bySignal.MsSinceAsked(), 30);
}

// The signal asks and the process goes on; once it ends, it ends by the signal.
void AskBySignalThenEnd(int signal) {
  CatchQuitSignals();
  raise(signal);
  if (QuitRequest::Program().Signal() != signal) _exit(1);
  EndBySignalIfAsked(QuitRequest::Program());
  _exit(2);
}

TEST(QuitRequestTest, SignalsAskAndEndTheProgramAfterwards) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    EXPECT_EXIT(AskBySignalThenEnd(signal), testing::KilledBySignal(signal), "");
  }
  // Started with SIGHUP ignored (nohup), the program keeps ignoring it.
  EXPECT_EXIT(
      {
        signal(SIGHUP, SIG_IGN);
        CatchQuitSignals();
        raise(SIGHUP);
        _exit(QuitRequest::Program().IsAsked() ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
}

// A program that goes on after the ask is ended by the watch once its grace
// has passed: by the signal that asked, else with the watch's exit code.
void AskAndHang(int signal) {
  QuitRequest request;
  const QuitWatch watch(request, nullptr, 7);
  request.Ask(signal);
  std::this_thread::sleep_for(std::chrono::seconds(10));
  _exit(1);
}

TEST(QuitRequestTest, TheWatchEndsAProgramThatDoesNotEnd) {
  EXPECT_EXIT(AskAndHang(0), testing::ExitedWithCode(7), "");
  EXPECT_EXIT(AskAndHang(SIGTERM), testing::KilledBySignal(SIGTERM), "");
}

// Without an ask it only ticks, and it stops with its owner.
TEST(QuitRequestTest, TheWatchTicksUntilItEnds) {
  QuitRequest request;
  std::atomic<int> ticks{0};
  {
    const QuitWatch watch(request, [&ticks] { ++ticks; }, 7);
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * QuitWatch::kTickMs / 2));
  }
  const int seen = ticks.load();
  EXPECT_GE(seen, 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(2 * QuitWatch::kTickMs));
  EXPECT_EQ(ticks.load(), seen);
}

}  // namespace
