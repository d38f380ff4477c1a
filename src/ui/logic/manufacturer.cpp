#include "ui/logic/manufacturer.h"

#include <array>

namespace torvel {
namespace {

struct MakerPrefix {
  std::string_view prefix;
  std::string_view maker;
};

// Order matters: the first match wins, so "IC35" never decides anything
// after "IC"; it stays so that every known prefix is listed here.
constexpr std::array<MakerPrefix, 12> kMakers = {{
    {"FU", "Fujitsu Corporation"},
    {"WD", "Western Digital"},
    {"ST", "Seagate Technology"},
    {"SE", "Seagate Technology"},
    {"MA", "Maxtor Corporation"},
    {"QU", "Quantum"},
    {"SA", "Samsung Electronics"},
    {"IB", "IBM Corporation"},
    {"IC", "IBM Corporation"},
    {"IC35", "IBM Corporation"},
    {"HI", "Hitachi Corporation"},
    {"HTS", "Hitachi Corporation"},
}};

}  // namespace

std::string ManufacturerFromModel(std::string_view model) {
  for (const MakerPrefix& m : kMakers)
    if (model.starts_with(m.prefix)) return std::string(m.maker);
  return {};
}

}  // namespace torvel
