#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "common/module_directory.h"
#include "common/utf8.h"

namespace orra {
namespace {

std::u16string DirectoryOfPath(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return FromUtf8(path.substr(0, slash + 1));
}

}  // namespace

std::u16string ModuleDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) == 0 || info.dli_fname == nullptr) {
    return ExecutableDirectory();
  }
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved) == nullptr) return ExecutableDirectory();
  return DirectoryOfPath(resolved);
}

std::u16string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  return DirectoryOfPath(std::string(path, static_cast<size_t>(n)));
}

}  // namespace orra
