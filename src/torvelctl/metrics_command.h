// `torvelctl metrics`: every drive in the Prometheus text exposition
// format, on standard output or as a file for node_exporter's textfile
// collector.
#pragma once

#include <filesystem>
#include "base/text_out.h"
#include <string>
#include <vector>

namespace torvel {

class SettingsStore;
struct CtlContext;
struct DriveTables;

// The drive's state as one number: 0 ok, 1 warning (at or over its critical
// temperature), 2 T.E.C. (its own verdict or an attribute at its
// threshold), 3 unknown (S.M.A.R.T. off, or asleep and not read).
inline constexpr int kMetricOk = 0;
inline constexpr int kMetricWarning = 1;
inline constexpr int kMetricTec = 2;
inline constexpr int kMetricUnknown = 3;

// The exposition text of the drives in use; the store gives each drive's
// critical temperature, last check and projected T.E.C. dates.
std::string FormatMetrics(const DriveTables& tables, SettingsStore& store);

// A label value as the format wants it: backslash, quote and newline
// escaped, the rest as UTF-8.
std::string MetricLabelValue(const std::string& cp1252);

// DIR/torvel.prom replaced at once by `text` (a hidden temporary file,
// synced, renamed; mode 0644). False with the reason in `why`.
bool WriteMetricsTextfile(const std::filesystem::path& dir, const std::string& text, std::string& why);

int RunMetricsCommand(const std::vector<std::string>& args, CtlContext& ctx, TextOut& out,
                      TextOut& err);

}  // namespace torvel
