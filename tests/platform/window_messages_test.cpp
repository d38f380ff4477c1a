#include "platform/window_messages.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <future>
#include <mutex>
#include <thread>

#include "platform/event_loop.h"
#include "platform/window_wire.h"
#include "support/temp_dir.h"

extern char** environ;

namespace torvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

WindowMessage Msg(std::uint32_t message, std::uint64_t wParam = 0, std::uint64_t lParam = 0,
                  std::vector<std::string> strings = {}) {
  return {message, wParam, lParam, std::move(strings)};
}

MessageHandler Answer(std::int64_t result) {
  return [result](const WindowMessage&) { return result; };
}

// Another process, as far as the window system can tell: its own thread,
// loop and window system on the same folder.
class Peer {
 public:
  explicit Peer(const fs::path& folder) {
    std::promise<void> up;
    thread_ = std::thread([this, folder, &up] {
      loop_ = MakePollEventLoop();
      WindowSystem windows(*loop_, folder);
      windows_ = &windows;
      up.set_value();
      loop_->RunUntil([this] { return stop_; });
    });
    up.get_future().wait();
  }
  ~Peer() {
    loop_->Post([this] { stop_ = true; });
    thread_.join();
  }

  // Runs `f` on the peer's user-interface thread and returns its result.
  template <class F>
  auto Run(F f) {
    using Result = decltype(f(std::declval<WindowSystem&>()));
    auto task = std::make_shared<std::packaged_task<Result()>>([this, f] { return f(*windows_); });
    loop_->Post([task] { (*task)(); });
    return task->get_future().get();
  }

 private:
  std::unique_ptr<EventLoop> loop_;
  WindowSystem* windows_ = nullptr;
  bool stop_ = false;
  std::thread thread_;
};

class WindowMessages : public ::testing::Test {
 protected:
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    return names;
  }

  test::TempDir dir;
  fs::path folder = dir.path() / "torvel";
  std::unique_ptr<EventLoop> loop = MakePollEventLoop();
  WindowSystem windows{*loop, folder};
};

TEST_F(WindowMessages, FindsPublishedWindowsByExactClassAndTitleInAnyProcess) {
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  Peer peer(folder);
  const auto launcher =
      peer.Run([](WindowSystem& w) { return w.CreateWindow(kLauncherClass, kLauncherTitle, Answer(0)); });
  ASSERT_NE(launcher, kNoWindow);

  EXPECT_EQ(windows.FindWindow(kLauncherClass, kLauncherTitle), launcher);
  EXPECT_EQ(windows.FindWindow(kLauncherClass, "torvel"), kNoWindow);
  EXPECT_EQ(windows.FindWindow("Torvel Launche", kLauncherTitle), kNoWindow);
  EXPECT_EQ(windows.FindWindow(kLauncherTitle, kLauncherClass), kNoWindow);
}

TEST_F(WindowMessages, NewestRegistrationWinsAndDestroyedWindowsDropOut) {
  Peer a(folder), b(folder);
  auto create = [](WindowSystem& w) { return w.CreateWindow("Frame", "Torvel", Answer(0)); };
  const auto older = a.Run(create);
  const auto newer = b.Run(create);
  EXPECT_EQ(windows.FindWindow("Frame", "Torvel"), newer);
  EXPECT_EQ(a.Run([](WindowSystem& w) { return w.FindWindow("Frame", "Torvel"); }), newer);

  const auto mine = windows.CreateWindow("Frame", "Torvel", Answer(0), false);
  EXPECT_EQ(windows.FindWindow("Frame", "Torvel"), mine);
  EXPECT_EQ(a.Run([](WindowSystem& w) { return w.FindWindow("Frame", "Torvel"); }), newer);
  windows.DestroyWindow(mine);

  b.Run([newer](WindowSystem& w) { w.DestroyWindow(newer); return 0; });
  EXPECT_EQ(windows.FindWindow("Frame", "Torvel"), older);
  EXPECT_EQ(windows.SendMessage(newer, Msg(kWmClose)), std::nullopt);
  a.Run([older](WindowSystem& w) { w.DestroyWindow(older); return 0; });
  EXPECT_EQ(windows.FindWindow("Frame", "Torvel"), kNoWindow);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(WindowMessages, WindowOfADeadProcessIsNotFoundAndItsLeftoversGo) {
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  if (child == 0) {
    const auto childLoop = MakePollEventLoop();
    WindowSystem childWindows(*childLoop, folder);
    const WindowHandle h = childWindows.CreateWindow(kLauncherClass, kLauncherTitle, Answer(0));
    [[maybe_unused]] const auto n = write(report[1], &h, sizeof h);
    _exit(0);  // dies without cleaning up
  }
  close(report[1]);
  WindowHandle dead = kNoWindow;
  EXPECT_EQ(read(report[0], &dead, sizeof dead), static_cast<ssize_t>(sizeof dead));
  close(report[0]);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  ASSERT_NE(dead, kNoWindow);
  EXPECT_EQ(Entries().size(), 2u);

  EXPECT_EQ(windows.SendMessage(dead, Msg(kWmClose)), std::nullopt);
  EXPECT_EQ(windows.FindWindow(kLauncherClass, kLauncherTitle), kNoWindow);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(WindowMessages, SendToAnotherProcessCarriesStringsByteForByte) {
  Peer peer(folder);
  std::vector<WindowMessage> received;  // touched on the peer's thread only
  const auto target = peer.Run([&received](WindowSystem& w) {
    return w.CreateWindow("Frame", "T", [&received](const WindowMessage& m) {
      received.push_back(m);
      return -7 - static_cast<std::int64_t>(received.size());
    });
  });
  std::string summary(256, '\0');
  summary.replace(0, 9, "Disk 0 OK");
  summary[200] = '\xff';
  summary[255] = '\x01';
  const WindowMessage copy{kWmCopyData, 0x1122334455667788, 3, {summary}};
  const WindowMessage log{kMsgLogRequest, 0, ~0ULL, {"SMTP Client", ""}};
  const WindowMessage largest{kWmUser, 1, 2, {std::string(wire::kMaxStringBytes, 'x')}};
  WindowMessage tooLarge = largest;
  tooLarge.strings[0] += 'x';

  EXPECT_EQ(windows.SendMessage(target, copy), -8);
  EXPECT_EQ(windows.SendMessage(target, log), -9);
  EXPECT_EQ(windows.SendMessage(target, largest), -10);
  EXPECT_EQ(windows.SendMessage(target, tooLarge), std::nullopt);
  const auto got = peer.Run([&received](WindowSystem&) { return received; });
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], copy);
  EXPECT_EQ(got[1], log);
  EXPECT_EQ(got[2], largest);
}

TEST_F(WindowMessages, SendToAProcessThatDoesNotAnswerTimesOut) {
  Peer peer(folder);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  const auto stuck = peer.Run([released](WindowSystem& w) {
    return w.CreateWindow("Stuck", "S", [released](const WindowMessage&) {
      released.wait();
      return 1;
    });
  });
  EXPECT_EQ(windows.SendMessage(stuck, Msg(kWmClose), 200ms), std::nullopt);
  release.set_value();
  // The same window answers once its handler is free again.
  EXPECT_EQ(windows.SendMessage(stuck, Msg(kWmClose)), 1);
}

// Forwards to a real loop and lets a test wait until something was posted.
class PostWatchingLoop final : public EventLoop {
 public:
  explicit PostWatchingLoop(EventLoop& inner) : inner_(inner) {}
  void Watch(int fd, std::function<void()> ready) override { inner_.Watch(fd, std::move(ready)); }
  void Unwatch(int fd) override { inner_.Unwatch(fd); }
  void RunUntil(const std::function<bool()>& done) override { inner_.RunUntil(done); }
  void Post(std::function<void()> task) override {
    inner_.Post(std::move(task));
    std::lock_guard lock(mutex_);
    posted_ = true;
    changed_.notify_all();
  }
  void WaitForPost() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return posted_; });
  }

 private:
  EventLoop& inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool posted_ = false;
};

TEST_F(WindowMessages, WaitingSenderGetsNothingWhenTheSystemGoesAway) {
  PostWatchingLoop watching(*loop);
  auto system = std::make_unique<WindowSystem>(watching, dir.path() / "other");
  WindowSystem* raw = system.get();
  const auto frame = raw->CreateWindow("Frame", "F", Answer(1), false);
  std::optional<std::int64_t> result = 5;
  std::thread sender([&] { result = raw->SendMessage(frame, Msg(kWmClose)); });
  watching.WaitForPost();
  system.reset();
  sender.join();
  EXPECT_EQ(result, std::nullopt);

  // The task it posted runs later and must find nothing to do.
  bool marker = false;
  loop->Post([&marker] { marker = true; });
  loop->RunUntil([&marker] { return marker; });
}

TEST_F(WindowMessages, SwitchLoopMovesListenersAndWaitingCalls) {
  const auto next = MakePollEventLoop();
  PostWatchingLoop first(*loop);
  WindowSystem system(first, folder);
  const auto frame = system.CreateWindow("Frame", "F", Answer(8));
  // `windows` is another process to `system`; `first` is never run again.
  std::optional<std::int64_t> fromThread, fromProcess;
  std::atomic<int> finished{0};
  auto sendFrom = [&](WindowSystem* sender, std::optional<std::int64_t>* result) {
    return std::thread([&, sender, result] {
      *result = sender->SendMessage(frame, Msg(kWmUser), 5s);
      ++finished;
      next->Post([] {});
    });
  };
  std::thread local = sendFrom(&system, &fromThread);
  first.WaitForPost();
  system.SwitchLoop(*next);
  EXPECT_EQ(&system.loop(), next.get());
  std::thread remote = sendFrom(&windows, &fromProcess);
  next->RunUntil([&finished] { return finished == 2; });
  local.join();
  remote.join();
  EXPECT_EQ(fromThread, 8);
  EXPECT_EQ(fromProcess, 8);
}

TEST_F(WindowMessages, HandlerMayDestroyItsWindowOrRunANestedLoop) {
  // From the user-interface thread a send is a direct call: no loop runs here.
  WindowHandle self = kNoWindow;
  self = windows.CreateWindow("Once", "O", [&](const WindowMessage&) {
    windows.DestroyWindow(self);
    return 3;
  });
  EXPECT_EQ(windows.SendMessage(self, Msg(kWmClose)), 3);
  EXPECT_EQ(windows.SendMessage(self, Msg(kWmClose)), std::nullopt);

  Peer peer(folder);
  const auto remote = peer.Run([](WindowSystem& w) {
    auto handle = std::make_shared<WindowHandle>();
    *handle = w.CreateWindow("Once", "R", [&w, handle](const WindowMessage&) {
      w.DestroyWindow(*handle);
      return 4;
    });
    return *handle;
  });
  EXPECT_EQ(windows.SendMessage(remote, Msg(kWmClose)), 4);
  EXPECT_EQ(windows.FindWindow("Once", "R"), kNoWindow);

  // A modal handler's nested loop serves a send from another thread, on
  // the user-interface thread.
  std::string order;
  std::thread::id ranOn;
  const auto inner = windows.CreateWindow("Inner", "I", [&](const WindowMessage& m) {
    order += "inner ";
    ranOn = std::this_thread::get_id();
    return static_cast<std::int64_t>(m.wParam) * 2;
  });
  std::thread helper;
  std::optional<std::int64_t> helperResult;
  std::atomic<bool> helperDone{false};
  const auto modal = windows.CreateWindow("Modal", "M", [&](const WindowMessage&) {
    helper = std::thread([&] {
      helperResult = windows.SendMessage(inner, Msg(kWmUser, 21));
      helperDone = true;
      loop->Post([] {});
    });
    loop->RunUntil([&helperDone] { return helperDone.load(); });
    order += "modal-end ";
    return 1;
  });
  EXPECT_EQ(windows.SendMessage(modal, Msg(kWmUser)), 1);
  helper.join();
  EXPECT_EQ(helperResult, 42);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(order, "inner modal-end ");
}

int ConnectRaw(const fs::path& endpoint) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, endpoint.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  EXPECT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
  return fd;
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST_F(WindowMessages, MalformedRequestsAreDroppedUnansweredAndTheServerGoesOn) {
  int calls = 0;
  const auto target = windows.CreateWindow("Server", "S", [&calls](const WindowMessage&) {
    ++calls;
    return 9;
  });
  const fs::path endpoint = folder / wire::EndpointName(target);
  // What the server answers before it closes the connection.
  auto exchange = [&](const std::string& bytes, bool endInput) {
    const int fd = ConnectRaw(endpoint);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    if (endInput) shutdown(fd, SHUT_WR);
    std::string answer;
    bool closed = false;
    loop->Watch(fd, [&] {
      char buffer[64];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
      closed = n <= 0;
    });
    loop->RunUntil([&closed] { return closed; });
    loop->Unwatch(fd);
    close(fd);
    return answer;
  };

  const std::string valid = wire::EncodeRequest({kWmCopyData, 1, 2, {"abc"}});
  std::string badVersion = valid, tooMany = valid, tooLong = valid;
  PutLe32(badVersion, 4, 2);
  PutLe32(tooMany, 28, 9);
  PutLe32(tooLong, 32, wire::kMaxStringBytes + 1);

  EXPECT_EQ(exchange("GET / HTTP/1.0\r\n\r\n", false), "");
  EXPECT_EQ(exchange(badVersion, false), "");
  EXPECT_EQ(exchange(tooMany, false), "");
  EXPECT_EQ(exchange(tooLong.substr(0, 36), false), "");
  EXPECT_EQ(exchange(valid.substr(0, valid.size() - 1), true), "");
  EXPECT_EQ(exchange(valid + "x", false), "");
  EXPECT_EQ(calls, 0);

  // A peer that connects and says nothing does not hold the server up.
  const int silent = ConnectRaw(endpoint);
  EXPECT_EQ(exchange(valid, false), wire::EncodeReply(9));
  EXPECT_EQ(calls, 1);
  close(silent);
}

TEST(WindowWire, AllStringsTogetherAreCappedAndRefusedAtTheLengthThatBreaksTheCap) {
  const std::size_t half = wire::kMaxStringBytes / 2;
  WindowMessage parsed;
  const std::string fits =
      wire::EncodeRequest({kWmUser, 0, 0, {std::string(half, 'a'), std::string(half, 'b')}});
  EXPECT_EQ(wire::ParseRequest(fits, parsed), wire::Parse::kComplete);
  EXPECT_TRUE(wire::Fits(parsed));

  const WindowMessage over{kWmUser, 0, 0, {std::string(half, 'a'), std::string(half + 1, 'b')}};
  EXPECT_FALSE(wire::Fits(over));
  const std::string bytes = wire::EncodeRequest(over);
  // Malformed once the second length field is in: its bytes are never awaited.
  const std::size_t secondLengthEnd = wire::kHeaderBytes + 4 + half + 4;
  EXPECT_EQ(wire::ParseRequest(bytes.substr(0, secondLengthEnd - 1), parsed), wire::Parse::kNeedMore);
  EXPECT_EQ(wire::ParseRequest(bytes.substr(0, secondLengthEnd), parsed), wire::Parse::kMalformed);
}

TEST_F(WindowMessages, FolderOthersCouldTamperWithIsRefused) {
  const fs::path shared = dir.path() / "shared";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all);
  const fs::path link = dir.path() / "link";
  fs::create_directory_symlink(folder, link);

  for (const auto& bad : {shared, link}) {
    WindowSystem refusing(*loop, bad);
    const auto h = refusing.CreateWindow("Frame", "P", Answer(6));
    ASSERT_NE(h, kNoWindow) << bad;
    // Still usable inside the process, invisible outside it.
    EXPECT_EQ(refusing.FindWindow("Frame", "P"), h) << bad;
    EXPECT_EQ(refusing.SendMessage(h, Msg(kWmUser)), 6) << bad;
    EXPECT_TRUE(fs::is_empty(bad)) << bad;
  }

  // Only root can hand a folder to someone else.
  const fs::path foreign = dir.path() / "foreign";
  fs::create_directory(foreign, folder);
  if (chown(foreign.c_str(), 4242, 4242) == 0) {
    WindowSystem refusing(*loop, foreign);
    EXPECT_NE(refusing.CreateWindow("Frame", "P", Answer(6)), kNoWindow);
    EXPECT_TRUE(fs::is_empty(foreign));
  }
}

TEST(DefaultWindowFolder, RuntimeFolderElseOneInTheUsersOwnCacheNeverTmp) {
  auto keep = [](const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
  };
  const auto runtime = keep("XDG_RUNTIME_DIR"), cache = keep("XDG_CACHE_HOME"), home = keep("HOME");

  setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(DefaultWindowFolder(), "/run/user/1000/torvel");
  setenv("XDG_CACHE_HOME", "/home/ann/.cache", 1);
  setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_EQ(DefaultWindowFolder(), "/home/ann/.cache/torvel-windows");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(DefaultWindowFolder(), "/home/ann/.cache/torvel-windows");
  unsetenv("XDG_CACHE_HOME");
  setenv("HOME", "/home/bob", 1);
  EXPECT_EQ(DefaultWindowFolder(), "/home/bob/.cache/torvel-windows");

  for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", runtime}, std::pair{"XDG_CACHE_HOME", cache},
                                    std::pair{"HOME", home}}) {
    if (value) setenv(name, value->c_str(), 1); else unsetenv(name);
  }
}

TEST_F(WindowMessages, ARefusedFolderSaysWhyAndAMissingCacheFolderIsMade) {
  const fs::path shared = dir.path() / "shared";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all);
  EXPECT_NE(WindowSystem(*loop, shared).FolderError().find("others may write in it"), std::string::npos);
  EXPECT_NE(WindowSystem(*loop, fs::path()).FolderError().find("neither XDG_RUNTIME_DIR nor a home"),
            std::string::npos);
  EXPECT_EQ(windows.FolderError(), "");

  // A fresh home has no cache folder yet: it is made, for the user alone.
  const fs::path inFreshCache = dir.path() / "cache" / "torvel-windows";
  WindowSystem fresh(*loop, inFreshCache);
  EXPECT_EQ(fresh.FolderError(), "");
  EXPECT_EQ(fs::status(inFreshCache.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

  const fs::path foreign = dir.path() / "foreign";
  fs::create_directory(foreign);
  if (chown(foreign.c_str(), 4242, 4242) != 0) GTEST_SKIP() << "only root can hand a folder to another user";
  WindowSystem refusing(*loop, foreign);
  EXPECT_NE(refusing.FolderError().find("owned by another user (uid 4242)"), std::string::npos)
      << refusing.FolderError();
  EXPECT_NE(refusing.CreateWindow("Frame", "P", Answer(6)), kNoWindow);
  EXPECT_TRUE(fs::is_empty(foreign));
}

TEST(WindowMessagesPeers, AStalledPeerIsDroppedWhileOtherRequestsAreAnswered) {
  test::TempDir dir;
  const fs::path folder = dir.path() / "torvel";
  const auto loop = MakePollEventLoop();
  WindowSystem windows(*loop, folder, std::chrono::milliseconds(200));
  const auto target = windows.CreateWindow("Server", "S", Answer(9));
  const fs::path endpoint = folder / wire::EndpointName(target);

  // Half a request, then silence.
  const std::string valid = wire::EncodeRequest({kWmCopyData, 1, 2, {"abc"}});
  const int stalled = ConnectRaw(endpoint);
  ASSERT_EQ(write(stalled, valid.data(), 10), 10);
  bool stalledClosed = false;
  loop->Watch(stalled, [&] {
    char buffer[16];
    stalledClosed = read(stalled, buffer, sizeof buffer) <= 0;
  });

  // Another process's whole request is still answered meanwhile.
  std::optional<std::int64_t> answer;
  std::atomic<bool> answered{false};
  std::thread other([&] {
    const auto otherLoop = MakePollEventLoop();
    WindowSystem sender(*otherLoop, folder);
    answer = sender.SendMessage(target, {kWmUser, 0, 0, {}});
    answered = true;
    loop->Post([] {});
  });
  // Wakes the loop now and then, so a server that never drops the peer
  // fails the test instead of hanging it.
  std::atomic<bool> finished{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 100 && !finished; ++i) {
      std::this_thread::sleep_for(50ms);
      loop->Post([] {});
    }
  });
  const auto start = std::chrono::steady_clock::now();
  loop->RunUntil([&] {
    return (stalledClosed && answered) || std::chrono::steady_clock::now() - start > 5s;
  });
  finished = true;
  watchdog.join();
  other.join();
  loop->Unwatch(stalled);
  close(stalled);
  EXPECT_EQ(answer, 9);
  EXPECT_TRUE(stalledClosed) << "the stalled peer is still held";
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
}

// test_launcher as a child process, with its runtime folder in a temp dir.
class LauncherProcess {
 public:
  explicit LauncherProcess(const fs::path& runtimeDir) {
    int toChild[2], fromChild[2];
    EXPECT_EQ(pipe2(toChild, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(fromChild, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    char path[] = TEST_LAUNCHER_PATH;
    char* argv[] = {path, nullptr};
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);  // each test is its own process
    EXPECT_EQ(posix_spawn(&pid_, path, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
  }
  ~LauncherProcess() {
    if (in_ >= 0) close(in_);
    close(out_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }

  void Write(const std::string& line) {
    const std::string bytes = line + "\n";
    EXPECT_EQ(write(in_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Serves `loop` (so our windows answer the launcher) until a line arrives.
  std::string ReadLine(EventLoop& loop) {
    bool ended = false;
    loop.Watch(out_, [&] {
      char buffer[4096];
      const ssize_t n = read(out_, buffer, sizeof buffer);
      if (n > 0) buffer_.append(buffer, static_cast<std::size_t>(n));
      ended = n <= 0;
    });
    loop.RunUntil([&] { return ended || buffer_.find('\n') != std::string::npos; });
    loop.Unwatch(out_);
    const auto end = buffer_.find('\n');
    if (end == std::string::npos) return "<end of output>";
    const std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    return line;
  }

  int Wait() {
    int status = -1;
    close(in_);
    in_ = -1;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string buffer_;
};

TEST_F(WindowMessages, TalksToTheTestLauncherInAnotherProcess) {
  LauncherProcess launcher(dir.path());
  ASSERT_EQ(launcher.ReadLine(*loop), "ready");
  const WindowHandle target = windows.FindWindow(kLauncherClass, kLauncherTitle);
  ASSERT_NE(target, kNoWindow);

  std::vector<WindowMessage> frameGot;
  const WindowHandle frame = windows.CreateWindow("Torvel Frame", "Torvel", [&frameGot](const WindowMessage& m) {
    frameGot.push_back(m);
    return 77;
  });
  const std::string f = std::to_string(frame);
  EXPECT_EQ(windows.SendMessage(target, Msg(kMsgAnnounceWindow, 0, frame)), 0);
  EXPECT_EQ(launcher.ReadLine(*loop), "msg=1149 w=0 l=" + f);

  std::string summary(256, '\0');
  summary.replace(0, 7, "Disk OK");
  summary[128] = 'Z';
  EXPECT_EQ(windows.SendMessage(target, {kWmCopyData, frame, 1, {summary}}), 0);
  EXPECT_EQ(launcher.ReadLine(*loop), "msg=74 w=" + f + " l=1 s0=4469736b204f4b" + std::string(2 * 121, '0') +
                                          "5a" + std::string(2 * 127, '0'));

  launcher.Write("find");
  EXPECT_EQ(launcher.ReadLine(*loop), "frame=" + f);
  launcher.Write("send 273 32771");
  EXPECT_EQ(launcher.ReadLine(*loop), "result=77");
  launcher.Write("send 1135 0 18446744073709551615 SMTP hex:00ff");
  EXPECT_EQ(launcher.ReadLine(*loop), "result=77");
  ASSERT_EQ(frameGot.size(), 2u);
  EXPECT_EQ(frameGot[0], (WindowMessage{kWmCommand, kCmdOpenMainWindow, 0, {}}));
  EXPECT_EQ(frameGot[1], (WindowMessage{kMsgLogRequest, 0, ~0ULL, {"SMTP", std::string("\0\xff", 2)}}));

  launcher.Write("quit");
  EXPECT_EQ(launcher.Wait(), 0);
  EXPECT_EQ(windows.FindWindow(kLauncherClass, kLauncherTitle), kNoWindow);
}

}  // namespace
}  // namespace torvel
