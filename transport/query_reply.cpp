#include "transport/query_reply.h"

#include <cstring>

#include "transport/wire_bytes.h"

namespace orra {

using R = QueryReplyLayout;

std::optional<QueryReplyView> ReadQueryReply(std::span<const uint8_t> reply) {
  if (reply.size() < R::kContentOffset) return std::nullopt;
  QueryReplyView view;
  const auto content = reply.subspan(R::kContentOffset);
  view.failed = GetU32(reply.data() + R::kErrorFlagOffset) != 0;
  if (view.failed) {
    view.error_text = std::string(GetFixedText(content.data(), content.size()));
    return view;
  }
  const int32_t length = GetI32(reply.data() + R::kTableLengthOffset);
  if (length < 0 || static_cast<size_t>(length) > content.size()) return std::nullopt;
  view.table = content.first(static_cast<size_t>(length));
  return view;
}

std::vector<uint8_t> MakeTableReply(std::span<const uint8_t> table) {
  std::vector<uint8_t> reply(R::kContentOffset + table.size());
  PutU32(reply.data() + R::kTableLengthOffset, static_cast<uint32_t>(table.size()));
  if (!table.empty()) std::memcpy(reply.data() + R::kContentOffset, table.data(), table.size());
  return reply;
}

std::vector<uint8_t> MakeErrorReply(std::string_view error_gbk) {
  std::vector<uint8_t> reply(R::kContentOffset + error_gbk.size() + 1);
  PutU32(reply.data() + R::kErrorFlagOffset, 1);
  error_gbk.copy(reinterpret_cast<char*>(reply.data() + R::kContentOffset), error_gbk.size());
  return reply;
}

}  // namespace orra
