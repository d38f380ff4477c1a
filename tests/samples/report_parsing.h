// Reads back what people see: torvelctl's report and drive list, and
// libatasmart's skdump output, into plain values the tests can compare.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace torvel::test {

struct ReportAttribute {
  int threshold = 0;
  int value = 0;
  int worst = 0;
  std::uint64_t raw = 0;
  std::string readable;  // the bracketed column after the raw value, brackets dropped
};

// `torvelctl report N --utf8`.
struct ParsedReport {
  std::string model, serial, firmware;
  std::optional<double> capacityGb;
  std::optional<int> temperature;
  std::map<int, ReportAttribute> attributes;
  std::string problems;  // rows that did not parse, for the failure message
};
ParsedReport ParseReport(const std::string& text);

// `torvelctl drives`: drive number -> field name -> value; the kind
// ("ATA disk", ...) under the name "kind".
using DriveList = std::map<int, std::map<std::string, std::string>>;
DriveList ParseDriveList(const std::string& text);

struct SkdumpAttribute {
  int value = 0;
  int worst = 0;
  std::optional<int> threshold;  // "n/a" without a threshold sector
  std::uint64_t raw = 0;
  std::string pretty;
};

struct ParsedSkdump {
  std::string model, serial, firmware, size;
  std::string healthGood;  // "yes", "no" or the error text skdump printed
  std::string overall;
  std::optional<double> temperature;  // the summary line, degrees Celsius
  std::map<int, SkdumpAttribute> attributes;
  std::string problems;
};
ParsedSkdump ParseSkdump(const std::string& text);

// skdump prints the six raw bytes as stored, lowest first: 0x2d0032001400.
std::optional<std::uint64_t> SkdumpRaw(const std::string& token);

}  // namespace torvel::test
