#include "common/utilities.h"

#include "common/block_pool.h"
#include "common/module_directory.h"
#include "common/mutex.h"
#include "common/text_conversion.h"

namespace orra {
namespace {
constexpr size_t kMaxPathUnits = 260;

Mutex g_directory_mutex;
std::u16string g_executable_directory ORRA_GUARDED_BY(g_directory_mutex);
}  // namespace

bool StartUtilities() {
  if (!PrepareThreadScratch()) return false;
  std::u16string directory = ExecutableDirectory();
  if (directory.size() > kMaxPathUnits) directory.clear();
  MutexLock lock(g_directory_mutex);
  g_executable_directory = std::move(directory);
  return true;
}

void StopUtilities() {
  FreeAllThreadScratch();
  BufferPool::Instance().Drain();
}

std::u16string ProcessExecutableDirectory() {
  MutexLock lock(g_directory_mutex);
  return g_executable_directory;
}

bool AdoptExecutableDirectory(const std::u16string& directory) {
  if (directory.empty() || directory.size() > kMaxPathUnits) return false;
  MutexLock lock(g_directory_mutex);
  if (!g_executable_directory.empty()) return false;
  g_executable_directory = directory;
  return true;
}

}  // namespace orra
