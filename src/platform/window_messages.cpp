#include "platform/window_messages.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

#include "platform/event_loop.h"
#include "platform/window_wire.h"
#include "base/xdg_paths.h"

namespace torvel {
namespace {

using Clock = std::chrono::steady_clock;

// Requests still arriving per window; beyond this the oldest is dropped, so
// stalled peers cannot pile up descriptors and buffers.
constexpr std::size_t kMaxPendingRequests = 16;
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr int kAcceptBurst = 16;

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  int get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool MakeAddress(const std::filesystem::path& path, sockaddr_un& addr) {
  const std::string& s = path.native();
  addr = sockaddr_un{};
  addr.sun_family = AF_UNIX;
  if (s.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, s.c_str(), s.size() + 1);
  return true;
}

const sockaddr* AsSockaddr(const sockaddr_un& addr) {
  return reinterpret_cast<const sockaddr*>(&addr);
}

std::uint64_t WallClockNs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
}

enum class Probe { kAlive, kGone, kUnknown };

// Does anything listen on the endpoint? Non-blocking, so a full backlog
// answers at once (and counts as alive).
Probe ProbeEndpoint(const std::filesystem::path& endpoint) {
  sockaddr_un addr;
  if (!MakeAddress(endpoint, addr)) return Probe::kUnknown;
  const UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.get() < 0) return Probe::kUnknown;
  if (connect(fd.get(), AsSockaddr(addr), sizeof addr) == 0 || errno == EAGAIN) return Probe::kAlive;
  // Refused: the socket file outlived its process. Missing: a name entry did.
  if (errno == ECONNREFUSED || errno == ENOENT) return Probe::kGone;
  return Probe::kUnknown;
}

// Waits for `events` until `deadline`; false on time-out or failure.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, events, 0};
    const int r = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
    if (r > 0) return true;  // errors and hang-ups surface in the next send/recv
    if (r < 0 && errno != EINTR) return false;
  }
}

std::optional<std::int64_t> SendToEndpoint(const std::filesystem::path& endpoint,
                                           const WindowMessage& message,
                                           std::chrono::milliseconds timeout) {
  if (!wire::Fits(message)) return std::nullopt;
  sockaddr_un addr;
  if (!MakeAddress(endpoint, addr)) return std::nullopt;
  timeout = std::max(timeout, std::chrono::milliseconds(1));
  const auto deadline = Clock::now() + timeout;

  const UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return std::nullopt;
  // A Unix-domain connect sleeps on a full backlog, bounded by the send
  // time-out; after connecting everything is non-blocking against the deadline.
  const auto ms = timeout.count();
  const timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
  setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  if (connect(fd.get(), AsSockaddr(addr), sizeof addr) != 0) return std::nullopt;
  if (fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) | O_NONBLOCK) != 0) return std::nullopt;

  const std::string request = wire::EncodeRequest(message);
  std::size_t sent = 0;
  while (sent < request.size()) {
    const ssize_t n = send(fd.get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
    } else if (n < 0 && errno == EAGAIN && WaitFor(fd.get(), POLLOUT, deadline)) {
    } else {
      return std::nullopt;
    }
  }

  char reply[wire::kReplyBytes];
  std::size_t got = 0;
  while (got < sizeof reply) {
    const ssize_t n = recv(fd.get(), reply + got, sizeof reply - got, 0);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
    } else if (n < 0 && errno == EAGAIN && WaitFor(fd.get(), POLLIN, deadline)) {
    } else {
      return std::nullopt;  // closed unanswered, or the time-out
    }
  }
  return wire::DecodeReply(std::string_view(reply, sizeof reply));
}

// Our own folder, or none: other users must not be able to plant or
// replace endpoints in it. Empty when usable, else why not.
std::string PrepareFolder(const std::filesystem::path& folder) {
  if (folder.empty())
    return "no folder for the window endpoints: neither XDG_RUNTIME_DIR nor a home folder is known";
  const std::string name = folder.string();
  // The parent may be a cache folder that does not exist yet; XDG wants 0700.
  const std::filesystem::path parent = folder.parent_path();
  struct stat st {};
  if (!parent.empty() && lstat(parent.c_str(), &st) != 0 && errno == ENOENT) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (!ec) chmod(parent.c_str(), 0700);
  }
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return name + ": cannot create it (" + std::strerror(errno) + ")";
  if (lstat(folder.c_str(), &st) != 0) return name + ": " + std::strerror(errno);
  if (!S_ISDIR(st.st_mode)) return name + ": not a folder";
  if (st.st_uid != geteuid())
    return name + ": owned by another user (uid " + std::to_string(st.st_uid) + ")";
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return name + ": others may write in it";
  sockaddr_un addr;
  if (!MakeAddress(folder / wire::EndpointName(~WindowHandle{0}), addr))
    return name + ": too long for a socket address";
  return {};
}

}  // namespace

std::filesystem::path DefaultWindowFolder() {
  const std::filesystem::path runtime = RuntimeFolder();
  if (!runtime.empty()) return runtime / "torvel";
  // Never a shared folder such as /tmp, where anyone can make the name first.
  const std::filesystem::path cache = CacheHome();
  if (cache.empty()) return {};
  return cache / "torvel-windows";
}

struct WindowSystem::Impl {
  struct Connection {
    UniqueFd fd;
    std::string bytes;
    // A peer that has not sent its whole request by then is dropped.
    std::chrono::steady_clock::time_point deadline;
  };

  struct Window {
    WindowHandle handle = kNoWindow;
    std::string className;
    std::string title;
    MessageHandler handler;
    std::uint64_t created = 0;
    UniqueFd listener;
    std::string nameEntry;           // empty when not published
    std::list<Connection> pending;   // oldest first
  };

  // A send from another thread, waiting for the user-interface thread.
  struct CrossCall {
    WindowHandle window = kNoWindow;
    WindowMessage message;
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::optional<std::int64_t> result;

    void Finish(std::optional<std::int64_t> r) {
      std::lock_guard lock(mutex);
      if (done) return;
      done = true;
      result = r;
      finished.notify_all();
    }
    std::optional<std::int64_t> Wait() {
      std::unique_lock lock(mutex);
      finished.wait(lock, [this] { return done; });
      return result;
    }
  };

  // Shared with posted tasks, which may outlive the system (a weak pointer
  // tells them) and with sending threads (under `mutex`).
  struct Inbox {
    std::mutex mutex;
    Impl* owner = nullptr;
    EventLoop* loop = nullptr;
    bool closed = false;
    std::deque<std::shared_ptr<CrossCall>> calls;
  };

  Impl(EventLoop& firstLoop, std::filesystem::path dir, std::chrono::milliseconds requestTime)
      : loop(&firstLoop),
        folder(std::move(dir)),
        folderError(PrepareFolder(folder)),
        folderUsable(folderError.empty()),
        requestTimeout(requestTime),
        uiThread(std::this_thread::get_id()),
        inbox(std::make_shared<Inbox>()) {
    inbox->owner = this;
    inbox->loop = &firstLoop;
    // Armed only while a request is half received: an idle system never wakes.
    requestTimer.Reset(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK));
    if (requestTimer.get() >= 0) WatchFd(requestTimer.get(), [this] { OnRequestTimer(); });
    // Another WindowSystem in this process numbers from elsewhere.
    nextSerial = std::random_device{}();
  }

  ~Impl() {
    if (requestTimer.get() >= 0) UnwatchFd(requestTimer.get());
    std::deque<std::shared_ptr<CrossCall>> waiting;
    {
      std::lock_guard lock(inbox->mutex);
      inbox->closed = true;
      waiting.swap(inbox->calls);
    }
    for (const auto& call : waiting) call->Finish(std::nullopt);

    std::map<WindowHandle, std::shared_ptr<Window>> all;
    {
      std::lock_guard lock(windowsMutex);
      all.swap(windows);
    }
    for (const auto& [handle, window] : all) Retire(*window);
    // The program's own descriptors (Watch) leave the loop with the system.
    for (const auto& [fd, ready] : watched) loop->Unwatch(fd);
  }

  std::shared_ptr<Window> Local(WindowHandle handle) const {
    std::lock_guard lock(windowsMutex);
    const auto it = windows.find(handle);
    return it == windows.end() ? nullptr : it->second;
  }

  std::filesystem::path Endpoint(WindowHandle handle) const {
    return folder / wire::EndpointName(handle);
  }

  // --- watches, remembered so SwitchLoop can move them ---

  void WatchFd(int fd, std::function<void()> ready) {
    watched[fd] = ready;
    loop->Watch(fd, std::move(ready));
  }
  void UnwatchFd(int fd) {
    watched.erase(fd);
    loop->Unwatch(fd);
  }

  void SwitchTo(EventLoop& next) {
    for (const auto& [fd, ready] : watched) {
      loop->Unwatch(fd);
      next.Watch(fd, ready);
    }
    loop = &next;
    std::lock_guard lock(inbox->mutex);
    inbox->loop = &next;
    // Tasks posted to the old loop may never run; each queued call gets one
    // here, and whichever task runs first takes it.
    for (std::size_t i = 0; i < inbox->calls.size(); ++i) next.Post(CallTask());
  }

  // --- creating and retiring ---

  enum class Claim { kDone, kTaken, kFailed };

  Claim Publish(Window& window) {
    const auto endpoint = Endpoint(window.handle);
    sockaddr_un addr;
    if (!MakeAddress(endpoint, addr)) return Claim::kFailed;
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) return Claim::kFailed;
    if (bind(fd.get(), AsSockaddr(addr), sizeof addr) != 0) {
      if (errno != EADDRINUSE) return Claim::kFailed;
      // Our number, left behind by a dead process that had our pid.
      if (ProbeEndpoint(endpoint) != Probe::kGone) return Claim::kTaken;
      unlink(endpoint.c_str());
      if (bind(fd.get(), AsSockaddr(addr), sizeof addr) != 0) return Claim::kTaken;
    }
    if (listen(fd.get(), SOMAXCONN) != 0) {
      unlink(endpoint.c_str());
      return Claim::kFailed;
    }
    // The name goes up last: whoever sees it finds a listening endpoint.
    const std::string name = wire::NameEntry(wire::NameKey(window.className, window.title),
                                             window.created, window.handle);
    const std::string target = wire::NameTarget(window.className, window.title);
    if (symlink(target.c_str(), (folder / name).c_str()) != 0) {
      unlink(endpoint.c_str());
      return Claim::kFailed;
    }
    window.listener = std::move(fd);
    window.nameEntry = name;
    return Claim::kDone;
  }

  WindowHandle Create(const std::string& className, const std::string& title,
                      MessageHandler handler, bool published) {
    auto window = std::make_shared<Window>();
    window->className = className;
    window->title = title;
    window->handler = std::move(handler);
    // Strictly increasing here, so "newest" is exact inside one process.
    lastCreated = std::max(WallClockNs(), lastCreated + 1);
    window->created = lastCreated;

    constexpr int kAttempts = 8;
    bool claimed = false;
    for (int attempt = 0; attempt < kAttempts && !claimed; ++attempt) {
      window->handle = (static_cast<WindowHandle>(getpid()) << 32) | nextSerial++;
      if (Local(window->handle)) continue;
      if (!published || !folderUsable) {
        claimed = true;
        break;
      }
      switch (Publish(*window)) {
        case Claim::kDone: claimed = true; break;
        case Claim::kTaken: break;
        case Claim::kFailed: return kNoWindow;
      }
    }
    if (!claimed) return kNoWindow;

    const WindowHandle handle = window->handle;
    if (window->listener.get() >= 0)
      WatchFd(window->listener.get(), [this, handle] { OnConnect(handle); });
    std::lock_guard lock(windowsMutex);
    windows.emplace(handle, std::move(window));
    return handle;
  }

  void Destroy(WindowHandle handle) {
    std::shared_ptr<Window> window;
    {
      std::lock_guard lock(windowsMutex);
      const auto it = windows.find(handle);
      if (it == windows.end()) return;
      window = std::move(it->second);
      windows.erase(it);
    }
    Retire(*window);
  }

  // Takes the window off the folder and the loop. The object itself lives
  // on while a handler of it is running.
  void Retire(Window& window) {
    if (!window.nameEntry.empty()) unlink((folder / window.nameEntry).c_str());
    if (window.listener.get() >= 0) {
      UnwatchFd(window.listener.get());
      unlink(Endpoint(window.handle).c_str());
      window.listener.Reset();
    }
    for (const auto& c : window.pending) UnwatchFd(c.fd.get());
    window.pending.clear();
  }

  // --- serving other processes ---

  void OnConnect(WindowHandle handle) {
    const auto window = Local(handle);
    if (!window || window->listener.get() < 0) return;
    for (int i = 0; i < kAcceptBurst; ++i) {
      const int fd = accept4(window->listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return;
      }
      if (window->pending.size() >= kMaxPendingRequests) {
        UnwatchFd(window->pending.front().fd.get());
        window->pending.pop_front();
      }
      window->pending.push_back(
          Connection{UniqueFd(fd), {}, std::chrono::steady_clock::now() + requestTimeout});
      WatchFd(fd, [this, handle, fd] { OnRequestBytes(handle, fd); });
      ArmRequestTimer();
    }
  }

  std::vector<std::shared_ptr<Window>> AllWindows() const {
    std::vector<std::shared_ptr<Window>> all;
    std::lock_guard lock(windowsMutex);
    for (const auto& [handle, window] : windows) all.push_back(window);
    return all;
  }

  // Set for the earliest deadline of a half-received request, or off.
  void ArmRequestTimer() {
    if (requestTimer.get() < 0) return;
    std::optional<std::chrono::steady_clock::time_point> earliest;
    for (const auto& window : AllWindows())
      for (const Connection& c : window->pending)
        if (!earliest || c.deadline < *earliest) earliest = c.deadline;
    itimerspec when{};
    if (earliest) {
      const auto wait = std::max<std::chrono::nanoseconds>(
          *earliest - std::chrono::steady_clock::now(), std::chrono::nanoseconds(1));
      when.it_value.tv_sec = static_cast<time_t>(wait.count() / 1000000000);
      when.it_value.tv_nsec = static_cast<long>(wait.count() % 1000000000);
    }
    timerfd_settime(requestTimer.get(), 0, &when, nullptr);
  }

  void OnRequestTimer() {
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto got = read(requestTimer.get(), &expirations, sizeof expirations);
    const auto now = std::chrono::steady_clock::now();
    for (const auto& window : AllWindows()) {
      for (auto it = window->pending.begin(); it != window->pending.end();) {
        if (it->deadline > now) {
          ++it;
          continue;
        }
        UnwatchFd(it->fd.get());
        it = window->pending.erase(it);  // closed unanswered
      }
    }
    ArmRequestTimer();
  }

  // Gathers a request without blocking; only a complete, well-formed one
  // reaches the handler.
  void OnRequestBytes(WindowHandle handle, int fd) {
    const auto window = Local(handle);
    if (!window) return;
    const auto it = std::find_if(window->pending.begin(), window->pending.end(),
                                 [fd](const Connection& c) { return c.fd.get() == fd; });
    if (it == window->pending.end()) return;

    std::string& bytes = it->bytes;
    const std::size_t had = bytes.size();
    bytes.resize(had + kReadChunk);
    const ssize_t n = recv(fd, bytes.data() + had, kReadChunk, 0);
    bytes.resize(had + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;

    WindowMessage message;
    const wire::Parse state = n > 0 ? wire::ParseRequest(bytes, message) : wire::Parse::kMalformed;
    if (state == wire::Parse::kNeedMore) return;

    Connection connection = std::move(*it);
    window->pending.erase(it);
    UnwatchFd(fd);
    ArmRequestTimer();
    if (state == wire::Parse::kMalformed) return;  // closed unanswered

    // `window` keeps the handler alive should it destroy its window; nothing
    // of `this` is touched after it returns.
    const std::int64_t result = window->handler ? window->handler(message) : 0;
    const std::string reply = wire::EncodeReply(result);
    // Eight bytes into an empty socket buffer; a sender that gave up is fine.
    [[maybe_unused]] const auto sent =
        send(connection.fd.get(), reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  }

  // --- sending ---

  std::optional<std::int64_t> CallHere(WindowHandle handle, const WindowMessage& message) {
    const auto window = Local(handle);  // keeps the handler alive, as above
    if (!window) return std::nullopt;
    return window->handler ? window->handler(message) : 0;
  }

  std::function<void()> CallTask() {
    return [weak = std::weak_ptr<Inbox>(inbox)] {
      if (const auto box = weak.lock()) box->owner->RunOneCall();
    };
  }

  void RunOneCall() {
    std::shared_ptr<CrossCall> call;
    {
      std::lock_guard lock(inbox->mutex);
      if (inbox->calls.empty()) return;
      call = std::move(inbox->calls.front());
      inbox->calls.pop_front();
    }
    call->Finish(CallHere(call->window, call->message));
  }

  std::optional<std::int64_t> CallFromOtherThread(WindowHandle handle, const WindowMessage& message) {
    auto call = std::make_shared<CrossCall>();
    call->window = handle;
    call->message = message;
    {
      std::lock_guard lock(inbox->mutex);
      if (inbox->closed) return std::nullopt;
      inbox->calls.push_back(call);
      inbox->loop->Post(CallTask());
    }
    return call->Wait();
  }

  std::optional<std::int64_t> Send(WindowHandle handle, const WindowMessage& message,
                                   std::chrono::milliseconds timeout) {
    if (handle == kNoWindow) return std::nullopt;
    if (Local(handle)) {
      if (std::this_thread::get_id() == uiThread) return CallHere(handle, message);
      return CallFromOtherThread(handle, message);
    }
    if (!folderUsable) return std::nullopt;
    return SendToEndpoint(Endpoint(handle), message, timeout);
  }

  // --- finding ---

  WindowHandle Find(const std::string& className, const std::string& title) const {
    struct Candidate {
      std::uint64_t created;
      WindowHandle handle;
      bool local;
      std::string entry;
    };
    std::vector<Candidate> candidates;
    {
      std::lock_guard lock(windowsMutex);
      for (const auto& [handle, window] : windows)
        if (window->className == className && window->title == title)
          candidates.push_back({window->created, handle, true, {}});
    }
    const std::size_t localCount = candidates.size();

    if (folderUsable) {
      const std::string key = wire::NameKey(className, title);
      const std::string target = wire::NameTarget(className, title);
      std::error_code ec;
      for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto& item = *it;
        const std::string name = item.path().filename().string();
        const auto entry = wire::ParseNameEntry(name);
        if (!entry || entry->key != key) continue;
        const bool ours = std::any_of(candidates.begin(), candidates.begin() + localCount,
                                      [&](const Candidate& c) { return c.handle == entry->handle; });
        if (ours) continue;
        // The key is a hash; the link's target settles it.
        std::string link(target.size() + 1, '\0');
        const ssize_t n = readlink(item.path().c_str(), link.data(), link.size());
        if (n != static_cast<ssize_t>(target.size()) || link.compare(0, target.size(), target) != 0)
          continue;
        candidates.push_back({entry->created, entry->handle, false, name});
      }
    }

    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
      return a.created != b.created ? a.created > b.created : a.handle > b.handle;
    });
    for (const auto& c : candidates) {
      if (c.local) return c.handle;
      switch (ProbeEndpoint(Endpoint(c.handle))) {
        case Probe::kAlive: return c.handle;
        case Probe::kGone:
          unlink((folder / c.entry).c_str());
          unlink(Endpoint(c.handle).c_str());
          break;
        case Probe::kUnknown: break;
      }
    }
    return kNoWindow;
  }

  EventLoop* loop;
  const std::filesystem::path folder;
  const std::string folderError;
  const bool folderUsable;
  const std::chrono::milliseconds requestTimeout;
  UniqueFd requestTimer;
  const std::thread::id uiThread;
  std::shared_ptr<Inbox> inbox;

  mutable std::mutex windowsMutex;  // other threads look windows up
  std::map<WindowHandle, std::shared_ptr<Window>> windows;

  // User-interface thread only.
  std::map<int, std::function<void()>> watched;
  std::uint32_t nextSerial = 0;
  std::uint64_t lastCreated = 0;
};

WindowSystem::WindowSystem(EventLoop& loop, std::filesystem::path folder,
                           std::chrono::milliseconds requestTimeout)
    : impl_(std::make_unique<Impl>(loop, std::move(folder), requestTimeout)) {}

const std::string& WindowSystem::FolderError() const { return impl_->folderError; }

const std::filesystem::path& WindowSystem::folder() const { return impl_->folder; }

WindowSystem::~WindowSystem() = default;

WindowHandle WindowSystem::CreateWindow(const std::string& className, const std::string& title,
                                        MessageHandler handler, bool published) {
  return impl_->Create(className, title, std::move(handler), published);
}

void WindowSystem::DestroyWindow(WindowHandle window) { impl_->Destroy(window); }

WindowHandle WindowSystem::FindWindow(const std::string& className, const std::string& title) const {
  return impl_->Find(className, title);
}

std::optional<std::int64_t> WindowSystem::SendMessage(WindowHandle window, const WindowMessage& message,
                                                      std::chrono::milliseconds timeout) {
  return impl_->Send(window, message, timeout);
}

void WindowSystem::Watch(int fd, std::function<void()> ready) { impl_->WatchFd(fd, std::move(ready)); }

void WindowSystem::Unwatch(int fd) { impl_->UnwatchFd(fd); }

void WindowSystem::SwitchLoop(EventLoop& loop) { impl_->SwitchTo(loop); }

EventLoop& WindowSystem::loop() const { return *impl_->loop; }

}  // namespace torvel
