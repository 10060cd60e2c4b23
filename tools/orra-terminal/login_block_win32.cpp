#include <windows.h>

#include <atomic>
#include <cstring>

#include "tools/orra-terminal/login_block.h"

namespace orra::terminal {
namespace {

std::atomic<bool> g_stop{false};

BOOL WINAPI OnConsoleControl(DWORD) {
  g_stop.store(true);
  return TRUE;
}

class Win32LoginBlock : public PublishedLoginBlock {
 public:
  Win32LoginBlock(HANDLE mapping, void* view) : mapping_(mapping), view_(view) {}
  ~Win32LoginBlock() override {
    ::UnmapViewOfFile(view_);
    ::CloseHandle(mapping_);
  }

 private:
  HANDLE mapping_;
  void* view_;
};

}  // namespace

std::unique_ptr<PublishedLoginBlock> PublishLoginBlock(const LoginBlockBytes& bytes, std::string& error) {
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(kLoginBlockSize), L"CheckOrraLogin");
  if (mapping == nullptr) {
    error = "CreateFileMapping CheckOrraLogin failed with error " + std::to_string(::GetLastError());
    return nullptr;
  }
  void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kLoginBlockSize);
  if (view == nullptr) {
    error = "MapViewOfFile CheckOrraLogin failed with error " + std::to_string(::GetLastError());
    ::CloseHandle(mapping);
    return nullptr;
  }
  std::memcpy(view, bytes.data(), bytes.size());
  return std::make_unique<Win32LoginBlock>(mapping, view);
}

bool WaitAWhile() {
  if (g_stop.load()) return false;
  ::Sleep(100);
  return !g_stop.load();
}

}  // namespace orra::terminal
