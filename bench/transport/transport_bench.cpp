// Transport costs, each beside the baseline it should be compared with:
//  - serialising a typical query document (8 pairs) vs copying its bytes;
//  - sending and receiving 100 000 query frames over loopback vs compress2 level 9 of the same
//    bodies alone and vs writing the same compressed bytes to a loopback socket;
//  - reading a 1 000-row, 10-column result table vs scanning its bytes once.
// Run: build/native/bench/bench_transport --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/compression.h"
#include "common/env.h"
#include "testing/result_set_writer.h"
#include "transport/frame_codec.h"
#include "transport/message_code.h"
#include "transport/query_document.h"
#include "transport/query_job.h"
#include "transport/result_set.h"
#include "transport/umy_socket.h"

namespace orra {
namespace {

constexpr int kFrames = 100000;

void BuildTypicalDocument(dozodavu_netcfg& document) {
  document.SetVersion();
  int32_t i = document.PairCount();
  const char16_t* names[] = {u"@seccode@", u"date", u"begindate", u"enddate", u"unit", u"currency", u"period"};
  const char16_t* values[] = {u"600000.SH", u"20240105", u"20230101", u"20231231", u"1", u"CNY", u"Q"};
  for (int p = 0; p < 7; ++p) document.SetPair(i++, names[p], values[p]);
  document.SetPair(i, u"@@UserName", u"zhangsan");
  document.SetPairCount(i + 1);
  document.SetServicePath(u"stock/finance/income/total");
}

std::vector<uint8_t> TypicalPayload() {
  dozodavu_netcfg document;
  BuildTypicalDocument(document);
  const auto job = QueryJob::ForQuery(1, u"xdbr", document);
  return {job->bytes().begin(), job->bytes().end()};
}

void BM_SerialiseQueryDocument(benchmark::State& state) {
  std::vector<uint8_t> out(4096);
  for (auto _ : state) {
    dozodavu_netcfg document;
    BuildTypicalDocument(document);
    benchmark::DoNotOptimize(document.Serialise(out.data()));
  }
}
BENCHMARK(BM_SerialiseQueryDocument);

void BM_Baseline_CopyDocumentBytes(benchmark::State& state) {
  const auto payload = TypicalPayload();
  std::vector<uint8_t> out(payload.size());
  for (auto _ : state) {
    std::memcpy(out.data(), payload.data(), payload.size());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Baseline_CopyDocumentBytes);

// A loopback connection whose far end is read by a thread: either decoding frames or discarding bytes.
struct LoopbackSink {
  explicit LoopbackSink(bool decode) {
    int error = 0;
    auto listener = TcpSocket::Listen(0x7F000001, 0, &error);
    ConnectionProfile profile;
    profile.SetServer("127.0.0.1", listener->LocalPort());
    std::thread accept([&] {
      auto accepted = listener->Accept(5000);
      server.Adopt(std::move(*accepted));
    });
    client.Connect(profile, env);
    accept.join();
    reader = std::thread([this, decode] {
      FrameCodec codec(env.traffic());
      std::vector<uint8_t> chunk(1 << 16);
      while (true) {
        if (decode) {
          if (!codec.Receive(server)) break;
          frames.fetch_add(1, std::memory_order_release);
        } else {
          const IoResult got = server.ReceiveSome(chunk.data(), chunk.size());
          if (got.status != IoStatus::kOk) break;
          bytes.fetch_add(got.bytes, std::memory_order_release);
        }
      }
    });
  }
  ~LoopbackSink() {
    client.Close();
    reader.join();
  }
  PlatformEnv env;
  UMySocket client;
  UMySocket server;
  std::thread reader;
  std::atomic<int64_t> frames{0};
  std::atomic<int64_t> bytes{0};
};

void BM_SendAndReceiveQueryFrames(benchmark::State& state) {
  const auto payload = TypicalPayload();
  for (auto _ : state) {
    LoopbackSink sink(/*decode=*/true);
    FrameCodec codec(sink.env.traffic());
    ByteBuffer out;
    for (int i = 0; i < kFrames; ++i) {
      codec.Encode(MessageCode::kQuery, payload, static_cast<uint32_t>(i), out);
      sink.client.SendAll(out.data(), out.size());
    }
    while (sink.frames.load(std::memory_order_acquire) < kFrames) std::this_thread::yield();
  }
  state.counters["us_per_frame"] = benchmark::Counter(kFrames * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_SendAndReceiveQueryFrames)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Baseline_Compress2Level9(benchmark::State& state) {
  const auto payload = TypicalPayload();
  std::vector<uint8_t> out(2 * payload.size() + 20);
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      uLongf length = out.size();
      compress2(out.data(), &length, payload.data(), payload.size(), 9);
      benchmark::DoNotOptimize(length);
    }
  }
  state.counters["us_per_frame"] = benchmark::Counter(kFrames * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_Baseline_Compress2Level9)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CompressBufferKeptStream(benchmark::State& state) {
  const auto payload = TypicalPayload();
  std::vector<uint8_t> out(2 * payload.size() + 20);
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      size_t length = out.size();
      CompressBuffer(out.data(), length, payload.data(), payload.size());
      benchmark::DoNotOptimize(length);
    }
  }
  state.counters["us_per_frame"] = benchmark::Counter(kFrames * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_CompressBufferKeptStream)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Baseline_WriteCompressedBytes(benchmark::State& state) {
  const auto payload = TypicalPayload();
  TrafficCounters traffic;
  FrameCodec codec(traffic);
  ByteBuffer frame;
  codec.Encode(MessageCode::kQuery, payload, 0, frame);
  for (auto _ : state) {
    LoopbackSink sink(/*decode=*/false);
    for (int i = 0; i < kFrames; ++i) sink.client.SendAll(frame.data(), frame.size());
    const int64_t total = static_cast<int64_t>(frame.size()) * kFrames;
    while (sink.bytes.load(std::memory_order_acquire) < total) std::this_thread::yield();
  }
  state.counters["frame_bytes"] = static_cast<double>(frame.size());
  state.counters["us_per_frame"] = benchmark::Counter(kFrames * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_Baseline_WriteCompressedBytes)->Unit(benchmark::kMillisecond)->Iterations(1);

std::vector<uint8_t> LargeTable() {
  ResultSetWriter writer;
  const uint16_t types[10] = {7, 5, 5, 1, 2, 11, 7, 6, 9, 8};
  for (int c = 0; c < 10; ++c) writer.AddColumn("column" + std::to_string(c), types[c]);
  for (int r = 0; r < 1000; ++r) {
    writer.AddRow({EncodeGbk(std::to_string(600000 + r) + ".SH"), EncodeDouble(r * 1.25), EncodeDouble(r / 3.0),
                   EncodeInt64(r * 1000003LL), EncodeInt32(r), EncodeDateTime(2024, 1 + r % 12, 1 + r % 28),
                   EncodeGbk("\xC6\xBD\xB0\xB2\xD2\xF8\xD0\xD0"), EncodeFloat(static_cast<float>(r) / 7),
                   EncodeBigEndian(r, 8), EncodeUtf16(u"name")});
  }
  return writer.Finish();
}

void BM_ReadResultSet1000x10(benchmark::State& state) {
  const auto bytes = LargeTable();
  for (auto _ : state) {
    ResultSet table;
    table.Open(bytes);
    double sum = 0;
    size_t text = 0;
    for (bool on = table.First(); on; on = table.Next()) {
      for (int c = 0; c < table.ColumnCount(); ++c) {
        text += table.Text(c).size();
        sum += table.Number(c);
      }
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_ReadResultSet1000x10)->Unit(benchmark::kMicrosecond);

void BM_Baseline_ScanTableBytes(benchmark::State& state) {
  const auto bytes = LargeTable();
  for (auto _ : state) {
    uint64_t sum = 0;
    for (uint8_t b : bytes) sum += b;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_Baseline_ScanTableBytes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orra

BENCHMARK_MAIN();
