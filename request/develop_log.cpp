#include "request/develop_log.h"

#include <cstdio>

#include "common/diagnostic_log.h"
#include "common/text_conversion.h"
#include "request/cell_messages.h"
#include "request/log_file.h"

namespace orra {
namespace {
void WriteDiagnosticLine(std::u16string_view line) { CLogThread::Instance().Write(std::u16string(line)); }
}  // namespace

CLogThread& CLogThread::Instance() {
  static NoDestructor<CLogThread> instance;
  return *instance;
}

bool CLogThread::Start(const std::u16string& directory, Env& env, CellMessageTable& messages) {
  if (thread_.joinable()) return false;
  {
    // A line that slipped in as the previous thread ended belongs to that run.
    SpinLockGuard guard(queue_lock_);
    queue_.clear();
  }
  stop_.Reset();
  env_.store(&env, std::memory_order_release);
  messages.UseDeveloperTexts();
  running_.store(true, std::memory_order_release);
  started_.store(true, std::memory_order_release);
  SetDiagnosticLogSink(&WriteDiagnosticLine);
  thread_ = std::thread(&CLogThread::Run, this, directory + kFileName);
  return true;
}

bool CLogThread::Started() const { return started_.load(std::memory_order_acquire); }

bool CLogThread::Running() const { return running_.load(std::memory_order_acquire); }

void CLogThread::Stop() {
  SetDiagnosticLogSink(nullptr);
  stop_.Set();
  if (thread_.joinable()) thread_.join();
  running_.store(false, std::memory_order_release);
  started_.store(false, std::memory_order_release);
}

void CLogThread::Write(std::u16string line) {
  // Checked before the timestamp goes in front: a stamped line never equals it.
  if (!Enabled() || line == kSuppressedLine) return;
  std::u16string stamped = LogTimestamp(env_.load(std::memory_order_acquire)->clock()) + u" " + line;
  SpinLockGuard guard(queue_lock_);
  queue_.push_back(std::move(stamped));
}

void CLogThread::WriteQueued(LogFile& file) {
  for (;;) {
    std::u16string line;
    {
      SpinLockGuard guard(queue_lock_);
      if (queue_.empty()) break;
      line = std::move(queue_.front());
      queue_.pop_front();
    }
    file.AppendLine(ToNarrowString(line));
  }
  file.Flush();
}

void CLogThread::Run(std::u16string path) {
  try {
    // Without the file the thread still runs: the developer texts are what most users want.
    std::unique_ptr<LogFile> file = LogFile::OpenForAppend(path);
    Env& env = *env_.load(std::memory_order_acquire);
    if (!file) env.Debug(u"[CLogThread] cannot open develop.log\r\n");
    bool stopping = false;
    while (!stopping) {
      stopping = stop_.Wait(std::chrono::milliseconds(kFlushPeriodMs));
      if (stopping) running_.store(false, std::memory_order_release);
      if (file) {
        WriteQueued(*file);
      } else {
        SpinLockGuard guard(queue_lock_);
        queue_.clear();
      }
    }
  } catch (...) {
    running_.store(false, std::memory_order_release);
    env_.load(std::memory_order_acquire)->Debug(u"[CLogThread] stopped by an unexpected error\r\n");
  }
}

std::u16string LogTimestamp(const Clock& clock) {
  const LocalDateTime t = clock.LocalNow();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.millisecond);
  return ToWideString(text);
}

}  // namespace orra
