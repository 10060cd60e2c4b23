#include "transport/uquery_protocol.h"

#include <gtest/gtest.h>

#include <string>

#include "transport/base64.h"
#include "transport/connection_profile.h"
#include "transport/tcp_socket.h"

namespace orra {
namespace {

// A view, so that a literal's bytes (which outlive the test) are read in place rather than
// through a temporary string that the reader's spans would outlive.
std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

bool Complete(const std::string& response, size_t* trim) { return UQueryResponseComplete(Bytes(response), trim); }

TEST(UQueryProtocol, RequestTextsCarryKindTokenAndContentLength) {
  EXPECT_EQ(MakeUQueryRequest("127.0.0.1", 9911, '@', "", ""),
            "POST /uQuery.dll HTTP/1.1\r\nhost:127.0.0.1:9911\r\nuxs:1\r\nContent-Length:2\r\n\r\n@;");
  EXPECT_EQ(MakeUQueryRequest("h", 1, '@', "ABCDEFGH", "QUJD"),
            "POST /uQuery.dll HTTP/1.1\r\nhost:h:1\r\nuxs:1\r\nContent-Length:14\r\n\r\n@ABCDEFGH;QUJD");
  const std::string poll = MakeUQueryRequest("h", 1, '#', "ABCDEFGH", "");
  EXPECT_TRUE(poll.ends_with("Content-Length:10\r\n\r\n#ABCDEFGH;")) << poll;
}

TEST(UQueryProtocol, AResponseIsCompleteAtExactlyItsAnnouncedLength) {
  size_t trim = 99;
  const std::string head = "HTTP/1.1 200 OK\r\n\r\n\r\n";
  EXPECT_FALSE(Complete(head + "5,abcd", &trim));
  EXPECT_TRUE(Complete(head + "5,abcde", &trim));
  EXPECT_EQ(trim, 0u);
  EXPECT_FALSE(Complete(head + "5,abcdef", &trim));
  EXPECT_FALSE(Complete(head + "12", &trim));
  EXPECT_FALSE(Complete(head + "x,", &trim));
  EXPECT_FALSE(Complete("HTTP/1.1 200 OK\r\n\r\n", &trim));
  // Zero or negative counts end with a second blank-line run, which the reader drops.
  EXPECT_FALSE(Complete(head + "-9,", &trim));
  EXPECT_TRUE(Complete(head + "-9,\r\n\r\n\r\n", &trim));
  EXPECT_EQ(trim, 6u);
  EXPECT_TRUE(Complete(head + "0,ABCDEFGH,ok\r\n\r\n\r\n", &trim));
}

TEST(UQueryProtocol, ReadsTheBodyAfterTheStatusLine) {
  auto response = ReadUQueryResponse(Bytes("HTTP/1.1 200 OK\r\n\r\n\r\n3,abc"));
  ASSERT_TRUE(response);
  EXPECT_TRUE(response->keep_alive);
  EXPECT_EQ(std::string(response->body.begin(), response->body.end()), "3,abc");
  response = ReadUQueryResponse(Bytes("HTTP/1.1 200 OK\r\nX: y\r\n\r\n3,abc"));
  ASSERT_TRUE(response);
  EXPECT_FALSE(response->keep_alive);
  EXPECT_EQ(std::string(response->body.begin(), response->body.end()), "3,abc");
  EXPECT_FALSE(ReadUQueryResponse(Bytes("HTTP/1.1 500 Internal\r\n\r\n\r\n3,abc")));
  EXPECT_FALSE(ReadUQueryResponse(Bytes("HTTP/1.1 200 OK\r\n3,abc")));
  EXPECT_FALSE(ReadUQueryResponse(Bytes("HTTP/1.1 2")));
}

TEST(UQueryProtocol, ReplyBodiesNeedExactlyTheirCount) {
  auto body = ReadUQueryReplyBody(Bytes("3,abc"));
  ASSERT_TRUE(body);
  EXPECT_EQ(body->count, 3);
  EXPECT_EQ(body->payload.size(), 3u);
  EXPECT_FALSE(ReadUQueryReplyBody(Bytes("3,ab")));
  EXPECT_FALSE(ReadUQueryReplyBody(Bytes("3,abcd")));
  EXPECT_FALSE(ReadUQueryReplyBody(Bytes("99999999999999,")));
  EXPECT_FALSE(ReadUQueryReplyBody(Bytes("abc")));
  body = ReadUQueryReplyBody(Bytes("-9,"));
  ASSERT_TRUE(body);
  EXPECT_EQ(body->count, UQuery::kSessionExpired);
  EXPECT_FALSE(ReadUQueryReplyBody(Bytes("-9,x")));
}

TEST(UQueryProtocol, LoginTokensAreBytesTwoToNineOfAReplyStartingWithZero) {
  EXPECT_EQ(*ReadUQueryLoginToken(Bytes("0,ABCDEFGH,")), "ABCDEFGH");
  EXPECT_FALSE(ReadUQueryLoginToken(Bytes("0,ABCDEFGH")));
  EXPECT_FALSE(ReadUQueryLoginToken(Bytes("1,ABCDEFGH,ok")));
}

TEST(Base64, EncodesWithPaddingAndRefusesASmallDestination) {
  EXPECT_EQ(Base64Encode(Bytes("")), "");
  EXPECT_EQ(Base64Encode(Bytes("f")), "Zg==");
  EXPECT_EQ(Base64Encode(Bytes("fo")), "Zm8=");
  EXPECT_EQ(Base64Encode(Bytes("foobar")), "Zm9vYmFy");
  char out[9];
  EXPECT_EQ(Base64Encode(out, "foobar", 6, '=', sizeof out), 8u);
  EXPECT_EQ(Base64Encode(out, "foobar", 6, '=', 8), 0u);
  EXPECT_EQ(Base64Encode(out, "f", 1, '*', sizeof out), 4u);
  EXPECT_STREQ(out, "Zg**");
  EXPECT_EQ(*Base64Decode("Zm9vYmE="), std::vector<uint8_t>({'f', 'o', 'o', 'b', 'a'}));
  EXPECT_FALSE(Base64Decode("Zm9v!"));
  EXPECT_FALSE(Base64Decode("Z"));
}

TEST(ConnectionProfile, TheAddinDefaultAndTheServerOverride) {
  auto profile = ConnectionProfile::AddinDefault("");
  EXPECT_EQ(profile.flags, 0u);
  EXPECT_STREQ(profile.server_host, "127.0.0.1");
  EXPECT_STREQ(profile.server_display, "127.0.0.1:9911");
  EXPECT_EQ(profile.server_port, 9911u);
  profile = ConnectionProfile::AddinDefault("data.example:7000");
  EXPECT_STREQ(profile.server_host, "data.example");
  EXPECT_EQ(profile.server_port, 7000u);
  profile = ConnectionProfile::AddinDefault("10.0.0.9");
  EXPECT_EQ(profile.server_port, 9911u);
  profile = ConnectionProfile::AddinDefault("host:0");  // a bad override keeps the default
  EXPECT_STREQ(profile.server_host, "127.0.0.1");
  profile.SetServer(std::string(40, 'h'), 1);
  EXPECT_EQ(std::string(profile.server_host).size(), 31u);
  const auto* raw = reinterpret_cast<const uint8_t*>(&profile);
  EXPECT_EQ(raw[68], 1);
}

TEST(SplitHostPort, TakesAPortFrom1To65535AfterTheLastColon) {
  std::string host;
  uint16_t port = 0;
  ASSERT_TRUE(SplitHostPort("data.example:7000", &host, &port, 1));
  EXPECT_EQ(host, "data.example");
  EXPECT_EQ(port, 7000);
  ASSERT_TRUE(SplitHostPort("data.example", &host, &port, 9911));
  EXPECT_EQ(port, 9911) << "no colon: the default port";
  ASSERT_TRUE(SplitHostPort("h:65535", &host, &port, 1));
  EXPECT_EQ(port, 65535);
  ASSERT_TRUE(SplitHostPort("h:1", &host, &port, 9));
  EXPECT_EQ(port, 1);
  for (const char* bad : {"", "h:0", "h:65536", "h:-1", "h:+80", "h: 80", "h:80 ", "h:8x", "h:", ":80", "h:99999999999"}) {
    host = "kept";
    port = 42;
    EXPECT_FALSE(SplitHostPort(bad, &host, &port, 1)) << bad;
    EXPECT_EQ(host, "kept") << bad;
    EXPECT_EQ(port, 42) << bad;
  }
}

TEST(ParseDottedIpv4, AcceptsOnlyFourDecimalParts) {
  EXPECT_EQ(*ParseDottedIpv4("127.0.0.1"), 0x7F000001u);
  EXPECT_EQ(*ParseDottedIpv4("255.255.255.255"), 0xFFFFFFFFu);
  EXPECT_EQ(*ParseDottedIpv4("010.0.00.001"), 0x0A000001u);
  for (const char* bad : {"256.0.0.1", "1.2.3", "1.2.3.4.5", "1..2.3", "a.b.c.d", "1.2.3.4 ",
                          "", "localhost", "0001.2.3.4", "1.2.3.", ".1.2.3", "1.2.3.-4", "1.+2.3.4"}) {
    EXPECT_FALSE(ParseDottedIpv4(bad)) << bad;
  }
  EXPECT_EQ(FormatIpv4(0x7F000001u), "127.0.0.1");
}

}  // namespace
}  // namespace orra
