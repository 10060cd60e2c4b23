#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "request/login_block.h"

namespace orra {
namespace {

class ShmLoginBlockReader final : public LoginBlockReader {
 public:
  Result Read(LoginBlockBytes& bytes) override {
    const int fd = shm_open("/CheckOrraLogin", O_RDWR, 0);
    if (fd < 0) return Result::kMissing;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kLoginBlockSize)) {
      close(fd);
      return Result::kMapFailed;
    }
    void* view = mmap(nullptr, kLoginBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (view == MAP_FAILED) return Result::kMapFailed;
    std::memcpy(bytes.data(), view, kLoginBlockSize);
    munmap(view, kLoginBlockSize);
    return Result::kOk;
  }
};

}  // namespace

LoginBlockReader& SystemLoginBlockReader() {
  static ShmLoginBlockReader reader;
  return reader;
}

}  // namespace orra
