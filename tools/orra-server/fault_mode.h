#pragma once
// The ways the stand-in server can misbehave on purpose when it answers a query, for the
// client's reliability tests.

#include <optional>
#include <string>
#include <string_view>

namespace orra::server {

struct Fault {
  enum class Kind {
    kNone,
    kDropMidHeader,  // sends half a reply header, then closes
    kDropMidBody,    // sends the header and half the body, then closes
    kCorruptZlib,    // damages the packed body
    kWrongLength,    // announces one byte more than the body inflates to
    kHugeLength,     // announces a body of about 2 GiB and sends nothing more
    kSlow,           // trickles the reply a few bytes at a time
    kCloseAfter,     // closes each connection after `count` replies
  };
  Kind kind = Kind::kNone;
  int count = 0;
};

// "drop-mid-header", ..., "slow", "close-after=N"; nothing for an unknown text.
std::optional<Fault> ParseFault(std::string_view text);
std::string FaultName(const Fault& fault);

}  // namespace orra::server
