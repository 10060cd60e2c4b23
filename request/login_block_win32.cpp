#include <windows.h>

#include <cstring>

#include "request/login_block.h"

namespace orra {
namespace {

class FileMappingLoginBlockReader final : public LoginBlockReader {
 public:
  Result Read(LoginBlockBytes& bytes) override {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, L"CheckOrraLogin");
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
};

}  // namespace

LoginBlockReader& SystemLoginBlockReader() {
  static FileMappingLoginBlockReader reader;
  return reader;
}

}  // namespace orra
