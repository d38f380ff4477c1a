#include "samples/report_parsing.h"

#include <cctype>
#include <charconv>
#include <exception>
#include <sstream>
#include <vector>

namespace torvel::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> Tokens(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> out;
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

std::string TrimBlanks(const std::string& s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The text after `prefix`, when the line starts with it.
std::optional<std::string> After(const std::string& line, const std::string& prefix) {
  if (line.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  return line.substr(prefix.size());
}

template <class T>
std::optional<T> Number(const std::string& s, int base = 10) {
  T v{};
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<double> LeadingDouble(const std::string& s) {
  try {
    return std::stod(s);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// skdump highlights bad lines with terminal escapes even into a file.
std::string StripEscapes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\x1B' && i + 1 < text.size() && text[i + 1] == '[') {
      const auto m = text.find('m', i);
      if (m != std::string::npos) {
        i = m;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// "[text]" -> "text"
std::string Bracketed(const std::string& s) {
  if (s.size() >= 2 && s.front() == '[' && s.back() == ']') return s.substr(1, s.size() - 2);
  return s;
}

}  // namespace

ParsedReport ParseReport(const std::string& text) {
  ParsedReport r;
  for (const std::string& line : Lines(text)) {
    if (auto v = After(line, "Drive model: ")) r.model = *v;
    else if (auto s = After(line, "Serial number: ")) r.serial = *s;
    else if (auto f = After(line, "Firmware Revision: ")) r.firmware = *f;
    else if (auto c = After(line, "Capacity: ")) r.capacityGb = LeadingDouble(*c);
    else if (auto temp = After(line, "Drive temperature: ")) {
      if (auto d = LeadingDouble(*temp)) r.temperature = static_cast<int>(*d);
    } else if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
      // "194 (C2) Temperature    0    45    50    85902622765  [45 °C]": the
      // name may hold blanks, so the bracketed readable value is cut off and
      // the four numbers are taken from the end.
      std::string row = line;
      std::string readable;
      if (!row.empty() && row.back() == ']') {
        const auto open = row.rfind("  [");
        if (open == std::string::npos) {
          r.problems += "unopened readable value: " + line + "\n";
          continue;
        }
        readable = row.substr(open + 3, row.size() - open - 4);
        row.erase(open);
      }
      const auto t = Tokens(row);
      const auto id = t.empty() ? std::nullopt : Number<int>(t[0]);
      const bool hexOk = t.size() >= 2 && t[1].size() == 4 && t[1].front() == '(' &&
                         id && Number<int>(t[1].substr(1, 2), 16) == id;
      if (t.size() < 7 || !hexOk) {
        r.problems += "unreadable row: " + line + "\n";
        continue;
      }
      const auto n = t.size();
      const auto threshold = Number<int>(t[n - 4]);
      const auto value = Number<int>(t[n - 3]);
      const auto worst = Number<int>(t[n - 2]);
      const auto raw = Number<std::uint64_t>(t[n - 1]);
      if (!threshold || !value || !worst || !raw) {
        r.problems += "unreadable numbers: " + line + "\n";
        continue;
      }
      if (r.attributes.count(*id)) r.problems += "repeated attribute: " + line + "\n";
      r.attributes[*id] = {*threshold, *value, *worst, *raw, readable};
    }
  }
  return r;
}

DriveList ParseDriveList(const std::string& text) {
  DriveList list;
  int current = -1;
  for (const std::string& line : Lines(text)) {
    if (auto rest = After(line, "Drive ")) {
      const auto colon = rest->find(": ");
      const auto n = colon == std::string::npos ? std::nullopt : Number<int>(rest->substr(0, colon));
      if (!n) continue;
      current = *n;
      list[current]["kind"] = rest->substr(colon + 2);
    } else if (current >= 0 && line.size() > 18 && line.compare(0, 2, "  ") == 0) {
      // "  %-16s" then the value.
      list[current][TrimBlanks(line.substr(2, 16))] = line.substr(18);
    }
  }
  return list;
}

std::optional<std::uint64_t> SkdumpRaw(const std::string& token) {
  if (token.size() != 14 || token.compare(0, 2, "0x") != 0) return std::nullopt;
  std::uint64_t v = 0;
  for (int i = 5; i >= 0; --i) {
    const auto byte = Number<unsigned>(token.substr(2 + 2 * static_cast<std::size_t>(i), 2), 16);
    if (!byte) return std::nullopt;
    v = (v << 8) | *byte;
  }
  return v;
}

ParsedSkdump ParseSkdump(const std::string& raw) {
  ParsedSkdump d;
  bool inTable = false;
  for (const std::string& line : Lines(StripEscapes(raw))) {
    if (inTable) {
      const auto t = Tokens(line);
      const auto id = t.empty() ? std::nullopt : Number<int>(t[0]);
      std::size_t rawAt = 0;
      for (std::size_t i = 5; i < t.size() && !rawAt; ++i)
        if (SkdumpRaw(t[i])) rawAt = i;
      const auto value = t.size() > 4 ? Number<int>(t[2]) : std::nullopt;
      const auto worst = t.size() > 4 ? Number<int>(t[3]) : std::nullopt;
      if (!id || !rawAt || !value || !worst) {
        d.problems += "unreadable row: " + line + "\n";
        continue;
      }
      SkdumpAttribute a;
      a.value = *value;
      a.worst = *worst;
      a.threshold = Number<int>(t[4]);
      a.raw = *SkdumpRaw(t[rawAt]);
      for (std::size_t i = 5; i < rawAt; ++i) a.pretty += (i > 5 ? " " : "") + t[i];
      if (d.attributes.count(*id)) d.problems += "repeated attribute: " + line + "\n";
      d.attributes[*id] = a;
    } else if (auto m = After(line, "Model: ")) d.model = Bracketed(*m);
    else if (auto s = After(line, "Serial: ")) d.serial = Bracketed(*s);
    else if (auto f = After(line, "Firmware: ")) d.firmware = Bracketed(*f);
    else if (auto z = After(line, "Size: ")) d.size = *z;
    else if (auto h = After(line, "SMART Disk Health Good: ")) d.healthGood = *h;
    else if (auto o = After(line, "Overall Status: ")) d.overall = *o;
    else if (auto temp = After(line, "Temperature: ")) d.temperature = LeadingDouble(*temp);
    else if (After(line, "ID# ")) inTable = true;
  }
  return d;
}

}  // namespace torvel::test
