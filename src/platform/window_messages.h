// Window messages between the core, its windows and the launcher, after the
// Windows model: windows found by class and title, synchronous sends,
// WM_COPYDATA. A window that other processes may address is a Unix-domain
// socket in the runtime folder; a handle is a 64-bit number naming it.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace torvel {

class EventLoop;

using WindowHandle = std::uint64_t;
inline constexpr WindowHandle kNoWindow = 0;

// Message numbers, as the Windows interface numbers them.
inline constexpr std::uint32_t kWmClose = 16;
inline constexpr std::uint32_t kWmCopyData = 74;
inline constexpr std::uint32_t kWmCommand = 273;
inline constexpr std::uint32_t kWmUser = 1024;
inline constexpr std::uint32_t kMsgLogRequest = kWmUser + 111;       // 1135
inline constexpr std::uint32_t kMsgAnnounceWindow = kWmUser + 125;   // 1149
inline constexpr std::uint32_t kMsgMainWindowOk = kWmUser + 126;     // 1150
inline constexpr std::uint32_t kMsgCheckNow = kWmUser + 127;         // 1151
inline constexpr std::uint32_t kMsgReloadTexts = kWmUser + 128;      // 1152
inline constexpr std::uint32_t kMsgScheduleChanged = kWmUser + 129;  // 1153
inline constexpr std::uint32_t kMsgOpenSmartAndEnd = kWmUser + 130;  // 1154
// To the launcher from a second start of it: open the main window. Apart
// from the core's numbers (1135, 1149 to 1154), which it never sends.
inline constexpr std::uint32_t kMsgOpenMainWindowRequest = kWmUser + 160;  // 1184
// WM_COMMAND ids the frame accepts from other windows.
inline constexpr std::uint64_t kCmdOpenMainWindow = 32771;
inline constexpr std::uint64_t kCmdExit = 32773;

// The class of dialog windows; the main window is found by its title.
inline constexpr const char* kDialogClass = "#32770";

inline constexpr const char* kLauncherClass = "Torvel Launcher";
inline constexpr const char* kLauncherTitle = "Torvel";

// One message. Pointer parameters of the Windows interface travel as
// `strings`: WM_COPYDATA carries its bytes in strings[0] and the data word in
// lParam; 1135 carries the category in strings[0] and the text in strings[1].
struct WindowMessage {
  std::uint32_t message = 0;
  std::uint64_t wParam = 0;
  std::uint64_t lParam = 0;
  std::vector<std::string> strings;

  friend bool operator==(const WindowMessage&, const WindowMessage&) = default;
};

using MessageHandler = std::function<std::int64_t(const WindowMessage&)>;

inline constexpr std::chrono::milliseconds kDefaultSendTimeout{10000};

// "$XDG_RUNTIME_DIR/torvel" (when that is an absolute path), else
// "$XDG_CACHE_HOME/torvel-windows" (~/.cache/...) inside the user's own home,
// never a shared folder; empty without either. WindowSystem creates it 0700.
std::filesystem::path DefaultWindowFolder();

// Threads: construct, create and destroy windows, switch loops and destroy
// the system on the user-interface thread; FindWindow and SendMessage work
// from any thread. The loop must outlive the system.
class WindowSystem {
 public:
  // The thread that constructs it is the user-interface thread; handlers
  // always run there, served by `loop`. The folder is created 0700; one that
  // is not ours, is writable by group or others, or whose path is too long
  // for a socket address is refused (FolderError says why), nothing is made
  // inside it, and windows are private to this process (CreateWindow still
  // succeeds; other processes find nothing). A peer that has not sent its
  // whole request within `requestTimeout` is dropped unanswered.
  WindowSystem(EventLoop& loop, std::filesystem::path folder = DefaultWindowFolder(),
               std::chrono::milliseconds requestTimeout = kDefaultSendTimeout);
  // Removes this system's endpoints; senders waiting on other threads get
  // nothing.
  ~WindowSystem();
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;

  // Creates a window. A published window can be found and addressed by other
  // processes; a private one only inside this process. kNoWindow on failure.
  // A handler may destroy its own window, send messages and run a nested
  // RunUntil.
  WindowHandle CreateWindow(const std::string& className, const std::string& title,
                            MessageHandler handler, bool published = true);
  void DestroyWindow(WindowHandle window);

  // The newest live window with exactly this class and title, in any
  // process; kNoWindow when none answers.
  WindowHandle FindWindow(const std::string& className, const std::string& title) const;

  // Synchronous: returns the handler's result, or nothing when the window
  // does not exist, its process is gone or does not answer within `timeout`.
  // From the user-interface thread a window of this process is called
  // directly; from another thread the call is posted to the user-interface
  // thread and the sender waits (no time-out: the process's own loop serves
  // it). To another process the user-interface thread blocks without serving
  // its own windows, so when two processes send to each other at once the
  // first send to time out gives nothing and frees the other. Messages to
  // another process carry at most 8 strings of at most 64 KiB together; a
  // larger one is not sent (nothing).
  std::optional<std::int64_t> SendMessage(WindowHandle window, const WindowMessage& message,
                                          std::chrono::milliseconds timeout = kDefaultSendTimeout);

  // Empty while the folder is usable; else why other processes cannot
  // reach this system's windows, for the user.
  const std::string& FolderError() const;
  const std::filesystem::path& folder() const;

  // Watches a descriptor of the program's own on whichever loop serves the
  // windows, now and after SwitchLoop.
  void Watch(int fd, std::function<void()> ready);
  void Unwatch(int fd);

  // Moves every watch onto another loop (the Qt one once the toolkit is up).
  void SwitchLoop(EventLoop& loop);
  EventLoop& loop() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace torvel
