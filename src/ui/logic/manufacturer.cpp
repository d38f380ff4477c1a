#include "ui/logic/manufacturer.h"

#include <array>
#include <cctype>

namespace torvel {
namespace {

struct MakerPrefix {
  std::string_view prefix;  // upper case: the model is compared in any case
  std::string_view maker;
};

// Order matters: the first match wins. "IC35" never decides anything after
// "IC"; it stays so that every known prefix is listed here. Prefixes that
// begin like a shorter one of another maker come before it ("SANDISK"
// before Samsung's "SA").
constexpr std::array<MakerPrefix, 39> kMakers = {{
    {"FU", "Fujitsu Corporation"},
    {"MH", "Fujitsu Corporation"},
    {"WD", "Western Digital"},
    {"ST", "Seagate Technology"},
    {"SE", "Seagate Technology"},
    {"MA", "Maxtor Corporation"},
    {"QU", "Quantum"},
    {"SANDISK", "SanDisk"},
    {"SA", "Samsung Electronics"},
    {"IB", "IBM Corporation"},
    {"IC", "IBM Corporation"},
    {"IC35", "IBM Corporation"},
    {"HI", "Hitachi Corporation"},
    {"HTS", "Hitachi Corporation"},
    {"HTE", "Hitachi Corporation"},
    {"HDS", "Hitachi Corporation"},
    {"HDT", "Hitachi Corporation"},
    {"HUA", "Hitachi Corporation"},
    {"HUS", "Hitachi Corporation"},
    {"HGST", "HGST"},
    {"HDW", "Toshiba Corporation"},
    {"TOSHIBA", "Toshiba Corporation"},
    {"KIOXIA", "KIOXIA"},
    {"INTEL", "Intel Corporation"},
    {"KINGSTON", "Kingston Technology"},
    {"CRUCIAL", "Crucial (Micron)"},
    {"CT", "Crucial (Micron)"},
    {"MICRON", "Micron Technology"},
    {"MTFD", "Micron Technology"},
    {"CORSAIR", "Corsair"},
    {"PLEXTOR", "Plextor"},
    {"ADATA", "ADATA Technology"},
    {"TRANSCEND", "Transcend Information"},
    {"TS", "Transcend Information"},
    {"BIWIN", "Biwin Storage"},
    {"SK HYNIX", "SK hynix"},
    {"HFS", "SK hynix"},
    {"PNY", "PNY Technologies"},
    {"LEXAR", "Lexar"},
}};

}  // namespace

std::string ManufacturerFromModel(std::string_view model) {
  std::string upper(model);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const MakerPrefix& m : kMakers)
    if (upper.starts_with(m.prefix)) return std::string(m.maker);
  return {};
}

}  // namespace torvel
