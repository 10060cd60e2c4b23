#include <windows.h>

#include <algorithm>
#include <string>

#include "common/file_system.h"

namespace orra {
namespace {

constexpr uint64_t kMaxFileBytes = uint64_t{1} << 30;

std::wstring NativePath(const std::u16string& path) {
  std::wstring mapped(path.begin(), path.end());
  for (wchar_t& c : mapped) {
    if (c == L'/') c = L'\\';
  }
  return mapped;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  bool Close() {
    const HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(h) != 0;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

class Win32FileSystem : public FileSystem {
 public:
  std::optional<std::vector<uint8_t>> ReadAll(const std::u16string& path, Access access) override {
    const DWORD desired = access == Access::kReadWrite ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    Handle file(::CreateFileW(NativePath(path).c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) {
      return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD read = 0;
      if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr)) {
        return std::nullopt;
      }
      if (read == 0) break;
      done += read;
    }
    bytes.resize(done);
    return bytes;
  }

  std::optional<std::u16string> WriteTemporaryBeside(const std::u16string& target,
                                                    std::span<const uint8_t> bytes) override {
    wchar_t name[MAX_PATH + 1] = {};
    if (::GetTempFileNameW(FolderOf(NativePath(target)).c_str(), L"orr", 0, name) == 0) return std::nullopt;
    bool written = false;
    {
      Handle file(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      written = file.valid() && WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get()) && file.Close();
    }
    if (!written) {
      ::DeleteFileW(name);
      return std::nullopt;
    }
    const std::wstring wide(name);
    return std::u16string(wide.begin(), wide.end());
  }

  bool Replace(const std::u16string& source, const std::u16string& target) override {
    return ::MoveFileExW(NativePath(source).c_str(), NativePath(target).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool WriteInPlace(const std::u16string& path, std::span<const uint8_t> bytes) override {
    Handle file(::CreateFileW(NativePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = WriteAll(file.get(), bytes);
    return file.Close() && written;
  }

  bool Remove(const std::u16string& path) override { return ::DeleteFileW(NativePath(path).c_str()) != 0; }
  bool IsFile(const std::u16string& path) override {
    const DWORD attributes = ::GetFileAttributesW(NativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
};

}  // namespace

FileSystem& PlatformFileSystem() {
  // Never destroyed: the process's store writes its files back from its own destructor at exit,
  // which may run after this function's statics are gone.
  static Win32FileSystem* files = new Win32FileSystem;
  return *files;
}

}  // namespace orra
