#include "torvelctl/texts_command.h"

#include "base/text_out.h"

#include "config/language.h"
#include "base/codepage.h"
#include "torvelctl/commands.h"

namespace torvel {

int RunTextsCommand(const std::vector<std::string>& args, SettingsStore& store, TraceLog& trace,
                    TextOut& out, TextOut& err) {
  if (args.size() != 1) {
    err << "usage: torvelctl texts SECTION\n";
    return kExitUsage;
  }
  const std::string& section = args[0];
  if (SlotCount(section) == 0) {
    err << "torvelctl: unknown language section \"" << section << "\"\n";
    return kExitUsage;
  }
  TextTable table(section);
  LoadSectionTexts(section, table, store, trace);
  for (std::size_t n = 1; n < table.slots.size(); ++n)
    if (!table.slots[n].empty()) out << n << '\t' << Cp1252ToUtf8(table.slots[n]) << '\n';
  return kExitOk;
}

}  // namespace torvel
