#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "request/login_block.h"

namespace orra {
namespace {

std::string ShmName(const std::string& name) { return "/" + name; }

class ShmLoginBlockReader final : public LoginBlockReader {
 public:
  explicit ShmLoginBlockReader(std::string name) : name_(ShmName(name)) {}
  Result Read(LoginBlockBytes& bytes) override {
    const int fd = shm_open(name_.c_str(), O_RDWR, 0);
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

 private:
  std::string name_;
};

class ShmLoginBlockPublisher final : public LoginBlockPublisher {
 public:
  ShmLoginBlockPublisher(std::string name, void* view) : name_(std::move(name)), view_(view) {}
  ~ShmLoginBlockPublisher() override {
    munmap(view_, kLoginBlockSize);
    shm_unlink(name_.c_str());
  }
  void Update(const LoginBlockBytes& bytes) override { std::memcpy(view_, bytes.data(), kLoginBlockSize); }

 private:
  std::string name_;
  void* view_;
};

}  // namespace

std::unique_ptr<LoginBlockReader> MakeLoginBlockReader(const std::string& name) {
  return std::make_unique<ShmLoginBlockReader>(name);
}

std::unique_ptr<LoginBlockPublisher> PublishLoginBlock(const std::string& name, const LoginBlockBytes& bytes,
                                                       std::string& error) {
  const std::string shm = ShmName(name);
  const int fd = shm_open(shm.c_str(), O_RDWR | O_CREAT, 0644);
  if (fd < 0) {
    error = "shm_open " + shm + ": " + std::strerror(errno);
    return nullptr;
  }
  if (ftruncate(fd, static_cast<off_t>(kLoginBlockSize)) != 0) {
    error = "ftruncate " + shm + ": " + std::strerror(errno);
    close(fd);
    return nullptr;
  }
  void* view = mmap(nullptr, kLoginBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (view == MAP_FAILED) {
    error = "mmap " + shm + ": " + std::strerror(errno);
    return nullptr;
  }
  auto publisher = std::make_unique<ShmLoginBlockPublisher>(shm, view);
  publisher->Update(bytes);
  return publisher;
}

}  // namespace orra
