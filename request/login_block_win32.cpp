#include <windows.h>

#include <cstring>

#include "common/text_conversion.h"
#include "request/login_block.h"

namespace orra {
namespace {

std::wstring WideName(const std::string& name) {
  const std::u16string wide = ToWideString(name);
  return std::wstring(wide.begin(), wide.end());
}

class FileMappingLoginBlockReader final : public LoginBlockReader {
 public:
  explicit FileMappingLoginBlockReader(const std::string& name) : name_(WideName(name)) {}
  Result Read(LoginBlockBytes& bytes) override {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name_.c_str());
    if (mapping == nullptr) return Result::kMissing;
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (view == nullptr) {
      CloseHandle(mapping);
      return Result::kMapFailed;
    }
    // A block smaller than the layout would be read past its end.
    MEMORY_BASIC_INFORMATION info{};
    const bool large_enough = VirtualQuery(view, &info, sizeof info) != 0 && info.RegionSize >= kLoginBlockSize;
    if (large_enough) std::memcpy(bytes.data(), view, kLoginBlockSize);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return large_enough ? Result::kOk : Result::kMapFailed;
  }

 private:
  std::wstring name_;
};

class FileMappingLoginBlockPublisher final : public LoginBlockPublisher {
 public:
  FileMappingLoginBlockPublisher(HANDLE mapping, void* view) : mapping_(mapping), view_(view) {}
  ~FileMappingLoginBlockPublisher() override {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
  }
  void Update(const LoginBlockBytes& bytes) override { std::memcpy(view_, bytes.data(), kLoginBlockSize); }

 private:
  HANDLE mapping_;
  void* view_;
};

std::string LastErrorText(const char* what) { return std::string(what) + " failed, error " + std::to_string(GetLastError()); }

}  // namespace

std::unique_ptr<LoginBlockReader> MakeLoginBlockReader(const std::string& name) {
  return std::make_unique<FileMappingLoginBlockReader>(name);
}

std::unique_ptr<LoginBlockPublisher> PublishLoginBlock(const std::string& name, const LoginBlockBytes& bytes,
                                                       std::string& error) {
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(kLoginBlockSize), WideName(name).c_str());
  if (mapping == nullptr) {
    error = LastErrorText("CreateFileMappingW");
    return nullptr;
  }
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (view == nullptr) {
    error = LastErrorText("MapViewOfFile");
    CloseHandle(mapping);
    return nullptr;
  }
  auto publisher = std::make_unique<FileMappingLoginBlockPublisher>(mapping, view);
  publisher->Update(bytes);
  return publisher;
}

}  // namespace orra
