#include "request/login_block.h"

#include <algorithm>
#include <cstring>

namespace orra {
namespace {

std::string ReadText(const LoginBlockBytes& bytes, size_t offset, size_t width) {
  const auto* begin = reinterpret_cast<const char*>(bytes.data() + offset);
  const auto* end = std::find(begin, begin + width, '\0');
  return std::string(begin, end);
}

void WriteText(LoginBlockBytes& bytes, size_t offset, size_t width, const std::string& text) {
  const size_t n = std::min(text.size(), width - 1);
  std::memcpy(bytes.data() + offset, text.data(), n);
}

}  // namespace

LoginBlock DecodeLoginBlock(const LoginBlockBytes& bytes) {
  LoginBlock block;
  block.user_gbk = ReadText(bytes, kLoginUserOffset, kLoginUserBytes);
  block.directory_gbk = ReadText(bytes, kLoginDirectoryOffset, kLoginDirectoryBytes);
  std::memcpy(&block.access, bytes.data() + kLoginAccessOffset, sizeof block.access);
  return block;
}

LoginBlockBytes EncodeLoginBlock(const LoginBlock& block) {
  LoginBlockBytes bytes{};
  WriteText(bytes, kLoginUserOffset, kLoginUserBytes, block.user_gbk);
  WriteText(bytes, kLoginDirectoryOffset, kLoginDirectoryBytes, block.directory_gbk);
  std::memcpy(bytes.data() + kLoginAccessOffset, &block.access, sizeof block.access);
  return bytes;
}

}  // namespace orra
