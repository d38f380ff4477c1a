// Which settings section holds a drive's baseline and settings. A serial
// number names the section as long as it names this drive alone; two drives
// sharing one section would mix their values and raise a false change at
// every check.
#pragma once

#include <string>
#include <string_view>

namespace torvel {

struct DriveTables;

// True for a section name the program keeps for itself ("Options"), in
// any case, as the store folds case.
bool IsGlobalSection(std::string_view name);

// A section of its own for drive n: "Drive <n>: <model> [<serial>]".
std::string DerivedSection(int n, std::string_view model, std::string_view serial);

// Sets every used record's section: its serial when the serial is not
// empty, no other drive in the tables has it and it names no global
// section; otherwise DerivedSection.
void AssignSections(DriveTables& tables);

}  // namespace torvel
