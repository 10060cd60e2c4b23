// A query reply and its result table, read as text and as numbers in every cell.
#include <cstddef>
#include <cstdint>

#include "transport/query_reply.h"
#include "transport/result_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto reply = orra::ReadQueryReply(bytes);
  // Also the bytes as a bare table, which is how most inputs reach the table reader.
  for (const auto table_bytes : {reply ? reply->table : std::span<const uint8_t>(), bytes}) {
    orra::ResultSet table;
    if (!table.Open(table_bytes)) continue;
    int rows = 0;
    for (bool on = table.First(); on && rows < 4096; on = table.Next(), ++rows) {
      for (int c = 0; c < table.ColumnCount(); ++c) {
        (void)table.Text(c);
        (void)table.Number(c);
        (void)table.ColumnWidth(c);
      }
    }
  }
  return 0;
}
