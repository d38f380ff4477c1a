// printf into a std::string, for the fixed English formats. Numbers always
// print with a full stop: the process keeps the C numeric locale.
#pragma once

#include <string>

namespace torvel {

__attribute__((format(printf, 1, 2))) std::string Sprintf(const char* format, ...);

}  // namespace torvel
