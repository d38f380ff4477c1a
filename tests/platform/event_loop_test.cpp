#include "platform/event_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace torvel {
namespace {

struct Pipe {
  Pipe() { EXPECT_EQ(pipe(fds.data()), 0); }
  ~Pipe() {
    close(fds[0]);
    close(fds[1]);
  }
  int in() const { return fds[0]; }
  void Put(const std::string& bytes) const {
    EXPECT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string Take() const {
    char buffer[64];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  }
  std::array<int, 2> fds{};
};

TEST(PollEventLoop, DoneIsTestedFirstAndAfterEveryTask) {
  const auto loop = MakePollEventLoop();
  int ran = 0;
  for (int i = 0; i < 3; ++i) loop->Post([&ran] { ++ran; });

  loop->RunUntil([] { return true; });
  EXPECT_EQ(ran, 0);
  loop->RunUntil([&ran] { return ran == 2; });
  EXPECT_EQ(ran, 2);
  loop->RunUntil([&ran] { return ran == 3; });
  EXPECT_EQ(ran, 3);
}

TEST(PollEventLoop, WatchesMayBeReplacedAddedAndRemovedInsideCallbacks) {
  const auto loop = MakePollEventLoop();
  Pipe a, b;
  std::string got;
  bool done = false;
  loop->Watch(a.in(), [&] {
    got += "a" + a.Take();
    loop->Watch(a.in(), [&] {
      got += "A" + a.Take();
      loop->Post([&done] { done = true; });
    });
    loop->Watch(b.in(), [&] {
      got += "b" + b.Take();
      loop->Unwatch(b.in());
    });
  });
  a.Put("1");
  loop->RunUntil([&] { return got == "a1"; });
  b.Put("2");
  loop->RunUntil([&] { return got == "a1b2"; });
  b.Put("4");  // no longer watched
  a.Put("3");
  loop->RunUntil([&done] { return done; });
  EXPECT_EQ(got, "a1b2A3");
  EXPECT_EQ(b.Take(), "4");
}

TEST(PollEventLoop, UnwatchedDescriptorIsSkippedEvenWhenReadyInTheSameRound) {
  const auto loop = MakePollEventLoop();
  Pipe a, b;
  int calls = 0;
  bool marker = false;
  auto first = [&](const Pipe& mine, const Pipe& other) {
    ++calls;
    mine.Take();
    loop->Unwatch(mine.in());
    loop->Unwatch(other.in());
    loop->Post([&marker] { marker = true; });
  };
  loop->Watch(a.in(), [&] { first(a, b); });
  loop->Watch(b.in(), [&] { first(b, a); });
  a.Put("x");
  b.Put("y");
  loop->RunUntil([&] { return marker; });
  EXPECT_EQ(calls, 1);
}

TEST(PollEventLoop, NestedRunUntilServesWatchesAndTasksThenOuterContinues) {
  const auto loop = MakePollEventLoop();
  Pipe p;
  std::string order;
  bool innerDone = false;
  bool outerDone = false;
  loop->Watch(p.in(), [&] {
    order += "watch ";
    p.Take();
    innerDone = true;
  });
  loop->Post([&] {
    order += "modal ";
    p.Put("x");
    loop->Post([&] { order += "task-in-modal "; });
    loop->RunUntil([&] { return innerDone && order.find("task-in-modal") != std::string::npos; });
    order += "modal-end ";
    loop->Post([&] { outerDone = true; });
  });
  loop->RunUntil([&] { return outerDone; });
  EXPECT_EQ(order, "modal task-in-modal watch modal-end ");
}

// No periodic wake-up: while nothing happens, `done` is not asked again;
// a Post from another thread then wakes the loop and runs on its thread.
TEST(PollEventLoop, IdleLoopSleepsUntilSomethingIsPosted) {
  const auto loop = MakePollEventLoop();
  Pipe idle;
  loop->Watch(idle.in(), [] {});
  std::atomic<int> asked{0};
  bool stop = false;
  std::thread::id ranOn;
  std::thread runner([&] { loop->RunUntil([&] { return ++asked, stop; }); });
  while (asked.load() == 0) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(asked.load(), 1);
  loop->Post([&] {
    ranOn = std::this_thread::get_id();
    stop = true;
  });
  const auto runnerId = runner.get_id();
  runner.join();
  EXPECT_EQ(ranOn, runnerId);
}

}  // namespace
}  // namespace torvel
