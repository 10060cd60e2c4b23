#pragma once
// The stand-in Excel's side of RTD, as Excel keeps it: each distinct ProgID, server and topic
// list (compared exactly) is one topic with an id of this client's choosing. The first xlfRtd
// of a ProgID starts its server; the first xlfRtd of a topic connects it and answers what
// ConnectData gave, and every later one answers the topic's latest value. A refresh, when the
// server asked for one and its throttle allows, stores the reported values and names the cells
// that use those topics, to be evaluated again. A topic no cell uses any more is disconnected,
// and a server left with no topic is terminated and let go. A ProgID whose server cannot be
// started answers #N/A, as in Excel.
//
// Excel's main thread only.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/xlhost/cell_address.h"
#include "tools/xlhost/refresh_throttle.h"
#include "tools/xlhost/rtd_link.h"
#include "tools/xlhost/rtd_server_port.h"

namespace orra::xlhost {

class RtdClient final : public RtdLink {
 public:
  explicit RtdClient(RtdServerFactory& servers) : servers_(servers) {}
  ~RtdClient() override { TerminateAll(); }
  RtdClient(const RtdClient&) = delete;
  RtdClient& operator=(const RtdClient&) = delete;

  GridValue Value(const RtdCall& call) override;

  // The xlfRtd calls of the cell's latest evaluation; none once its formula is changed or
  // cleared. A topic that no cell uses any more is disconnected.
  void SetCellCalls(CellAddress cell, const std::vector<RtdCall>& calls);

  // Refreshes every server that asked for it and whose throttle allows at `now_ms`; the
  // cells whose topics got new values, in sheet order.
  std::vector<CellAddress> Refresh(int64_t now_ms);

  // Every topic disconnected, every server terminated and let go; the cells keep what they
  // show. What Excel does when it has no more use for its servers.
  void TerminateAll();

  // The throttle interval of every server, started or still to come.
  void set_throttle_ms(int64_t interval_ms);

  size_t topic_count() const { return topics_.size(); }
  size_t server_count() const { return servers_by_prog_id_.size(); }
  // The topic's latest value; none when it is not connected.
  std::optional<GridValue> TopicValue(const RtdCall& call) const;

 private:
  using TopicKey = std::vector<std::u16string>;  // ProgID, server, topics

  // Every cell's evaluation looks its topic up, and a sheet's keys share their ProgID and
  // server and differ late in the caller's address: hashed, not ordered.
  struct TopicKeyHash {
    size_t operator()(const TopicKey& key) const;
  };

  struct Topic {
    TopicKey key;
    GridValue value;
    std::set<CellAddress> cells;
  };

  struct Server {
    std::unique_ptr<RtdServerPort> port;
    RefreshThrottle throttle;
    size_t topics = 0;
  };

  static TopicKey KeyOf(const RtdCall& call);
  static const std::u16string& ProgIdOf(const Topic& topic) { return topic.key.front(); }
  void Disconnect(int32_t topic_id);

  RtdServerFactory& servers_;
  int64_t throttle_ms_ = RefreshThrottle::kDefaultIntervalMs;
  int32_t next_topic_id_ = 0;
  std::unordered_map<TopicKey, int32_t, TopicKeyHash> topic_ids_;
  std::map<int32_t, Topic> topics_;
  std::map<CellAddress, std::set<int32_t>> cell_topics_;
  std::map<std::u16string, Server> servers_by_prog_id_;
};

}  // namespace orra::xlhost
