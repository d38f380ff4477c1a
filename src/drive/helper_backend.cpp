#include "drive/helper_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>

#include "base/sprintf.h"

namespace torvel {
namespace {

#ifdef TORVEL_ATA_HELPER_INSTALL_PATH
constexpr const char* kInstallPath = TORVEL_ATA_HELPER_INSTALL_PATH;
#else
constexpr const char* kInstallPath = "";
#endif

// The request is written into the pipe before the child exists, so it must
// fit the pipe's buffer (at least one page on Linux).
constexpr std::size_t kMaxProgramInput = 4096;

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

const char* ErrnoName(std::uint32_t error) {
  const char* name = ::strerrorname_np(static_cast<int>(error));
  return name ? name : "unknown";
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

int MillisecondsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 60'000));
}

// Reaps the child; after the deadline it is killed first, so this never
// waits for long.
int Reap(pid_t pid, std::chrono::steady_clock::time_point deadline) {
  int status = 0;
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (r < 0 && errno != EINTR) return -1;
    if (r == 0 && MillisecondsLeft(deadline) == 0) {
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return -1;
    }
    const timespec pause{0, 1'000'000};
    ::nanosleep(&pause, nullptr);
  }
}

class HelperBackend final : public DriveBackend {
 public:
  HelperBackend(std::unique_ptr<DriveBackend> direct, AtaHelperProgram helper, TraceLog trace)
      : direct_(std::move(direct)), helper_(std::move(helper)), trace_(std::move(trace)) {}

  ~HelperBackend() override {
    for (auto& [handle, entry] : open_)
      if (!entry.viaHelper) direct_->Close(entry.direct);
  }

  DeviceHandle Open(std::string_view deviceName) override {
    const int n = PerDriveNumberFromName(deviceName);
    const DeviceHandle h = direct_->Open(deviceName);
    if (h != kInvalidHandle && h != kNoHandle) return Add({n, h, false});

    const std::uint32_t error = direct_->LastError();
    lastError_ = error;
    if (!IsHelperDrive(n) || !IsRightsError(error)) return kInvalidHandle;
    if (helper_.path.empty()) {
      NoRights(n, "opening the disk", error);
      return kInvalidHandle;
    }
    Announce(n, Sprintf("no right to open the disk (errno %u, %s); its ATA commands go through "
                        "torvel-ata (%s)\n", error, ErrnoName(error), helper_.path.c_str()));
    return Add({n, kNoHandle, true});
  }

  bool Control(DeviceHandle handle, ControlCode code, std::span<const std::uint8_t> request,
               std::span<std::uint8_t> reply) override {
    const auto it = open_.find(handle);
    if (it == open_.end()) return Fail(EBADF);
    Entry& e = it->second;
    if (!e.viaHelper) {
      if (direct_->Control(e.direct, code, request, reply)) {
        Announce(e.drive, "ATA commands go direct\n");
        return true;
      }
      const std::uint32_t error = direct_->LastError();
      if (!IsHelperDrive(e.drive) || !IsRightsError(error)) {
        Announce(e.drive, "ATA commands go direct\n");
        return Fail(error);
      }
      if (helper_.path.empty()) {
        NoRights(e.drive, "sending ATA commands", error);
        return Fail(error);
      }
      Announce(e.drive, Sprintf("no right to send ATA commands (errno %u, %s); they go through "
                                "torvel-ata (%s)\n", error, ErrnoName(error), helper_.path.c_str()));
      direct_->Close(e.direct);
      e.direct = kNoHandle;
      e.viaHelper = true;
    }
    return ThroughHelper(e, code, request, reply);
  }

  void Close(DeviceHandle handle) override {
    const auto it = open_.find(handle);
    if (it == open_.end()) return;
    if (!it->second.viaHelper) direct_->Close(it->second.direct);
    open_.erase(it);
  }

  std::uint32_t LastError() const override { return lastError_; }

  // Where a drive is needs no right: the direct backend knows.
  DriveLocation Locate(std::string_view deviceName) override { return direct_->Locate(deviceName); }
  std::vector<std::string> DisksBeyond(int count) override { return direct_->DisksBeyond(count); }

 private:
  struct Entry {
    int drive;  // -1 for a name that is not a per-drive device
    DeviceHandle direct;
    bool viaHelper;
  };

  static bool IsHelperDrive(int n) { return n >= 0 && n < helper::kDriveCount; }

  DeviceHandle Add(Entry e) {
    const DeviceHandle h = next_++;
    open_.emplace(h, e);
    return h;
  }

  bool Fail(std::uint32_t error) {
    lastError_ = error;
    return false;
  }

  bool ThroughHelper(const Entry& e, ControlCode code, std::span<const std::uint8_t> request,
                     std::span<std::uint8_t> reply) {
    // Only the channel's own blocks are worth a process: the helper would
    // refuse anything else.
    const auto r = helper::RequestFromBlock(e.drive, code, request);
    if (!r || reply.size() < RowOf(r->command).replySize) return Fail(EINVAL);

    const helper::DecodedReply answer = AskAtaHelper(helper_, *r);
    if (!answer.reply) {
      trace_.DebugTrace("Drive %d: torvel-ata gave no answer to %s: %s\n", e.drive,
                        helper::CommandName(r->command), answer.error.c_str());
      return Fail(EIO);
    }
    if (!answer.reply->ok) {
      if (IsRightsError(answer.reply->error) && !helperRightsTraced_[Index(e.drive)]) {
        helperRightsTraced_[Index(e.drive)] = true;
        // EACCES comes from opening the node (root:disk 0660), which
        // CAP_SYS_RAWIO does not cover; EPERM from the command itself.
        const std::uint32_t error = answer.reply->error;
        if (error == EACCES)
          trace_.DebugTrace("Drive %d: torvel-ata may not open the disk either (errno %u, %s): it "
                            "needs the cap_dac_read_search file capability besides "
                            "cap_sys_rawio\n", e.drive, error, ErrnoName(error));
        else if (IsNvmeCommand(r->command))
          trace_.DebugTrace("Drive %d: torvel-ata has no right to send NVMe admin commands "
                            "(errno %u, %s): it needs cap_sys_admin in its permitted file "
                            "capabilities\n", e.drive, error, ErrnoName(error));
        else
          trace_.DebugTrace("Drive %d: torvel-ata has no right to send ATA commands either "
                            "(errno %u, %s): it needs the cap_sys_rawio file capability\n",
                            e.drive, error, ErrnoName(error));
      }
      return Fail(answer.reply->error);
    }
    std::copy(answer.reply->bytes.begin(), answer.reply->bytes.end(), reply.begin());
    return true;
  }

  void NoRights(int n, const char* what, std::uint32_t error) {
    Announce(n, Sprintf("no right to send raw ATA commands (%s: errno %u, %s) and no torvel-ata "
                        "helper was found; reading S.M.A.R.T. data needs CAP_SYS_RAWIO\n",
                        what, error, ErrnoName(error)));
  }

  static std::size_t Index(int n) { return static_cast<std::size_t>(n); }

  // The first line about a drive says which way its commands take; later
  // ones would only repeat it.
  void Announce(int n, const std::string& text) {
    if (!IsHelperDrive(n) || announced_[Index(n)]) return;
    announced_[Index(n)] = true;
    trace_.DebugTrace("Drive %d: %s", n, text.c_str());
  }

  std::unique_ptr<DriveBackend> direct_;
  AtaHelperProgram helper_;
  TraceLog trace_;
  std::map<DeviceHandle, Entry> open_;
  DeviceHandle next_ = 1;
  std::array<bool, helper::kDriveCount> announced_{};
  std::array<bool, helper::kDriveCount> helperRightsTraced_{};
  std::uint32_t lastError_ = 0;
};

}  // namespace

bool IsRightsError(std::uint32_t error) { return error == EACCES || error == EPERM; }

std::string FindAtaHelper(std::string_view selfExe, std::string_view installPath) {
  if (const auto slash = selfExe.rfind('/'); slash != std::string_view::npos) {
    const std::string beside = std::string(selfExe.substr(0, slash + 1)) + helper::kProgramName;
    if (IsExecutableFile(beside)) return beside;
  }
  if (!installPath.empty() && IsExecutableFile(std::string(installPath)))
    return std::string(installPath);
  return {};
}

AtaHelperProgram DefaultAtaHelper() {
  std::array<char, 4096> self{};
  const ssize_t n = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
  const std::string_view selfExe(self.data(), n > 0 ? static_cast<std::size_t>(n) : 0);
  AtaHelperProgram program;
  program.path = FindAtaHelper(selfExe, kInstallPath);
  return program;
}

ProgramRun RunProgram(const std::vector<std::string>& argv,
                      const std::vector<std::string>& environment,
                      std::span<const std::uint8_t> input, const ProgramLimits& limits) {
  ProgramRun run;
  if (argv.empty() || input.size() > kMaxProgramInput) return run;

  // Everything the child touches is made before fork: in a threaded program
  // the child may only make async-signal-safe calls.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (::pipe2(in, O_CLOEXEC) != 0) return run;
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 || !WriteAll(in[1], input)) {
    for (int* fd : {&in[0], &in[1], &out[0], &out[1], &err[0], &err[1]}) CloseFd(*fd);
    return run;
  }
  // The whole input is already in the pipe: a child that ends early cannot
  // raise SIGPIPE here.
  CloseFd(in[1]);

  const auto deadline = std::chrono::steady_clock::now() + limits.timeout;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::dup2(in[0], STDIN_FILENO) < 0 || ::dup2(out[1], STDOUT_FILENO) < 0 ||
        ::dup2(err[1], STDERR_FILENO) < 0)
      ::_exit(127);
    ::close_range(3, ~0U, 0);  // nothing of ours leaks into the helper
    ::execve(args[0], args.data(), env.data());
    ::_exit(127);
  }
  CloseFd(in[0]);
  CloseFd(out[1]);
  CloseFd(err[1]);
  if (pid < 0) {
    CloseFd(out[0]);
    CloseFd(err[0]);
    return run;
  }
  run.started = true;

  bool kill = false;
  std::array<std::uint8_t, 1024> buffer{};
  while ((out[0] >= 0 || err[0] >= 0) && !kill) {
    const int left = MillisecondsLeft(deadline);
    if (left == 0) {
      run.timedOut = kill = true;
      break;
    }
    std::array<pollfd, 2> fds{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    const int ready = ::poll(fds.data(), fds.size(), left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      kill = true;
      break;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      int& fd = i == 0 ? out[0] : err[0];
      const ssize_t n = ::read(fd, buffer.data(), buffer.size());
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        CloseFd(fd);
        continue;
      }
      const auto got = std::span(buffer).first(static_cast<std::size_t>(n));
      if (i == 0) {
        run.output.insert(run.output.end(), got.begin(), got.end());
        if (run.output.size() > limits.maxOutput) run.outputTooLong = kill = true;
      } else if (run.error.size() < limits.maxError) {
        const std::size_t keep = std::min(got.size(), limits.maxError - run.error.size());
        run.error.append(reinterpret_cast<const char*>(got.data()), keep);
      }
    }
  }
  CloseFd(out[0]);
  CloseFd(err[0]);
  if (kill) ::kill(pid, SIGKILL);
  const int status = Reap(pid, deadline);
  if (!kill) run.exitStatus = status;
  return run;
}

helper::DecodedReply AskAtaHelper(const AtaHelperProgram& program, const helper::Request& request) {
  if (program.path.empty()) return {std::nullopt, "no helper"};
  const auto a = helper::RequestArguments(request);
  const auto block = helper::RequestBytes(request);
  ProgramLimits limits;
  limits.timeout = program.timeout;
  const ProgramRun run = RunProgram({program.path, a[0], a[1]}, program.environment, block, limits);
  if (!run.started) return {std::nullopt, "could not be started"};
  if (run.timedOut)
    return {std::nullopt, "no answer within " + std::to_string(program.timeout.count()) + " ms"};
  if (run.outputTooLong) return {std::nullopt, "reply longer than a frame"};
  if (run.exitStatus != helper::kExitAnswered) {
    const std::string firstLine = run.error.substr(0, run.error.find('\n'));
    return {std::nullopt, "exit status " + std::to_string(run.exitStatus) +
                              (firstLine.empty() ? "" : ": " + firstLine)};
  }
  return helper::DecodeReply(run.output, request.command);
}

std::unique_ptr<DriveBackend> MakeHelperBackend(std::unique_ptr<DriveBackend> direct,
                                                AtaHelperProgram helper, TraceLog trace) {
  return std::make_unique<HelperBackend>(std::move(direct), std::move(helper), std::move(trace));
}

}  // namespace torvel
