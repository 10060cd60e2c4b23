#pragma once
// The terminal's side of the login block (request/login_block.h): it creates the named shared
// memory the add-in reads and keeps it for as long as it lives. The stand-in terminal, the
// tests and the benchmarks log in through it; the add-in only ever reads the block.

#include <memory>
#include <string>

#include "request/login_block.h"

namespace orra {

class LoginBlockPublisher {
 public:
  virtual ~LoginBlockPublisher() = default;
  // Replaces the block's bytes.
  virtual void Update(const LoginBlockBytes& bytes) = 0;
};

// Creates the block `name` with `bytes`: POSIX shared memory "/<name>", or a file mapping on
// Windows. Null when the block cannot be created; `error` then says why. The block goes away
// with the publisher.
std::unique_ptr<LoginBlockPublisher> PublishLoginBlock(const std::string& name, const LoginBlockBytes& bytes,
                                                       std::string& error);

}  // namespace orra
