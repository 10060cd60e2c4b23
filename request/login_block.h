#pragma once
// The terminal's login block "CheckOrraLogin": who is logged in, the terminal's data
// directory and the access state, 392 bytes, texts in GBK.
//
//   offset   0, 128 bytes: user name, zero-terminated
//   offset 128, 256 bytes: data directory, zero-terminated, ending with a separator
//   offset 384, int32:     access state, 1 = may use the add-in
//   offset 388, 4 bytes:   not used

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace orra {

constexpr char kLoginBlockName[] = "CheckOrraLogin";
constexpr size_t kLoginBlockSize = 392;
constexpr size_t kLoginUserOffset = 0;
constexpr size_t kLoginUserBytes = 128;
constexpr size_t kLoginDirectoryOffset = 128;
constexpr size_t kLoginDirectoryBytes = 256;
constexpr size_t kLoginAccessOffset = 384;
constexpr int32_t kAccessGranted = 1;

using LoginBlockBytes = std::array<uint8_t, kLoginBlockSize>;

struct LoginBlock {
  std::string user_gbk;
  std::string directory_gbk;
  int32_t access = 0;
};

// Reads the fields; a text without its terminator ends at its field's end.
LoginBlock DecodeLoginBlock(const LoginBlockBytes& bytes);
// Lays the fields out; texts longer than their field less one byte are cut.
LoginBlockBytes EncodeLoginBlock(const LoginBlock& block);

// Port: a copy of the first 392 bytes of the named block, opened for writing as the terminal
// expects of its readers.
class LoginBlockReader {
 public:
  enum class Result { kOk, kMissing, kMapFailed };
  virtual ~LoginBlockReader() = default;
  virtual Result Read(LoginBlockBytes& bytes) = 0;
};

// The platform's named shared memory: a file mapping on Windows, POSIX shared memory
// "/<name>" elsewhere. The add-in reads kLoginBlockName; tests use names of their own. The
// terminal's side, which creates the block, is not the product's: the stand-in terminal has it.
std::unique_ptr<LoginBlockReader> MakeLoginBlockReader(const std::string& name = kLoginBlockName);

}  // namespace orra
