#pragma once
// Developer mode's log as the lower layers (the server connection) reach it: the request
// pipeline's log thread installs a sink while it runs; without one, lines are dropped at the
// cost of one atomic load. Any thread may call.

#include <string_view>

namespace orra {

using DiagnosticLogSink = void (*)(std::u16string_view line);

// Installs the sink, or with nullptr removes it.
void SetDiagnosticLogSink(DiagnosticLogSink sink);
bool DiagnosticLogEnabled();
void DiagnosticLog(std::u16string_view line);

}  // namespace orra
