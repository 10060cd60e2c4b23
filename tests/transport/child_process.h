#pragma once
// A program the test starts (a real proxy), with its output in a log file; killed and reaped
// when the object goes away, also when the test fails.

#include <string>
#include <vector>

namespace orra::testing {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] (searched on PATH) with its output to `log_path`; false with a message.
  bool Start(const std::vector<std::string>& argv, const std::string& log_path, std::string* error);
  bool Running();
  void Stop();

 private:
  int pid_ = -1;
};

// Whether a program is on PATH.
bool ProgramExists(const std::string& name);
// A directory of its own under the system's temporary folder, removed by the caller.
std::string MakeTempDirectory();
void RemoveDirectory(const std::string& path);
// A loopback port nobody listens on right now.
int FreeLoopbackPort();

}  // namespace orra::testing
