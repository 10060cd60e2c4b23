#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "testing/login_block_publisher.h"

namespace orra {
namespace {

// An open descriptor, closed with the object.
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

// The named object, removed with its owner: the block disappears when the terminal ends, and
// a publication that fails half-way leaves nothing behind.
class SharedMemoryObject {
 public:
  explicit SharedMemoryObject(std::string name) : name_(std::move(name)) {}
  ~SharedMemoryObject() { shm_unlink(name_.c_str()); }
  SharedMemoryObject(const SharedMemoryObject&) = delete;
  SharedMemoryObject& operator=(const SharedMemoryObject&) = delete;

 private:
  std::string name_;
};

struct Unmap {
  void operator()(void* view) const { munmap(view, kLoginBlockSize); }
};
using MappedBlock = std::unique_ptr<void, Unmap>;

class ShmLoginBlockPublisher final : public LoginBlockPublisher {
 public:
  // The view is declared last so that it is unmapped before the object is removed.
  ShmLoginBlockPublisher(std::unique_ptr<SharedMemoryObject> object, MappedBlock view)
      : object_(std::move(object)), view_(std::move(view)) {}
  void Update(const LoginBlockBytes& bytes) override { std::memcpy(view_.get(), bytes.data(), kLoginBlockSize); }

 private:
  std::unique_ptr<SharedMemoryObject> object_;
  MappedBlock view_;
};

std::string ErrnoText(const char* what, const std::string& name) {
  return std::string(what) + " " + name + ": " + std::strerror(errno);
}

}  // namespace

std::unique_ptr<LoginBlockPublisher> PublishLoginBlock(const std::string& name, const LoginBlockBytes& bytes,
                                                       std::string& error) {
  const std::string shm = "/" + name;
  const int opened = shm_open(shm.c_str(), O_RDWR | O_CREAT, 0644);
  if (opened < 0) {
    error = ErrnoText("shm_open", shm);
    return nullptr;
  }
  auto object = std::make_unique<SharedMemoryObject>(shm);
  const Descriptor fd(opened);
  if (ftruncate(fd.get(), static_cast<off_t>(kLoginBlockSize)) != 0) {
    error = ErrnoText("ftruncate", shm);
    return nullptr;
  }
  void* view = mmap(nullptr, kLoginBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.get(), 0);
  if (view == MAP_FAILED) {
    error = ErrnoText("mmap", shm);
    return nullptr;
  }
  auto publisher = std::make_unique<ShmLoginBlockPublisher>(std::move(object), MappedBlock(view));
  publisher->Update(bytes);
  return publisher;
}

}  // namespace orra
