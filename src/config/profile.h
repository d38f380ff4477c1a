// The few rules of the settings store that its callers share.
#pragma once

#include <string>
#include <string_view>

namespace torvel {

class SettingsStore;

// smtpPassword is never stored as typed: each byte goes up by one (modulo
// 256) on the way in and down by one on the way out.
std::string EncodePassword(std::string_view typed);
std::string DecodePassword(std::string_view stored);

// The first start of the monitor: while Options/Once is 0, writes
// LanguageFile = "" and then Once = 1. Every other key keeps its reader's
// default until a dialog writes it.
void ApplyFirstRunDefaults(SettingsStore& store);

// PollEvery, both CriticalTemp keys and "%d-CriticalValue" are never written
// below 1.
constexpr int AtLeastOne(int value) { return value < 1 ? 1 : value; }

}  // namespace torvel
