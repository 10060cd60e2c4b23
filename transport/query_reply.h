#pragma once
// The body of a query reply (code 0x10010 from the server): an error flag, the length of the
// result table, and from offset 52 either the table or, when the flag is set, a GBK text that
// says why the query failed. The request keeps the reply block whole; this reads it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orra {

struct QueryReplyLayout {
  static constexpr size_t kErrorFlagOffset = 0;
  static constexpr size_t kTableLengthOffset = 16;
  static constexpr size_t kContentOffset = 52;
};

struct QueryReplyView {
  bool failed = false;
  std::string error_text;          // GBK, when failed
  std::span<const uint8_t> table;  // the result table, when not failed
};

// Nothing when the reply is shorter than its head or its table length is negative or passes
// the end. An error text without its zero ends at the end of the bytes.
std::optional<QueryReplyView> ReadQueryReply(std::span<const uint8_t> reply);

// The server side: a reply carrying `table`, or an error reply with `error_gbk`.
std::vector<uint8_t> MakeTableReply(std::span<const uint8_t> table);
std::vector<uint8_t> MakeErrorReply(std::string_view error_gbk);

}  // namespace orra
