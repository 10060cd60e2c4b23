#include "tools/orra-terminal/login_block.h"

#include <algorithm>
#include <cstring>

namespace orra::terminal {
namespace {
constexpr size_t kUserWidth = 128;
constexpr size_t kDirectoryOffset = 128;
constexpr size_t kDirectoryWidth = 256;
constexpr size_t kAccessOffset = 384;
}  // namespace

LoginBlockBytes MakeLoginBlock(const std::string& gbk_user, const std::string& gbk_directory, int32_t access) {
  LoginBlockBytes block{};
  std::memcpy(block.data(), gbk_user.data(), std::min(gbk_user.size(), kUserWidth - 1));
  std::memcpy(block.data() + kDirectoryOffset, gbk_directory.data(), std::min(gbk_directory.size(), kDirectoryWidth - 1));
  const auto bits = static_cast<uint32_t>(access);
  for (size_t i = 0; i < 4; ++i) block[kAccessOffset + i] = static_cast<uint8_t>(bits >> (8 * i));
  return block;
}

}  // namespace orra::terminal
