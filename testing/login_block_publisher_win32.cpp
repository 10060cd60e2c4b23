#include <windows.h>

#include <cstring>

#include "common/text_conversion.h"
#include "testing/login_block_publisher.h"

namespace orra {
namespace {

// The mapping's handle and its view, each released with its owner; the block goes away when
// its last handle closes.
struct CloseHandleDeleter {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, CloseHandleDeleter>;
struct UnmapViewDeleter {
  void operator()(void* view) const { UnmapViewOfFile(view); }
};
using MappedView = std::unique_ptr<void, UnmapViewDeleter>;

class FileMappingLoginBlockPublisher final : public LoginBlockPublisher {
 public:
  // The view is declared last so that it is unmapped before the mapping closes.
  FileMappingLoginBlockPublisher(UniqueHandle mapping, MappedView view)
      : mapping_(std::move(mapping)), view_(std::move(view)) {}
  void Update(const LoginBlockBytes& bytes) override { std::memcpy(view_.get(), bytes.data(), kLoginBlockSize); }

 private:
  UniqueHandle mapping_;
  MappedView view_;
};

std::string LastErrorText(const char* what) { return std::string(what) + " failed, error " + std::to_string(GetLastError()); }

}  // namespace

std::unique_ptr<LoginBlockPublisher> PublishLoginBlock(const std::string& name, const LoginBlockBytes& bytes,
                                                       std::string& error) {
  const std::u16string wide = ToWideString(name);
  const std::wstring wide_name(wide.begin(), wide.end());
  UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          static_cast<DWORD>(kLoginBlockSize), wide_name.c_str()));
  if (!mapping) {
    error = LastErrorText("CreateFileMappingW");
    return nullptr;
  }
  MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!view) {
    error = LastErrorText("MapViewOfFile");
    return nullptr;
  }
  auto publisher = std::make_unique<FileMappingLoginBlockPublisher>(std::move(mapping), std::move(view));
  publisher->Update(bytes);
  return publisher;
}

}  // namespace orra
