#include "tools/orra-server/fault_mode.h"

#include <limits>

#include "common/decimal_text.h"

namespace orra::server {
namespace {
struct Named {
  std::string_view name;
  Fault::Kind kind;
};
constexpr Named kNames[] = {{"none", Fault::Kind::kNone},
                            {"drop-mid-header", Fault::Kind::kDropMidHeader},
                            {"drop-mid-body", Fault::Kind::kDropMidBody},
                            {"corrupt-zlib", Fault::Kind::kCorruptZlib},
                            {"wrong-length", Fault::Kind::kWrongLength},
                            {"huge-length", Fault::Kind::kHugeLength},
                            {"slow", Fault::Kind::kSlow}};
constexpr std::string_view kCloseAfter = "close-after=";
}  // namespace

std::optional<Fault> ParseFault(std::string_view text) {
  for (const Named& n : kNames) {
    if (text == n.name) return Fault{n.kind, 0};
  }
  if (text.substr(0, kCloseAfter.size()) != kCloseAfter) return std::nullopt;
  constexpr DecimalRange kCountRange{0, std::numeric_limits<int>::max()};
  const std::optional<int64_t> count = ReadWholeDecimal(text.substr(kCloseAfter.size()), kCountRange);
  if (!count) return std::nullopt;
  return Fault{Fault::Kind::kCloseAfter, static_cast<int>(*count)};
}

std::string FaultName(const Fault& fault) {
  if (fault.kind == Fault::Kind::kCloseAfter) return std::string(kCloseAfter) + std::to_string(fault.count);
  for (const Named& n : kNames) {
    if (n.kind == fault.kind) return std::string(n.name);
  }
  return "none";
}

}  // namespace orra::server
