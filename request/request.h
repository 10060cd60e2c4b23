#pragma once
// tagRequest: one data request per connected RTD topic, from ConnectData until
// DisconnectData. The request dictionary holds the only copy that outlives a call; every other
// thread works on copies taken under the dictionary's lock.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "common/pooled_block.h"
#include "common/topic_id.h"

namespace orra {

enum class RequestStatus : uint8_t {
  kPending = 0,       // queued for the worker or waiting for the server's answer
  kAnswered = 1,      // the result block holds the server's answer
  kNotLoggedIn = 3,   // nobody is logged in at the terminal
  kTimedOut = 6,      // the server did not answer in time, or the job was dropped
  kNoIndicator = 9,   // the indicator is not in the local indicator dictionary
  kNoPermission = 12  // the logged-in user lacks the right
};

constexpr uint8_t kUnsetFunctionId = 255;
constexpr uint8_t kFunctionCount = 35;  // function ids 0..34
constexpr size_t kCallerAddressUnits = 128;
constexpr size_t kIndicatorNameUnits = 128;
constexpr size_t kServiceNameUnits = 64;

// What a worksheet function last showed of a record's answer in its calling cell, and the
// format it last set there (xll/shown_answer.h). The request layer only carries it with the
// record, so that it goes with the record and a reply can be told apart from the one shown.
struct ShownAnswer;

// Named parameters; keys compare ordinally by UTF-16 unit, case-sensitive.
using RequestParameters = std::map<std::u16string, std::u16string>;

struct tagRequest {
  uint8_t function_id = kUnsetFunctionId;
  uint8_t status = static_cast<uint8_t>(RequestStatus::kPending);
  uint8_t connected = 1;
  uint8_t delivered = 0;
  TopicId topic_id = 0;
  char16_t caller_address[kCallerAddressUnits] = {};
  char16_t indicator_name[kIndicatorNameUnits] = {};
  char16_t service_name[kServiceNameUnits] = {u'x', u'd', u'b', u'r', 0};
  uint8_t value_kind = 0;  // 0 text, 1 date or time, 2 number
  uint8_t alignment = 0;
  uint8_t date_style = 0;
  uint8_t decimals = 0;
  RequestParameters parameters;
  // The body of the server's answer; null until answered. Shared, so that a worksheet function
  // renders it outside the dictionary's lock while the connection thread may replace it.
  SharedBlock result;
  // Kept by the worksheet function (RequestsDictionary::KeepShown); null until first shown.
  std::shared_ptr<const ShownAnswer> shown;

  tagRequest() = default;
  explicit tagRequest(TopicId topic) : topic_id(topic) {}

  RequestStatus Status() const { return static_cast<RequestStatus>(status); }
  void SetStatus(RequestStatus s) { status = static_cast<uint8_t>(s); }
  std::u16string CallerAddress() const { return caller_address; }
  std::u16string IndicatorName() const { return indicator_name; }
  std::u16string ServiceName() const { return service_name; }
};

}  // namespace orra
