#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "tools/orra-terminal/login_block.h"

namespace orra::terminal {
namespace {

constexpr char kBlockName[] = "/CheckOrraLogin";
std::atomic<bool> g_stop{false};

void OnStopSignal(int) { g_stop.store(true); }

class PosixLoginBlock : public PublishedLoginBlock {
 public:
  explicit PosixLoginBlock(void* view) : view_(view) {}
  ~PosixLoginBlock() override {
    ::munmap(view_, kLoginBlockSize);
    ::shm_unlink(kBlockName);
  }

 private:
  void* view_;
};

}  // namespace

std::unique_ptr<PublishedLoginBlock> PublishLoginBlock(const LoginBlockBytes& bytes, std::string& error) {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  const int fd = ::shm_open(kBlockName, O_CREAT | O_RDWR, 0600);
  if (fd < 0) {
    error = std::string("shm_open ") + kBlockName + ": " + std::strerror(errno);
    return nullptr;
  }
  void* view = MAP_FAILED;
  if (::ftruncate(fd, kLoginBlockSize) == 0) {
    view = ::mmap(nullptr, kLoginBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  const int saved = errno;
  ::close(fd);
  if (view == MAP_FAILED) {
    error = std::string("cannot map ") + kBlockName + ": " + std::strerror(saved);
    ::shm_unlink(kBlockName);
    return nullptr;
  }
  std::memcpy(view, bytes.data(), bytes.size());
  return std::make_unique<PosixLoginBlock>(view);
}

bool WaitAWhile() {
  if (g_stop.load()) return false;
  ::usleep(100 * 1000);
  return !g_stop.load();
}

}  // namespace orra::terminal
