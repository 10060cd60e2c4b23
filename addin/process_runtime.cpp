#include "addin/process_runtime.h"

#include <memory>

#include "common/module_directory.h"
#include "common/mutex.h"
#include "common/no_destructor.h"

namespace orra {
namespace {

// The runtime with the environment it is built over.
struct ProcessRuntime {
  ProcessRuntime() : runtime(env, AddinRuntime::Options{ModuleDirectory()}) {}
  PlatformEnv env;
  AddinRuntime runtime;
};

struct Holders {
  Mutex mutex;
  std::unique_ptr<ProcessRuntime> current ORRA_GUARDED_BY(mutex);
  int count ORRA_GUARDED_BY(mutex) = 0;
};

Holders& TheHolders() {
  static NoDestructor<Holders> holders;
  return *holders;
}

}  // namespace

AddinRuntime& AcquireRuntime() {
  Holders& holders = TheHolders();
  MutexLock lock(holders.mutex);
  if (!holders.current) holders.current = std::make_unique<ProcessRuntime>();
  ++holders.count;
  return holders.current->runtime;
}

void ReleaseRuntime() {
  Holders& holders = TheHolders();
  std::unique_ptr<ProcessRuntime> last;  // stopped after the lock is given back
  {
    MutexLock lock(holders.mutex);
    if (holders.count == 0) return;
    if (--holders.count == 0) last = std::move(holders.current);
  }
}

std::shared_ptr<AddinRuntime> ShareRuntime() {
  return std::shared_ptr<AddinRuntime>(&AcquireRuntime(), [](AddinRuntime*) { ReleaseRuntime(); });
}

AddinRuntime* CurrentRuntime() {
  Holders& holders = TheHolders();
  MutexLock lock(holders.mutex);
  return holders.current ? &holders.current->runtime : nullptr;
}

}  // namespace orra
