#include "common/diagnostic_log.h"

#include <atomic>

namespace orra {
namespace {
std::atomic<DiagnosticLogSink> g_sink{nullptr};
}

void SetDiagnosticLogSink(DiagnosticLogSink sink) { g_sink.store(sink, std::memory_order_release); }

bool DiagnosticLogEnabled() { return g_sink.load(std::memory_order_acquire) != nullptr; }

void DiagnosticLog(std::u16string_view line) {
  if (DiagnosticLogSink sink = g_sink.load(std::memory_order_acquire)) {
    try {
      sink(line);
    } catch (...) {
      // A log line is never worth failing the caller.
    }
  }
}

}  // namespace orra
