#include "testing/scratch_folder.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "common/utf8.h"
#include "testing/terminal_description.h"

namespace orra::testing {
namespace {
constexpr int kMaxNameAttempts = 100;
}  // namespace

// ctest runs each test in a process of its own, two at a time, and under a sanitizer every
// process lays out its heap alike: a name made of the clock and an address can come out the
// same in two processes. A random name, taken only when creating the folder finds none there,
// keeps two tests from sharing one.
ScratchFolder::ScratchFolder(const std::u16string& leaf) {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const std::string unique = std::to_string(random()) + "-" + std::to_string(random());
    root_ = base / (u"orra-" + leaf + u"-" + FromUtf8(unique));
    if (std::filesystem::create_directory(root_)) return;
  }
  throw std::runtime_error("no scratch folder could be created under " + base.string());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::u16string ScratchFolder::directory() const { return root_.u16string() + u"/"; }

std::filesystem::path ScratchFolder::path(const std::u16string& relative) const {
  std::u16string mapped = relative;
  for (char16_t& c : mapped) {
    if (c == u'\\') c = u'/';
  }
  return root_ / std::filesystem::path(mapped);
}

std::vector<uint8_t> ScratchFolder::Read(const std::u16string& relative) const {
  std::ifstream in(path(relative), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void ScratchFolder::Write(const std::u16string& relative, const std::vector<uint8_t>& bytes) const {
  const std::filesystem::path target = path(relative);
  std::filesystem::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write a test file");
}

void ScratchFolder::Write(const std::u16string& relative, const std::string& bytes) const {
  Write(relative, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool ScratchFolder::Exists(const std::u16string& relative) const { return std::filesystem::exists(path(relative)); }

void ScratchFolder::WriteTerminal(const nlohmann::json& description) const {
  terminal::WriteDataFiles(directory(), terminal::DescribeDataFiles(description));
}

std::vector<std::string> ScratchFolder::FilesBeside(const std::u16string& relative) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path(relative).parent_path())) {
    names.push_back(ToUtf8(entry.path().filename().u16string()));
  }
  return names;
}

}  // namespace orra::testing
