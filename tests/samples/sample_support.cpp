#include "samples/sample_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>

#include "support/temp_dir.h"

extern char** environ;

namespace torvel::test {
namespace fs = std::filesystem;

namespace {
std::string TrimWhite(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}
}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const fs::path& cwd,
                         const std::map<std::string, std::optional<std::string>>& env) {
  ProcessResult result;
  if (argv.empty()) return result;

  // Everything the child needs is prepared before fork().
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (!env.count(name) && name != "TORVEL_HOME") envStrings.push_back(entry);
  }
  for (const auto& [name, value] : env)
    if (value) envStrings.push_back(name + "=" + *value);
  // torvelctl's trace and log stay in the run's folder, never the home's.
  if (!env.count("TORVEL_HOME")) envStrings.push_back("TORVEL_HOME=" + fs::absolute(cwd).string());
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (auto& a : args) argp.push_back(a.data());
  argp.push_back(nullptr);

  // Output goes to files, so a chatty child can never block on a full pipe.
  TempDir capture;
  const std::string outPath = capture.File("stdout");
  const std::string errPath = capture.File("stderr");
  const std::string dir = cwd.string();

  const pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(dir.c_str()) != 0)
      _exit(126);
    execvpe(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  // skdump lives in sbin, which a non-root PATH often lacks.
  dirs += ":/usr/sbin:/sbin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty()) {
      const fs::path candidate = fs::path(dir) / name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    start = end + 1;
  }
  return {};
}

fs::path SamplesDir() { return fs::path(TORVEL_SOURCE_DIR) / "samples"; }
fs::path DrivesDir() { return SamplesDir() / "drives"; }

std::map<int, fs::path> SampleDescriptions() {
  std::map<int, fs::path> out;
  for (const auto& entry : fs::directory_iterator(SamplesDir() / "descriptions")) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".txt" || name.empty() || !std::isdigit(name[0])) continue;
    out[std::atoi(name.c_str())] = entry.path();
  }
  return out;
}

std::string DescriptionValue(const fs::path& description, const std::string& key) {
  std::ifstream in(description);
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq == std::string::npos || TrimWhite(line.substr(0, eq)) != key) continue;
    std::string value = line.substr(eq + 1);
    // Cut a comment that is not inside the quotes.
    const auto quoteEnd = value.rfind('"');
    const auto hash = value.find('#', quoteEnd == std::string::npos ? 0 : quoteEnd);
    value = TrimWhite(value.substr(0, hash));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

}  // namespace torvel::test
