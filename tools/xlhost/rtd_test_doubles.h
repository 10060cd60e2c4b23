#pragma once
// Test doubles for xlhost's RTD side: servers whose answers and calls a test holds, a factory
// that starts them by ProgID, and a host process whose clock moves only when it is pumped.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/xlhost/host_process.h"
#include "tools/xlhost/rtd_server_port.h"
#include "xll/xl_constants.h"

namespace orra::xlhost {

// One server's answers and what it was asked, kept by the test across the server's life.
struct FakeRtdServerState {
  GridValue connect_value = -1.0;
  bool fails_connect = false;
  std::optional<std::vector<TopicUpdate>> next_refresh = std::vector<TopicUpdate>{};
  bool update_notified = false;

  int starts = 0;
  std::vector<std::pair<int32_t, std::vector<std::u16string>>> connected;
  int refreshes = 0;
  std::vector<int32_t> disconnected;
  int terminations = 0;
  bool alive = false;
};

class FakeRtdServer final : public RtdServerPort {
 public:
  explicit FakeRtdServer(FakeRtdServerState& state) : state_(state) { state_.alive = true; }
  ~FakeRtdServer() override { state_.alive = false; }

  std::optional<GridValue> ConnectData(int32_t topic_id, const std::vector<std::u16string>& strings) override {
    state_.connected.emplace_back(topic_id, strings);
    if (state_.fails_connect) return std::nullopt;
    return state_.connect_value;
  }
  std::optional<std::vector<TopicUpdate>> RefreshData() override {
    ++state_.refreshes;
    return std::exchange(state_.next_refresh, std::vector<TopicUpdate>{});
  }
  void DisconnectData(int32_t topic_id) override { state_.disconnected.push_back(topic_id); }
  void Terminate() override { ++state_.terminations; }
  bool TakeUpdateNotice() override { return std::exchange(state_.update_notified, false); }

 private:
  FakeRtdServerState& state_;
};

// Starts a FakeRtdServer for every ProgID it holds a state for; none for any other.
class FakeRtdServerFactory final : public RtdServerFactory {
 public:
  std::map<std::u16string, FakeRtdServerState> servers;

  std::unique_ptr<RtdServerPort> Start(std::u16string_view prog_id) override {
    const auto found = servers.find(std::u16string(prog_id));
    if (found == servers.end()) return nullptr;
    ++found->second.starts;
    return std::make_unique<FakeRtdServer>(found->second);
  }
};

// Time moves by what is pumped; `on_pump` runs at every pump, as a server's timer would.
class FakeHostProcess final : public HostProcess {
 public:
  int64_t now_ms = 0;
  std::optional<size_t> threads = 1;
  int library_releases = 0;
  std::function<void()> on_pump;

  void PumpMessages(int64_t duration_ms) override {
    now_ms += duration_ms;
    if (on_pump) on_pump();
  }
  int64_t NowMs() const override { return now_ms; }
  std::optional<size_t> ThreadCount() const override { return threads; }
  void ReleaseUnusedLibraries() override { ++library_releases; }
};

}  // namespace orra::xlhost
