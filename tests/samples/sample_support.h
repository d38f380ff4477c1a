// Shared by the sample-drive tests: running the built programs and skdump,
// and finding the committed samples and their descriptions.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace torvel::test {

struct ProcessResult {
  int exitCode = -1;  // -1: did not start or did not exit normally
  std::string out;
  std::string err;
};

// Runs argv[0] (a path, or a name looked up on PATH) in `cwd`, with the
// current environment changed by `env`: a value sets a variable, nullopt
// removes it. TORVEL_HOME is `cwd` unless `env` names it.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                         const std::map<std::string, std::optional<std::string>>& env = {});

// The full path of a program on PATH; empty when there is none.
std::string FindOnPath(const std::string& name);

std::filesystem::path SamplesDir();  // <source>/samples
std::filesystem::path DrivesDir();   // <source>/samples/drives

// Each description file with the drive number its name starts with
// ("2-large-lba48.txt" is drive 2), in drive order.
std::map<int, std::filesystem::path> SampleDescriptions();

// The value of `key = value` in a description ("" when absent), comment cut
// and surrounding quotes removed. Read here, independently of the generator,
// so the tests hold the generator to what the description says.
std::string DescriptionValue(const std::filesystem::path& description, const std::string& key);

}  // namespace torvel::test
