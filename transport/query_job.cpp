#include "transport/query_job.h"

#include "common/text_conversion.h"
#include "transport/heartbeat_payload.h"
#include "transport/message_code.h"
#include "transport/query_document.h"
#include "transport/query_payload.h"

namespace orra {

std::unique_ptr<QueryJob> QueryJob::ForQuery(TopicId context, std::u16string_view service,
                                             const dozodavu_config& document) {
  auto job = std::make_unique<QueryJob>();
  job->message_code = MessageCode::kQuery;
  job->context = context;
  // The block the query worker takes: document size + 222 bytes, of which the payload uses
  // document size + 129.
  constexpr size_t kBlockBeyondDocument = 222;
  const size_t size = document.Size();
  job->payload = PooledBlock::Create(size + kBlockBeyondDocument);
  if (!job->payload) return nullptr;
  const size_t length = WriteQueryPayload(job->payload->data(), ToNarrowString(service), document);
  job->payload->Resize(length);
  // Packed here, on the query worker, so that the connection thread, which every frame of the
  // add-in passes through, only writes it.
  job->packed = FrameCodec::Pack(job->bytes());
  return job;
}

std::unique_ptr<QueryJob> QueryJob::ForHeartbeat(const TrafficTotals& totals) {
  const auto bytes = MakeHeartbeatPayload(totals);
  auto job = std::make_unique<QueryJob>();
  job->message_code = MessageCode::kHeartbeat;
  job->payload = PooledBlock::CopyOf(bytes);
  if (!job->payload) return nullptr;
  return job;
}

}  // namespace orra
