#include "tools/orra-server/fault_mode.h"

#include <charconv>

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
  const std::string_view digits = text.substr(kCloseAfter.size());
  int count = -1;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (ec != std::errc() || end != digits.data() + digits.size() || count < 0) return std::nullopt;
  return Fault{Fault::Kind::kCloseAfter, count};
}

std::string FaultName(const Fault& fault) {
  if (fault.kind == Fault::Kind::kCloseAfter) return std::string(kCloseAfter) + std::to_string(fault.count);
  for (const Named& n : kNames) {
    if (n.kind == fault.kind) return std::string(n.name);
  }
  return "none";
}

}  // namespace orra::server
