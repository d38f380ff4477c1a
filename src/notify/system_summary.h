// The short system summary that opens every trace.
#pragma once

namespace torvel {

class SystemInfo;
class TraceLog;

void TraceSystemSummary(TraceLog& trace, const SystemInfo& system);

}  // namespace torvel
