// `torvelctl texts SECTION`: the text table a window of that language
// section would load now (built-in English overlaid by Options/LanguageFile).
#pragma once

#include "base/text_out.h"
#include <string>
#include <vector>

namespace torvel {

class SettingsStore;
class TraceLog;

// `args` are the words after "texts". Prints "N<tab>text" (UTF-8) for every
// slot that holds a text. Returns 0, or 2 for bad usage or an unknown section.
int RunTextsCommand(const std::vector<std::string>& args, SettingsStore& store, TraceLog& trace,
                    TextOut& out, TextOut& err);

}  // namespace torvel
