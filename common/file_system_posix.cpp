#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "common/file_system.h"
#include "common/utf8.h"

namespace orra {
namespace {

constexpr size_t kMaxFileBytes = size_t{1} << 30;

std::string NativePath(const std::u16string& path) {
  std::u16string mapped = path;
  for (char16_t& c : mapped) {
    if (c == u'\\') c = u'/';
  }
  return ToUtf8(mapped);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

class PosixFileSystem : public FileSystem {
 public:
  std::optional<std::vector<uint8_t>> ReadAll(const std::u16string& path, Access access) override {
    Descriptor file(::open(NativePath(path).c_str(), (access == Access::kReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC));
    if (file.get() < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    if (static_cast<uint64_t>(info.st_size) > kMaxFileBytes) return std::nullopt;
    // Sized from fstat, but read to the real end: the terminal may write the file meanwhile.
    std::vector<uint8_t> bytes(static_cast<size_t>(info.st_size) + 1);
    size_t done = 0;
    for (;;) {
      if (done == bytes.size()) {
        if (bytes.size() > kMaxFileBytes) return std::nullopt;
        bytes.resize(bytes.size() * 2);
      }
      const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return std::nullopt;
      if (n == 0) break;
      done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return bytes;
  }

  std::optional<std::u16string> WriteTemporaryBeside(const std::u16string& target,
                                                    std::span<const uint8_t> bytes) override {
    const std::string native_target = NativePath(target);
    std::string name = native_target + ".XXXXXX";
    Descriptor file(::mkstemp(name.data()));
    if (file.get() < 0) return std::nullopt;
    struct stat old {};
    // mkstemp makes the file private; the new content gets the old file's mode, or a new file's.
    ::fchmod(file.get(), ::stat(native_target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const bool written = WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (!file.Close() || !written) {
      ::unlink(name.c_str());
      return std::nullopt;
    }
    return FromUtf8(name);
  }

  bool Replace(const std::u16string& source, const std::u16string& target) override {
    return ::rename(NativePath(source).c_str(), NativePath(target).c_str()) == 0;
  }

  bool WriteInPlace(const std::u16string& path, std::span<const uint8_t> bytes) override {
    Descriptor file(::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.get() < 0) return false;
    const bool written = WriteAll(file.get(), bytes);
    return file.Close() && written;
  }

  bool Remove(const std::u16string& path) override { return ::unlink(NativePath(path).c_str()) == 0; }
  bool IsFile(const std::u16string& path) override {
    struct stat status {};
    return ::stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  // Never destroyed: the process's store writes its files back from its own destructor at exit,
  // which may run after this function's statics are gone.
  static PosixFileSystem* files = new PosixFileSystem;
  return *files;
}

}  // namespace orra
