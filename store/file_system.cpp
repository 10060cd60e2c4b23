#include "store/file_system.h"

#include <atomic>

namespace orra {
namespace {
std::atomic<FileSystem*> g_test_files{nullptr};
}

FileSystem& StoreFileSystem() {
  FileSystem* files = g_test_files.load(std::memory_order_acquire);
  return files != nullptr ? *files : PlatformFileSystem();
}

void SetStoreFileSystemForTesting(FileSystem* files) { g_test_files.store(files, std::memory_order_release); }

bool ReplaceFileContent(FileSystem& files, const std::u16string& path, std::span<const uint8_t> bytes) {
  const std::optional<std::u16string> temporary = files.WriteTemporaryBeside(path, bytes);
  if (!temporary) return false;  // the old file is untouched; writing in place could truncate it
  if (files.Replace(*temporary, path)) return true;
  files.Remove(*temporary);
  return files.WriteInPlace(path, bytes);
}

}  // namespace orra
