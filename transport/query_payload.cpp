#include "transport/query_payload.h"

#include "transport/query_document.h"
#include "transport/wire_bytes.h"

namespace orra {

using P = QueryPayloadLayout;

size_t WriteQueryPayload(uint8_t* destination, std::string_view service_gbk, const dozodavu_config& document) {
  PutFixedText(destination + P::kServiceOffset, P::kServiceWidth, service_gbk);
  const size_t size = document.Size();
  PutU32(destination + P::kDocumentSizeOffset, static_cast<uint32_t>(size));
  document.Serialise(destination + P::kHeadSize);
  destination[P::kHeadSize + size] = 0;
  return size + P::kOverhead;
}

std::optional<QueryPayloadView> ReadQueryPayload(std::span<const uint8_t> payload) {
  if (payload.size() < P::kHeadSize) return std::nullopt;
  const uint32_t size = GetU32(payload.data() + P::kDocumentSizeOffset);
  if (size > payload.size() - P::kHeadSize) return std::nullopt;
  QueryPayloadView view;
  view.service = std::string(GetFixedText(payload.data() + P::kServiceOffset, P::kServiceWidth));
  view.document = payload.subspan(P::kHeadSize, size);
  return view;
}

}  // namespace orra
