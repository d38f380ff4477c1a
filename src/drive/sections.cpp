#include "drive/sections.h"

#include <cctype>

#include "drive/drive_tables.h"

namespace torvel {

namespace {
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
}  // namespace

bool IsGlobalSection(std::string_view name) { return EqualNoCase(name, "Options"); }

std::string DerivedSection(int n, std::string_view model, std::string_view serial) {
  std::string s = "Drive " + std::to_string(n) + ": ";
  s += model;
  s += " [";
  s += serial;
  s += "]";
  return s;
}

void AssignSections(DriveTables& tables) {
  for (int n = 0; n < kMaxDrives; ++n) {
    DriveRecord& rec = tables.records[static_cast<std::size_t>(n)];
    if (!rec.InUse()) {
      rec.section.clear();
      continue;
    }
    bool own = !rec.serial.empty() && !IsGlobalSection(rec.serial);
    for (int m = 0; own && m < kMaxDrives; ++m) {
      const DriveRecord& other = tables.records[static_cast<std::size_t>(m)];
      if (m != n && other.InUse() && EqualNoCase(other.serial, rec.serial)) own = false;
    }
    rec.section = own ? rec.serial : DerivedSection(n, rec.model, rec.serial);
  }
}

}  // namespace torvel
