#include "request/server_query_preparer.h"

#include <memory>
#include <optional>

#include "common/text_conversion.h"
#include "transport/query_job.h"

namespace orra {
namespace {

std::optional<std::u16string> ParameterValue(const tagRequest& record, const COrraData& store,
                                             const std::u16string& name) {
  auto it = record.parameters.find(name);
  if (it != record.parameters.end()) return it->second;
  return store.FindVariable(name);
}

std::u16string ParameterName(const std::string& gbk) {
  std::u16string name = ToWideString(gbk);
  if (name.size() > ServerQueryPreparer::kMaxNameUnits) name.resize(ServerQueryPreparer::kMaxNameUnits);
  return name;
}

}  // namespace

bool BuildQueryDocument(const tagRequest& record, const IndicatorDescriptor& descriptor, const COrraData& store,
                        dozodavu_netcfg& document) {
  if (!document.SetVersion()) return false;
  int32_t pair = document.PairCount();
  const auto add = [&](const std::u16string& name) {
    const std::optional<std::u16string> value = ParameterValue(record, store, name);
    if (!value) return true;
    return document.SetPair(pair++, name, *value);
  };
  if (!add(ServerQueryPreparer::kSecurityCodeKey)) return false;
  for (const std::string& name : descriptor.parameters) {
    if (name.empty()) break;
    if (!add(ParameterName(name))) return false;
  }
  const std::u16string user = store.FindVariable(ServerQueryPreparer::kUserNameKey).value_or(ServerQueryPreparer::kNoUserName);
  if (!document.SetPair(pair, ServerQueryPreparer::kUserNameKey, user)) return false;
  return document.SetPairCount(pair + 1) && document.SetServicePath(ToWideString(descriptor.service));
}

PreparedQuery ServerQueryPreparer::Prepare(const tagRequest& record) {
  PreparedQuery prepared;
  const std::optional<IndicatorDescriptor> descriptor = store_.FindIndicator(record.indicator_name);
  if (!descriptor) return prepared;  // kNoIndicator
  prepared.outcome = PreparedQuery::Outcome::kReady;
  prepared.value_kind = descriptor->value_kind;
  prepared.decimals = descriptor->decimals;
  prepared.alignment = descriptor->alignment;
  prepared.date_style = descriptor->date_style;

  dozodavu_netcfg document;
  std::shared_ptr<QueryJob> job;
  if (BuildQueryDocument(record, *descriptor, store_, document)) {
    job = QueryJob::ForQuery(record.topic_id, record.service_name, document);
  }
  prepared.post = [this, job]() mutable {
    if (!job) return false;
    queue_.PushTail(std::make_unique<QueryJob>(std::move(*job)));
    return true;
  };
  return prepared;
}

}  // namespace orra
