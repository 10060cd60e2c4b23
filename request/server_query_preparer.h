#pragma once
// The query worker's real preparer: the indicator's descriptor and the variables from the
// local data store, the query document the server reads, and the job for the connection
// thread's queue. Runs on the query worker's thread.

#include "request/query_preparer.h"
#include "store/orra_data.h"
#include "transport/job_queue.h"
#include "transport/query_document.h"

namespace orra {

class ServerQueryPreparer final : public QueryPreparer {
 public:
  static constexpr char16_t kUserNameKey[] = u"@@UserName";
  static constexpr char16_t kNoUserName[] = u"GetUserNameFailed";
  static constexpr char16_t kSecurityCodeKey[] = u"@seccode@";
  static constexpr size_t kMaxNameUnits = 255;

  ServerQueryPreparer(COrraData& store, JobQueue& queue) : store_(store), queue_(queue) {}
  PreparedQuery Prepare(const tagRequest& record) override;

 private:
  COrraData& store_;
  JobQueue& queue_;
};

// Fills `document` for `record`: "~ver", the pairs of the parameters the descriptor names
// (first "@seccode@"), "@@UserName", "~count" and "@". False when memory runs out.
bool BuildQueryDocument(const tagRequest& record, const IndicatorDescriptor& descriptor, const COrraData& store,
                        dozodavu_netcfg& document);

}  // namespace orra
