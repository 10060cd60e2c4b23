#pragma once
// The server's side of the query document: reads the serialised records back, bounded by the
// bytes present. The add-in never needs this; the stand-in server and the tests do.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orra {

struct DocumentEntry {
  std::string section;
  std::string key;
  std::string value;  // the value bytes up to the value length (a text keeps its zero)

  // The value as GBK text without its terminating zero.
  std::string Text() const;
  int32_t Integer() const;
};

// Every record in order, or nothing when a record length or value length passes the end, is
// shorter than a record head, or disagrees with the value length.
std::optional<std::vector<DocumentEntry>> ReadQueryDocument(std::span<const uint8_t> bytes);

// The entry of (section, key) compared as the document sorts them (ASCII case folded).
const DocumentEntry* FindEntry(const std::vector<DocumentEntry>& entries, std::string_view section,
                               std::string_view key);

}  // namespace orra
