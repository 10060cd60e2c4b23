#include "tools/xlhost/rtd_client.h"

#include <functional>

#include "xll/xl_constants.h"

namespace orra::xlhost {

size_t RtdClient::TopicKeyHash::operator()(const TopicKey& key) const {
  // The boost-style mix, so that keys differing in one string spread over the buckets.
  constexpr size_t kMix = 0x9e3779b97f4a7c15ULL;
  size_t hash = key.size();
  for (const std::u16string& text : key) {
    hash ^= std::hash<std::u16string>{}(text) + kMix + (hash << 6) + (hash >> 2);
  }
  return hash;
}

RtdClient::TopicKey RtdClient::KeyOf(const RtdCall& call) {
  TopicKey key{call.prog_id, call.server};
  key.insert(key.end(), call.topics.begin(), call.topics.end());
  return key;
}

GridValue RtdClient::Value(const RtdCall& call) {
  TopicKey key = KeyOf(call);
  if (const auto known = topic_ids_.find(key); known != topic_ids_.end()) {
    return topics_.at(known->second).value;
  }
  auto server = servers_by_prog_id_.find(call.prog_id);
  if (server == servers_by_prog_id_.end()) {
    std::unique_ptr<RtdServerPort> port = servers_.Start(call.prog_id);
    if (!port) return ErrorValue{xlerrNA};
    RefreshThrottle throttle;
    throttle.set_interval_ms(throttle_ms_);
    server = servers_by_prog_id_.emplace(call.prog_id, Server{std::move(port), throttle, 0}).first;
  }
  const int32_t topic_id = next_topic_id_++;
  std::optional<GridValue> value = server->second.port->ConnectData(topic_id, call.topics);
  if (!value) return ErrorValue{xlerrNA};
  topic_ids_.emplace(key, topic_id);
  topics_.emplace(topic_id, Topic{std::move(key), *value, {}});
  ++server->second.topics;
  return *value;
}

void RtdClient::SetCellCalls(CellAddress cell, const std::vector<RtdCall>& calls) {
  std::set<int32_t> now_used;
  for (const RtdCall& call : calls) {
    const auto known = topic_ids_.find(KeyOf(call));
    if (known == topic_ids_.end()) continue;  // never connected: its server failed it
    now_used.insert(known->second);
    topics_.at(known->second).cells.insert(cell);
  }
  const auto previous = cell_topics_.find(cell);
  if (previous != cell_topics_.end()) {
    for (const int32_t topic_id : previous->second) {
      if (now_used.count(topic_id) != 0) continue;
      const auto topic = topics_.find(topic_id);
      if (topic == topics_.end()) continue;
      topic->second.cells.erase(cell);
      if (topic->second.cells.empty()) Disconnect(topic_id);
    }
  }
  if (now_used.empty()) {
    cell_topics_.erase(cell);
  } else {
    cell_topics_[cell] = std::move(now_used);
  }
}

void RtdClient::Disconnect(int32_t topic_id) {
  const auto topic = topics_.find(topic_id);
  const std::u16string prog_id = ProgIdOf(topic->second);
  topic_ids_.erase(topic->second.key);
  topics_.erase(topic);
  const auto server = servers_by_prog_id_.find(prog_id);
  server->second.port->DisconnectData(topic_id);
  // Excel terminates a server once no cell needs any of its topics.
  if (--server->second.topics == 0) {
    server->second.port->Terminate();
    servers_by_prog_id_.erase(server);
  }
}

std::vector<CellAddress> RtdClient::Refresh(int64_t now_ms) {
  std::set<CellAddress> changed;
  for (auto& [prog_id, server] : servers_by_prog_id_) {
    if (server.port->TakeUpdateNotice()) server.throttle.Notified();
    if (!server.throttle.Due(now_ms)) continue;
    server.throttle.Refreshed(now_ms);
    const std::optional<std::vector<TopicUpdate>> updates = server.port->RefreshData();
    if (!updates) continue;
    for (const TopicUpdate& update : *updates) {
      const auto topic = topics_.find(update.topic_id);
      // A server may only report its own topics; anything else is ignored, as Excel does.
      if (topic == topics_.end() || ProgIdOf(topic->second) != prog_id) continue;
      topic->second.value = update.value;
      changed.insert(topic->second.cells.begin(), topic->second.cells.end());
    }
  }
  return {changed.begin(), changed.end()};
}

void RtdClient::TerminateAll() {
  for (const auto& [topic_id, topic] : topics_) {
    servers_by_prog_id_.at(ProgIdOf(topic)).port->DisconnectData(topic_id);
  }
  for (auto& [prog_id, server] : servers_by_prog_id_) server.port->Terminate();
  servers_by_prog_id_.clear();
  topics_.clear();
  topic_ids_.clear();
  cell_topics_.clear();
}

void RtdClient::set_throttle_ms(int64_t interval_ms) {
  throttle_ms_ = interval_ms;
  for (auto& [prog_id, server] : servers_by_prog_id_) server.throttle.set_interval_ms(interval_ms);
}

std::optional<GridValue> RtdClient::TopicValue(const RtdCall& call) const {
  const auto known = topic_ids_.find(KeyOf(call));
  if (known == topic_ids_.end()) return std::nullopt;
  return topics_.at(known->second).value;
}

}  // namespace orra::xlhost
