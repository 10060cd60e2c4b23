#include "common/utilities.h"

#include <mutex>

#include "common/block_pool.h"
#include "common/module_directory.h"
#include "common/text_conversion.h"

namespace orra {
namespace {
constexpr size_t kMaxPathUnits = 260;

std::mutex g_directory_mutex;
std::u16string g_executable_directory;  // guarded by g_directory_mutex
}  // namespace

bool StartUtilities() {
  if (!PrepareThreadScratch()) return false;
  std::u16string directory = ExecutableDirectory();
  if (directory.size() > kMaxPathUnits) directory.clear();
  std::lock_guard<std::mutex> guard(g_directory_mutex);
  g_executable_directory = std::move(directory);
  return true;
}

void StopUtilities() {
  FreeAllThreadScratch();
  BufferPool::Instance().Drain();
}

std::u16string ProcessExecutableDirectory() {
  std::lock_guard<std::mutex> guard(g_directory_mutex);
  return g_executable_directory;
}

}  // namespace orra
