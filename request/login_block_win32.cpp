#include <windows.h>

#include <cstring>

#include "common/text_conversion.h"
#include "request/login_block.h"

namespace orra {
namespace {

// The mapping's handle and its view, each released with its owner.
struct CloseHandleDeleter {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, CloseHandleDeleter>;
struct UnmapViewDeleter {
  void operator()(void* view) const { UnmapViewOfFile(view); }
};
using MappedView = std::unique_ptr<void, UnmapViewDeleter>;

std::wstring WideName(const std::string& name) {
  const std::u16string wide = ToWideString(name);
  return std::wstring(wide.begin(), wide.end());
}

class FileMappingLoginBlockReader final : public LoginBlockReader {
 public:
  explicit FileMappingLoginBlockReader(const std::string& name) : name_(WideName(name)) {}
  Result Read(LoginBlockBytes& bytes) override {
    const UniqueHandle mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, name_.c_str()));
    if (!mapping) return Result::kMissing;
    const MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view) return Result::kMapFailed;
    // A block smaller than the layout would be read past its end.
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(view.get(), &info, sizeof info) == 0 || info.RegionSize < kLoginBlockSize) {
      return Result::kMapFailed;
    }
    std::memcpy(bytes.data(), view.get(), kLoginBlockSize);
    return Result::kOk;
  }

 private:
  std::wstring name_;
};

}  // namespace

std::unique_ptr<LoginBlockReader> MakeLoginBlockReader(const std::string& name) {
  return std::make_unique<FileMappingLoginBlockReader>(name);
}

}  // namespace orra
