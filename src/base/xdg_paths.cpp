#include "base/xdg_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace torvel {

namespace fs = std::filesystem;

fs::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  char buf[4096];
  if (getpwuid_r(::getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

fs::path XdgFolder(const char* variable, const fs::path& home, const char* fallback) {
  if (variable != nullptr && variable[0] == '/') return variable;
  if (home.empty()) return {};
  return home / fallback;
}

fs::path ConfigHome() { return XdgFolder(std::getenv("XDG_CONFIG_HOME"), HomeFolder(), ".config"); }

fs::path DataHome() {
  return XdgFolder(std::getenv("XDG_DATA_HOME"), HomeFolder(), ".local/share");
}

fs::path CacheHome() { return XdgFolder(std::getenv("XDG_CACHE_HOME"), HomeFolder(), ".cache"); }

fs::path ProgramDataFolder(const char* torvelHome, const fs::path& dataHome) {
  if (torvelHome != nullptr && torvelHome[0] == '/') return torvelHome;
  if (dataHome.empty()) return {};
  return dataHome / "Torvel";
}

fs::path ProgramDataFolder() { return ProgramDataFolder(std::getenv("TORVEL_HOME"), DataHome()); }

fs::path RuntimeFolder() { return XdgFolder(std::getenv("XDG_RUNTIME_DIR"), {}, ""); }

}  // namespace torvel
