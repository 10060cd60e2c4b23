#pragma once
// The Windows benchmarks' main: their run either answers an exit code or throws when a window
// does not come or a call fails, and the failure is printed under the program's name rather
// than ending the process through std::terminate, so a Wine run shows what went wrong.

#include <cstdio>
#include <exception>

namespace orra::bench {

template <typename Run>
int RunReportingFailure(const char* program, Run run) noexcept {
  try {
    return run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", program, error.what());
  } catch (...) {
    std::fprintf(stderr, "%s: failed with an exception that is no std::exception\n", program);
  }
  return 1;
}

}  // namespace orra::bench
