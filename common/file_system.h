#pragma once
// Port: the files of the terminal's data directory. Paths are the store's UTF-16 texts, with
// "\" and "/" mixed as the file names are written; the adapters map both to the platform's own
// separator and open through the wide API on Windows and as UTF-8 elsewhere.
//
// Any thread may call; nothing here holds a lock.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orra {

class FileSystem {
 public:
  enum class Access { kRead, kReadWrite };

  virtual ~FileSystem() = default;

  // The whole file, opened for `access` while others may read and write it; none when it does
  // not exist or cannot be opened that way.
  virtual std::optional<std::vector<uint8_t>> ReadAll(const std::u16string& path, Access access) = 0;
  // Creates a new file of a unique name in the folder of `target` holding `bytes`, flushed;
  // answers its path, or none (and leaves no file behind) when it cannot be written whole.
  virtual std::optional<std::u16string> WriteTemporaryBeside(const std::u16string& target,
                                                            std::span<const uint8_t> bytes) = 0;
  // Puts `source` in the place of `target` in one step; false when the platform refuses.
  virtual bool Replace(const std::u16string& source, const std::u16string& target) = 0;
  // Creates or truncates `path` and writes `bytes`.
  virtual bool WriteInPlace(const std::u16string& path, std::span<const uint8_t> bytes) = 0;
  virtual bool Remove(const std::u16string& path) = 0;
  // Whether `path` names an existing file (not a folder). The platforms answer from the file's
  // attributes; a double that only knows contents answers by reading it.
  virtual bool IsFile(const std::u16string& path) { return ReadAll(path, Access::kRead).has_value(); }
};

// The platform's files.
FileSystem& PlatformFileSystem();

// Writes `bytes` as the new content of `path` so that a failure midway (a full disk, a crash)
// leaves the old file as it was: a temporary file beside it replaces it in one step. Only when
// the platform refuses the replacement (another program holds the file open without delete
// sharing) are the bytes written in place. False when neither worked.
bool ReplaceFileContent(FileSystem& files, const std::u16string& path, std::span<const uint8_t> bytes);

}  // namespace orra
