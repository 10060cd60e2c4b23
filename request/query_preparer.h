#pragma once
// Port between the query worker and what it needs to send one request: the local data store
// (the indicator's descriptor, the variables) and the job queue of the server connection.
// Called on the query worker's thread, with a copy of the record and no lock held.

#include <cstdint>
#include <functional>

#include "request/request.h"

namespace orra {

struct PreparedQuery {
  enum class Outcome {
    kNoIndicator,   // the indicator is not in the dictionary: the record gets status 9
    kNoDescriptor,  // the dictionary entry has no descriptor: nothing is sent
    kReady,         // `post` sends the query
  };
  Outcome outcome = Outcome::kNoIndicator;
  // The indicator's display attributes, copied into the record before the query is posted.
  uint8_t value_kind = 0;
  uint8_t decimals = 0;
  uint8_t alignment = 0;
  uint8_t date_style = 0;
  // Appends the query job to the job queue; false when it could not (out of memory).
  std::function<bool()> post;
};

class QueryPreparer {
 public:
  virtual ~QueryPreparer() = default;
  virtual PreparedQuery Prepare(const tagRequest& record) = 0;
};

}  // namespace orra
