#include "transport/umy_socket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "common/text_conversion.h"
#include "common/utf8.h"
#include "testing/test_env.h"

namespace orra {
namespace {

constexpr Ipv4Address kLoopback = 0x7F000001;

// A listener on a free loopback port and the accepted end of one connection to it.
class LoopbackPair : public ::testing::Test {
 protected:
  void SetUp() override {
    int error = 0;
    auto listener = TcpSocket::Listen(kLoopback, 0, &error);
    ASSERT_TRUE(listener) << "cannot listen on loopback, error " << error;
    listener_ = std::move(*listener);
    profile_.SetServer("127.0.0.1", listener_.LocalPort());
  }
  // Connects the client and accepts the server end.
  void Open() {
    ASSERT_TRUE(client_.Connect(profile_, env_));
    auto accepted = listener_.Accept(5000);
    ASSERT_TRUE(accepted);
    server_ = std::move(*accepted);
  }
  void ServerSends(const std::string& text) {
    ASSERT_EQ(server_.Send(text.data(), text.size()).bytes, text.size());
  }

  testing::TestEnv env_;
  TcpSocket listener_;
  TcpSocket server_;
  ConnectionProfile profile_;
  UMySocket client_;
};

TEST_F(LoopbackPair, ReadsAreServedFromTheReadAheadFirst) {
  Open();
  ServerSends(std::string(30, 'a'));
  ASSERT_TRUE(client_.WaitForData(5000));
  char out[20];
  ASSERT_TRUE(client_.ReadExactly(out, 20));
  EXPECT_EQ(client_.BufferedBytes(), 10u);
  EXPECT_TRUE(client_.HasData());
  ASSERT_TRUE(client_.ReadExactly(out, 10));
  EXPECT_EQ(client_.BufferedBytes(), 0u);
}

// Reads take from the read-ahead by moving a cursor; the bytes not yet taken must survive the
// next receive, in order, ahead of what it brings.
TEST_F(LoopbackPair, UntakenBytesStayInOrderAcrossTheNextReceive) {
  Open();
  ServerSends("abcdefghijklmnopqrstuvwxyz");
  ASSERT_TRUE(client_.WaitForData(5000));
  char head[7] = {};
  ASSERT_TRUE(client_.ReadExactly(head, 6));
  EXPECT_STREQ(head, "abcdef");
  // Whatever the first receive got, what is buffered is what follows the bytes taken.
  const auto buffered = client_.Buffered();
  EXPECT_EQ(std::string(buffered.begin(), buffered.end()),
            std::string("ghijklmnopqrstuvwxyz").substr(0, buffered.size()));
  ServerSends("0123456789");
  char rest[31] = {};
  ASSERT_TRUE(client_.ReadExactly(rest, 30));
  EXPECT_STREQ(rest, "ghijklmnopqrstuvwxyz0123456789");
  EXPECT_EQ(client_.BufferedBytes(), 0u);
}

TEST_F(LoopbackPair, AnExactReadLongerThanTheBufferWaitsForTheRest) {
  Open();
  std::thread writer([this] {
    ServerSends("01234");
    SleepMilliseconds(20);
    ServerSends("56789");
  });
  char out[11] = {};
  EXPECT_TRUE(client_.ReadExactly(out, 10));
  writer.join();
  EXPECT_STREQ(out, "0123456789");
}

TEST_F(LoopbackPair, APeerThatClosedIsNotBrokenButItsReadFails) {
  Open();
  ServerSends("xy");
  server_.Close();
  ASSERT_TRUE(client_.WaitForData(5000));
  EXPECT_FALSE(client_.IsBroken());
  char out[4];
  EXPECT_FALSE(client_.ReadExactly(out, 4));
  client_.Close();
  EXPECT_TRUE(client_.IsBroken());
}

TEST_F(LoopbackPair, SendAllAndQueuedOutputArriveWhole) {
  Open();
  const std::string big(3 << 20, 'q');
  std::string got;
  std::thread reader([&] {
    std::string chunk(65536, '\0');
    while (got.size() < big.size() + 5) {
      const IoResult r = server_.Receive(chunk.data(), chunk.size());
      if (r.status != IoStatus::kOk) break;
      got.append(chunk.data(), r.bytes);
    }
  });
  EXPECT_TRUE(client_.SendAll(big.data(), big.size()));
  EXPECT_TRUE(client_.Queue("he", 2));
  EXPECT_TRUE(client_.Queue("llo", 3));
  EXPECT_TRUE(client_.Flush());
  reader.join();
  EXPECT_EQ(got.size(), big.size() + 5);
  EXPECT_EQ(got.substr(big.size()), "hello");
}

TEST_F(LoopbackPair, ConnectWritesTheTargetAndReportsAFailedConnect) {
  Open();
  const std::string port = std::to_string(listener_.LocalPort());
  EXPECT_EQ(env_.DebugText(), u"[UMySocket::Connect] Connect to [127.0.0.1:" + FromUtf8(port) + u"]\r\n");

  listener_.Close();
  std::string error;
  EXPECT_FALSE(client_.Connect(profile_, env_, &error));
  EXPECT_EQ(ToWideString(error).rfind(u"服务器:127.0.0.1:" + FromUtf8(port) + u"连接失败, Error=", 0), 0u);
  EXPECT_TRUE(client_.IsBroken());
}

TEST_F(LoopbackPair, AProxyAnsweringWithoutAnEstablishedTunnelFailsTheConnectWithTheServersName) {
  // The listener plays an HTTP proxy that answers a bare "200 OK": without "Connection
  // established" the client does not take it for a tunnel.
  ConnectionProfile via_proxy;
  via_proxy.SetServer("10.9.9.9", 9911);
  via_proxy.SetProxy(ProxyKind::kHttpConnect, "127.0.0.1", listener_.LocalPort());
  std::thread proxy([this] {
    auto accepted = listener_.Accept(5000);
    if (!accepted) return;
    char request[512];
    accepted->Receive(request, sizeof request);
    const std::string reply = "HTTP/1.1 200 OK\r\n\r\n";
    accepted->Send(reply.data(), reply.size());
  });
  std::string error;
  EXPECT_FALSE(client_.Connect(via_proxy, env_, &error));
  proxy.join();
  EXPECT_EQ(ToWideString(error), u"代理服务器:10.9.9.9:9911通讯失败");
  EXPECT_FALSE(client_.IsOpen());
}

}  // namespace
}  // namespace orra
