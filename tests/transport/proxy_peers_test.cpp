// The socket client through real proxies on loopback: tinyproxy for HTTP CONNECT (with and
// without Basic credentials), dante for SOCKS4 and SOCKS5, and microsocks for SOCKS5 with a user
// name and password (dante checks SOCKS5 passwords against the system's accounts, and the tests
// do not add one). Each test starts its proxy with a private configuration on a free port and
// stops it afterwards.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/utf8.h"
#include "tests/transport/child_process.h"
#include "testing/test_env.h"
#include "tests/transport/query_client.h"
#include "tests/transport/sample_server.h"

namespace orra::testing {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ProxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sample_.ok());
    dir_ = MakeTempDirectory();
    ASSERT_FALSE(dir_.empty()) << "cannot make a temporary directory";
  }
  void TearDown() override {
    proxy_.Stop();
    RemoveDirectory(dir_);
  }

  // Starts `program` and waits until it accepts connections on port_; fails the test with the
  // proxy's own log when it does not come up.
  void StartProxy(const std::string& program, std::vector<std::string> argv) {
    ASSERT_TRUE(ProgramExists(program)) << program << " is not installed; run scripts/install-deps";
    const std::string log = dir_ + "/" + program + ".out";
    std::string error;
    ASSERT_TRUE(proxy_.Start(argv, log, &error)) << error;
    const bool listening = WaitUntil([&] {
      int code = 0;
      auto probe = TcpSocket::Create(&code);
      return probe && probe->Connect(0x7F000001, static_cast<uint16_t>(port_)) == 0;
    }, std::chrono::seconds(5));
    ASSERT_TRUE(listening) << program << " did not listen on 127.0.0.1:" << port_ << "; its output:\n"
                           << ReadFile(log) << ReadFile(dir_ + "/proxy.log");
  }
  void StartTinyproxy(const std::string& basic_auth = "") {
    port_ = FreeLoopbackPort();
    std::ofstream conf(dir_ + "/tinyproxy.conf");
    conf << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 10\nAllow 127.0.0.1\n"
         << "LogLevel Info\nLogFile \"" << dir_ << "/proxy.log\"\nPidFile \"" << dir_ << "/tinyproxy.pid\"\n";
    if (!basic_auth.empty()) conf << "BasicAuth " << basic_auth << "\n";
    conf.close();
    StartProxy("tinyproxy", {"tinyproxy", "-d", "-c", dir_ + "/tinyproxy.conf"});
  }
  void StartDante(const std::string& method) {
    port_ = FreeLoopbackPort();
    std::ofstream conf(dir_ + "/danted.conf");
    conf << "logoutput: " << dir_ << "/proxy.log\ninternal: 127.0.0.1 port = " << port_
         << "\nexternal: 127.0.0.1\nsocksmethod: " << method << "\nclientmethod: none\n"
         << "user.privileged: root\nuser.unprivileged: nobody\n"
         << "client pass { from: 127.0.0.1/32 to: 0.0.0.0/0 }\nsocks pass { from: 127.0.0.1/32 to: 0.0.0.0/0 }\n";
    conf.close();
    StartProxy("danted", {"danted", "-f", dir_ + "/danted.conf", "-p", dir_ + "/danted.pid", "-N", "1"});
  }
  void StartMicrosocks(const std::string& user, const std::string& password) {
    port_ = FreeLoopbackPort();
    StartProxy("microsocks", {"microsocks", "-i", "127.0.0.1", "-p", std::to_string(port_), "-u", user, "-P", password});
  }

  ConnectionProfile Through(uint32_t kind, const std::string& user = "", const std::string& password = "") {
    ConnectionProfile profile = sample_.BinaryProfile();
    profile.SetProxy(kind, "127.0.0.1", static_cast<uint16_t>(port_), user, password);
    return profile;
  }
  // Connects through the proxy and runs one query with the connection thread.
  void ExpectQueryAnswered(const ConnectionProfile& profile) {
    TestEnv env;
    ServerConnection probe(profile, env);
    std::string error;
    ASSERT_TRUE(probe.Connect(&error)) << ToUtf8(ToWideString(error));
    probe.Close();
    QueryClient client(profile);
    ASSERT_TRUE(client.Start());
    client.Post(1, u"stock/close", u"600000.SH");
    ASSERT_TRUE(WaitUntil([&] { return client.HasReply(1); }));
    EXPECT_EQ(client.FirstText(1), u"10.52");
  }
  void ExpectRefused(const ConnectionProfile& profile) {
    TestEnv env;
    ServerConnection connection(profile, env);
    std::string error;
    EXPECT_FALSE(connection.Connect(&error));
    EXPECT_EQ(ToWideString(error), u"代理服务器:127.0.0.1:" + FromUtf8(std::to_string(sample_.server().port())) + u"通讯失败");
  }

  SampleServer sample_;
  ChildProcess proxy_;
  std::string dir_;
  int port_ = 0;
};

TEST_F(ProxyTest, TinyproxyConnectWithoutCredentials) {
  StartTinyproxy();
  ExpectQueryAnswered(Through(ProxyKind::kHttpConnect));
}

TEST_F(ProxyTest, TinyproxyConnectWithBasicCredentials) {
  StartTinyproxy("alice s3cret");
  ExpectQueryAnswered(Through(ProxyKind::kHttpConnect, "alice", "s3cret"));
  ExpectRefused(Through(ProxyKind::kHttpConnect, "alice", "wrong"));
  ExpectRefused(Through(ProxyKind::kHttpConnect));
}

TEST_F(ProxyTest, DanteSocks4) {
  StartDante("none");
  ExpectQueryAnswered(Through(ProxyKind::kSocks4));
}

TEST_F(ProxyTest, DanteSocks5WithoutCredentials) {
  StartDante("none");
  ExpectQueryAnswered(Through(ProxyKind::kSocks5));
}

TEST_F(ProxyTest, DanteSocks5RefusesAUserItDoesNotKnow) {
  StartDante("username");
  ExpectRefused(Through(ProxyKind::kSocks5, "orra-nobody", "wrong"));
}

TEST_F(ProxyTest, MicrosocksSocks5WithUserNameAndPassword) {
  StartMicrosocks("bob", "pw");
  ExpectQueryAnswered(Through(ProxyKind::kSocks5, "bob", "pw"));
  ExpectRefused(Through(ProxyKind::kSocks5, "bob", "nope"));
}

}  // namespace
}  // namespace orra::testing
