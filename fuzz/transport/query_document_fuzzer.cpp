// A query payload as the stand-in server reads it: the head and the document's records.
#include <cstddef>
#include <cstdint>

#include "testing/query_document_reader.h"
#include "transport/query_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  (void)orra::ReadQueryDocument(bytes);
  if (const auto payload = orra::ReadQueryPayload(bytes)) {
    if (const auto entries = orra::ReadQueryDocument(payload->document)) {
      (void)orra::FindEntry(*entries, "!", "~count");
    }
  }
  return 0;
}
