#include "common/file_system.h"

namespace orra {

bool ReplaceFileContent(FileSystem& files, const std::u16string& path, std::span<const uint8_t> bytes) {
  const std::optional<std::u16string> temporary = files.WriteTemporaryBeside(path, bytes);
  if (!temporary) return false;  // the old file is untouched; writing in place could truncate it
  if (files.Replace(*temporary, path)) return true;
  files.Remove(*temporary);
  return files.WriteInPlace(path, bytes);
}

}  // namespace orra
