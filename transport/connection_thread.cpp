#include "transport/connection_thread.h"

#include <chrono>
#include <exception>
#include <system_error>

#include "common/block_pool.h"

namespace orra {

bool ConnectionThread::Start(FrameLink& link, ConnectionHandlers handlers) {
  if (thread_.joinable()) return false;
  stop_ = std::make_unique<Event>(Event::Reset::kManual);
  finished_ = std::make_unique<Event>(Event::Reset::kManual);
  link_ = &link;
  try {
    thread_ = std::thread(&ConnectionThread::Run, this, std::ref(link), std::move(handlers));
  } catch (const std::system_error&) {
    stop_.reset();
    finished_.reset();
    link_ = nullptr;
    return false;
  }
  return true;
}

void ConnectionThread::Stop() {
  if (!thread_.joinable()) return;
  stop_->Set();
  if (!finished_->Wait(std::chrono::milliseconds(kStopGraceMs))) {
    env_.Debug("[ConnectionThread] still busy after the stop grace; interrupting its socket\r\n");
    link_->Interrupt();
  }
  thread_.join();
  stop_.reset();
  finished_.reset();
  link_ = nullptr;
  queue_.ReleaseAll();
}

void ConnectionThread::Run(FrameLink& link, ConnectionHandlers handlers) {
  const BufferPool::ThreadCacheScope cache_scope;
  try {
    ConnectionLoop loop(link, queue_, std::move(handlers), env_);
    for (;;) {
      int wait_ms = 0;
      try {
        wait_ms = loop.Pass();
      } catch (const std::exception& e) {
        env_.DebugPrintf("[ConnectionThread] pass failed: %s; reconnecting\r\n", e.what());
        wait_ms = loop.Recover();
      } catch (...) {
        env_.Debug("[ConnectionThread] pass failed; reconnecting\r\n");
        wait_ms = loop.Recover();
      }
      if (stop_->Wait(std::chrono::milliseconds(wait_ms))) break;
    }
  } catch (...) {
    env_.Debug("[ConnectionThread] ended by an unexpected error\r\n");
  }
  finished_->Set();
}

}  // namespace orra
