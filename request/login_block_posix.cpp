#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "request/login_block.h"

namespace orra {
namespace {

// An open descriptor of the block, closed with the object.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { close(fd_); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// A mapping of the block's first kLoginBlockSize bytes, unmapped with the object.
struct Unmap {
  void operator()(void* view) const { munmap(view, kLoginBlockSize); }
};
using MappedBlock = std::unique_ptr<void, Unmap>;

class ShmLoginBlockReader final : public LoginBlockReader {
 public:
  explicit ShmLoginBlockReader(const std::string& name) : name_("/" + name) {}
  Result Read(LoginBlockBytes& bytes) override {
    const int opened = shm_open(name_.c_str(), O_RDWR, 0);
    if (opened < 0) return Result::kMissing;
    const Descriptor fd(opened);
    // A block smaller than the layout would be read past its end.
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || st.st_size < static_cast<off_t>(kLoginBlockSize)) return Result::kMapFailed;
    void* view = mmap(nullptr, kLoginBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
    if (view == MAP_FAILED) return Result::kMapFailed;
    const MappedBlock block(view);
    std::memcpy(bytes.data(), block.get(), kLoginBlockSize);
    return Result::kOk;
  }

 private:
  std::string name_;
};

}  // namespace

std::unique_ptr<LoginBlockReader> MakeLoginBlockReader(const std::string& name) {
  return std::make_unique<ShmLoginBlockReader>(name);
}

}  // namespace orra
