// printf into a std::string, for the fixed English formats. Numbers always
// print with a full stop: the process keeps the C numeric locale.
#pragma once

#include <cstdarg>
#include <string>

namespace torvel {

__attribute__((format(printf, 1, 2))) std::string Sprintf(const char* format, ...);
__attribute__((format(printf, 1, 0))) std::string VSprintf(const char* format, va_list args);

}  // namespace torvel
