// The program's texts are Windows-1252 bytes; terminals and Qt want Unicode.
// This is the one place that converts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvel {

// Every byte converts: the five bytes that Windows-1252 leaves undefined
// become the C1 control characters of the same value, as Windows does.
std::string Cp1252ToUtf8(std::string_view text);

// UTF-8 (a command line, a terminal) to Windows-1252; nothing when the text
// holds a character Windows-1252 does not have.
std::optional<std::string> Utf8ToCp1252(std::string_view text);

// Windows-1252 to the OEM page CP850 of network messages. A character CP850
// does not have becomes '?'.
std::string Cp1252ToCp850(std::string_view text);

// Control characters (below 0x20, and 0x7F) written as \xNN, so that text
// from a drive cannot break a log line or forge one. Other bytes stay.
std::string EscapeControls(std::string_view text);

}  // namespace torvel
