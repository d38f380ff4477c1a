// A stand-in for the launcher that tests drive as a separate process. It
// owns the launcher's window, writes every message it receives to stdout and
// sends what stdin tells it to the frame window the core announced.
//
//   stdout: "ready" once the window is up, then per message
//           "msg=<n> w=<wParam> l=<lParam>" and " s<i>=<hex>" per string
//   stdin:  "send <message> [wParam] [lParam] [string...]"  -> "result=<n>" or "result=none"
//             (a string written "hex:<digits>" is sent as those bytes)
//           "sendto <handle> <message> [wParam] [lParam] [string...]"  -> the same, to any window
//           "find"  -> "frame=<handle>" (0 before 1149 announced one)
//           "quit", or end of input, ends it
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/window_messages.h"
#include "platform/window_wire.h"

namespace {

using namespace torvel;

void Print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

template <class T>
bool ParseNumber(const std::string& text, T& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc{} && end == text.data() + text.size();
}

std::string Unhex(const std::string& digits) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
  return bytes;
}

struct Launcher {
  WindowSystem& windows;
  WindowHandle frame = kNoWindow;
  bool done = false;
  std::string input{};

  std::int64_t OnMessage(const WindowMessage& m) {
    std::string line = "msg=" + std::to_string(m.message) + " w=" + std::to_string(m.wParam) +
                       " l=" + std::to_string(m.lParam);
    for (std::size_t i = 0; i < m.strings.size(); ++i)
      line += " s" + std::to_string(i) + "=" + wire::Hex(m.strings[i]);
    Print(line);
    if (m.message == kMsgAnnounceWindow && m.wParam == 0) frame = m.lParam;
    return 0;
  }

  void Command(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty()) return;
    if (words[0] == "quit") {
      done = true;
    } else if (words[0] == "find") {
      Print("frame=" + std::to_string(frame));
    } else if ((words[0] == "send" && words.size() >= 2) || (words[0] == "sendto" && words.size() >= 3)) {
      WindowHandle target = frame;
      bool ok = true;
      if (words[0] == "sendto") {
        ok = ParseNumber(words[1], target);
        words.erase(words.begin());
      }
      WindowMessage m;
      ok = ok && ParseNumber(words[1], m.message);
      if (words.size() >= 3) ok = ok && ParseNumber(words[2], m.wParam);
      if (words.size() >= 4) ok = ok && ParseNumber(words[3], m.lParam);
      for (std::size_t i = 4; i < words.size(); ++i)
        m.strings.push_back(words[i].rfind("hex:", 0) == 0 ? Unhex(words[i].substr(4)) : words[i]);
      const auto result = ok ? windows.SendMessage(target, m) : std::nullopt;
      Print(result ? "result=" + std::to_string(*result) : "result=none");
    } else {
      Print("error=" + words[0]);
    }
  }

  void OnInput() {
    char buffer[4096];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      done = true;
      return;
    }
    input.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; !done && (end = input.find('\n')) != std::string::npos;) {
      const std::string line = input.substr(0, end);
      input.erase(0, end + 1);
      Command(line);
    }
  }
};

}  // namespace

int main() {
  const auto loop = MakePollEventLoop();
  WindowSystem windows(*loop);
  Launcher launcher{windows};
  const WindowHandle self = windows.CreateWindow(
      kLauncherClass, kLauncherTitle, [&launcher](const WindowMessage& m) { return launcher.OnMessage(m); });
  if (self == kNoWindow) {
    std::fputs("cannot create the launcher window\n", stderr);
    return 1;
  }
  Print("ready");
  loop->Watch(STDIN_FILENO, [&launcher] { launcher.OnInput(); });
  loop->RunUntil([&launcher] { return launcher.done; });
  loop->Unwatch(STDIN_FILENO);
  return 0;
}
