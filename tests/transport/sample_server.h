#pragma once
// The stand-in server inside the test process, on a free loopback port, serving the bundled
// sample data; stopped when the fixture goes away.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "tools/orra-server/stand_in_server.h"
#include "transport/connection_profile.h"

namespace orra::testing {

inline std::string SampleDataPath() { return ORRA_SOURCE_DIR "/tools/orra-server/sample.json"; }

class SampleServer {
 public:
  explicit SampleServer(bool uquery = false) : server_(data_) {
    std::string error;
    loaded_ = data_.LoadFile(SampleDataPath(), &error);
    EXPECT_TRUE(loaded_) << error;
    server::ServerOptions options;
    options.port = 0;
    options.uquery = uquery;
    started_ = loaded_ && server_.Start(options, &error);
    EXPECT_TRUE(started_) << error;
  }
  bool ok() const { return loaded_ && started_; }
  server::StandInServer& server() { return server_; }

  ConnectionProfile BinaryProfile() const {
    ConnectionProfile profile;
    profile.SetServer("127.0.0.1", server_.port());
    return profile;
  }
  ConnectionProfile UQueryProfile() const {
    ConnectionProfile profile;
    profile.SetServer("127.0.0.1", server_.uquery_port());
    profile.flags |= ConnectionProfile::kUQueryMode;
    return profile;
  }

 private:
  server::ServerData data_;
  server::StandInServer server_;
  bool loaded_ = false;
  bool started_ = false;
};

// Polls `done` every 5 ms for at most `limit`; answers whether it became true.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

}  // namespace orra::testing
