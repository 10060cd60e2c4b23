#pragma once
// A scratch folder per test, for tests that write files, the terminal's among them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orra::testing {

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::u16string& leaf = u"store");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder with a trailing separator, as the store takes a data directory.
  std::u16string directory() const;
  std::filesystem::path path(const std::u16string& relative) const;
  std::vector<uint8_t> Read(const std::u16string& relative) const;
  void Write(const std::u16string& relative, const std::vector<uint8_t>& bytes) const;
  void Write(const std::u16string& relative, const std::string& bytes) const;
  bool Exists(const std::u16string& relative) const;
  // Writes the files of a terminal description (see tools/orra-terminal/README.md).
  void WriteTerminal(const nlohmann::json& description) const;
  // Names of the files in the folder of `relative` (to see that no temporary file is left).
  std::vector<std::string> FilesBeside(const std::u16string& relative) const;

 private:
  std::filesystem::path root_;
};

}  // namespace orra::testing
