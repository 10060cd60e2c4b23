#pragma once
// The terminal's login block "CheckOrraLogin" (392 bytes): user name (128 bytes) and data
// directory (256 bytes), both GBK and zero-terminated, then the signed 32-bit access state
// (1: logged in with permission) and 4 unused bytes.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace orra::terminal {

constexpr size_t kLoginBlockSize = 392;
using LoginBlockBytes = std::array<uint8_t, kLoginBlockSize>;

// Lays out the block; texts too long for their fields are cut, keeping the terminator.
LoginBlockBytes MakeLoginBlock(const std::string& gbk_user, const std::string& gbk_directory, int32_t access);

// Port: the named shared memory the add-in opens. Windows: a file mapping "CheckOrraLogin";
// elsewhere POSIX shared memory "/CheckOrraLogin". Published while the object lives.
class PublishedLoginBlock {
 public:
  virtual ~PublishedLoginBlock() = default;
};

// None (with a message in `error`) when the block cannot be created.
std::unique_ptr<PublishedLoginBlock> PublishLoginBlock(const LoginBlockBytes& bytes, std::string& error);

// Sleeps about 100 ms; false once the process was asked to stop (Ctrl-C, SIGTERM).
bool WaitAWhile();

}  // namespace orra::terminal
