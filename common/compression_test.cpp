#include "common/compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orra {
namespace {

TEST(Compression, RoundTripsAndReportsSizes) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "600000.sh close 12.34;";
  std::vector<unsigned char> packed(CompressBound(text.size()));
  size_t packed_length = packed.size();
  ASSERT_TRUE(CompressBuffer(packed.data(), packed_length, text.data(), text.size()));
  EXPECT_LT(packed_length, text.size() / 10);

  std::string back(text.size(), '\0');
  size_t back_length = back.size();
  ASSERT_TRUE(UncompressBuffer(back.data(), back_length, packed.data(), packed_length));
  EXPECT_EQ(back_length, text.size());
  EXPECT_EQ(back, text);
}

TEST(Compression, FailsWhenTheDestinationIsTooSmallOrTheInputIsNotZlib) {
  const std::string text(5000, 'x');
  std::vector<unsigned char> packed(CompressBound(text.size()));
  size_t packed_length = packed.size();
  ASSERT_TRUE(CompressBuffer(packed.data(), packed_length, text.data(), text.size()));

  std::string small(text.size() - 1, '\0');
  size_t small_length = small.size();
  EXPECT_FALSE(UncompressBuffer(small.data(), small_length, packed.data(), packed_length));

  size_t tiny = 4;
  EXPECT_FALSE(CompressBuffer(small.data(), tiny, text.data(), text.size()));

  const unsigned char garbage[] = {0x12, 0x34, 0x56, 0x78, 0x9a};
  size_t out_length = small.size();
  EXPECT_FALSE(UncompressBuffer(small.data(), out_length, garbage, sizeof garbage));
  packed[packed_length / 2] ^= 0xFF;
  out_length = small.size() + 1;
  std::string out(out_length, '\0');
  EXPECT_FALSE(UncompressBuffer(out.data(), out_length, packed.data(), packed_length));
}

std::vector<unsigned char> Compress2(const std::string& text, int level) {
  uLongf length = compressBound(static_cast<uLong>(text.size()));
  std::vector<unsigned char> packed(length);
  EXPECT_EQ(compress2(packed.data(), &length, reinterpret_cast<const Bytef*>(text.data()),
                      static_cast<uLong>(text.size()), level),
            Z_OK);
  packed.resize(length);
  return packed;
}

std::vector<unsigned char> Compress2Level9(const std::string& text) { return Compress2(text, 9); }

std::vector<unsigned char> Compressed(const std::string& text, int level = kBestCompression) {
  std::vector<unsigned char> packed(CompressBound(text.size()));
  size_t length = packed.size();
  EXPECT_TRUE(CompressBuffer(packed.data(), length, text.data(), text.size(), level));
  packed.resize(length);
  return packed;
}

std::string Mixed() {
  std::string mixed;
  for (int i = 0; i < 3000; ++i) mixed += static_cast<char>((i * 7919) % 251);
  for (int i = 0; i < 100; ++i) mixed += "600000.sh close 12.34;";
  return mixed;
}

// Streams are kept per level: a call at one level between calls at another must not change
// what either writes.
TEST(Compression, EachLevelWritesWhatCompress2WritesAtItInAnyOrder) {
  const std::string text = Mixed();
  for (int round = 0; round < 2; ++round) {
    for (int level : {kFastestCompression, 3, 6, kBestCompression, kFastestCompression}) {
      EXPECT_EQ(Compressed(text, level), Compress2(text, level)) << level;
    }
  }
  EXPECT_NE(Compress2(text, kFastestCompression), Compress2(text, kBestCompression)) << "the levels differ here";
  std::vector<unsigned char> packed(CompressBound(text.size()));
  for (int level : {0, -1, 10}) {
    size_t length = packed.size();
    EXPECT_FALSE(CompressBuffer(packed.data(), length, text.data(), text.size(), level)) << level;
  }
}

// Threads that compress at once each get a stream of their own from the pool and give it back;
// none sees another's state.
TEST(Compression, ThreadsCompressingAtOnceEachGetWhatCompress2Writes) {
  const std::string text = Mixed();
  const std::vector<unsigned char> fast = Compress2(text, kFastestCompression);
  const std::vector<unsigned char> best = Compress2Level9(text);
  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int r = 0; r < kRounds; ++r) {
        const int level = (t + r) % 2 == 0 ? kFastestCompression : kBestCompression;
        if (Compressed(text, level) != (level == kFastestCompression ? fast : best)) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(kThreads, 0));
}

// The kept stream must not carry anything from one buffer to the next: each output equals what
// compress2 at level 9 gives for that buffer alone, also after a failed call and on other threads.
TEST(Compression, MatchesCompress2ByteForByteAcrossCallsAndThreads) {
  std::vector<std::string> inputs = {"", "a", std::string(1856, '\0')};
  std::string mixed;
  for (int i = 0; i < 3000; ++i) mixed += static_cast<char>((i * 7919) % 251);
  inputs.push_back(mixed);
  std::string query;
  for (int i = 0; i < 8; ++i) query += "~key" + std::to_string(i) + std::string(90, '\0') + "@seccode@";
  inputs.push_back(query);

  for (int round = 0; round < 2; ++round) {
    for (const std::string& text : inputs) EXPECT_EQ(Compressed(text), Compress2Level9(text)) << text.size();
  }
  unsigned char tiny[2];
  size_t tiny_length = sizeof tiny;
  EXPECT_FALSE(CompressBuffer(tiny, tiny_length, mixed.data(), mixed.size()));
  EXPECT_EQ(Compressed(query), Compress2Level9(query));

  bool same_on_other_thread = false;
  std::thread([&] { same_on_other_thread = Compressed(mixed) == Compress2Level9(mixed); }).join();
  EXPECT_TRUE(same_on_other_thread);
}

// The kept inflate stream must start afresh on every buffer: a stream left mid-way by a broken
// input or by too little room must not reach into the next one, on this thread or another.
TEST(Compression, EachUncompressStartsAfreshAfterAFailure) {
  const std::string text = Mixed();
  const std::vector<unsigned char> packed = Compressed(text);
  std::vector<unsigned char> broken = packed;
  broken[broken.size() / 2] ^= 0x5A;
  const auto uncompress = [&](const std::vector<unsigned char>& in, size_t room) -> std::optional<std::string> {
    std::string out(room, '\0');
    size_t length = out.size();
    if (!UncompressBuffer(out.data(), length, in.data(), in.size())) return std::nullopt;
    out.resize(length);
    return out;
  };
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(uncompress(broken, text.size()), std::nullopt);
    EXPECT_EQ(uncompress(packed, text.size()), text);
    EXPECT_EQ(uncompress(packed, text.size() / 2), std::nullopt);
    EXPECT_EQ(uncompress(packed, text.size() + 10), text);
    const std::vector<unsigned char> cut(packed.begin(), packed.end() - 6);
    EXPECT_EQ(uncompress(cut, text.size()), std::nullopt);
  }
  constexpr int kThreads = 4;
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int r = 0; r < 50; ++r) {
        if ((t + r) % 3 == 0) {
          wrong[t] += uncompress(broken, text.size()).has_value();
        } else {
          wrong[t] += uncompress(packed, text.size()) != text;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

}  // namespace
}  // namespace orra
