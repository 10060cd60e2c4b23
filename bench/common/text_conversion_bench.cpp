// The scratch conversions against calling the platform's converter (iconv, "CP936") directly
// on the same texts, with a descriptor opened once: what the scratch layer costs on top.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

#include "bench/ratio_main.h"
#include "common/text_conversion.h"

namespace {

const std::u16string kWideText = u"截面函数 600000.sh 收盘价 星桥资管Excel插件 市场导航 20201231 close";
const std::string kNarrowText = orra::ToNarrowString(kWideText);

void BM_ToWide(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(orra::ToWide(kNarrowText.c_str()));
}

void BM_ToNarrow(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(orra::ToNarrow(kWideText.c_str()));
}

void ConvertWithIconv(iconv_t cd, const void* source, size_t bytes, char* out, size_t room) {
  char* in = static_cast<char*>(const_cast<void*>(source));
  iconv(cd, &in, &bytes, &out, &room);
}

void BM_IconvToWide(benchmark::State& state) {
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  char out[1024];
  for (auto _ : state) {
    ConvertWithIconv(cd, kNarrowText.c_str(), kNarrowText.size() + 1, out, sizeof out);
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
}

void BM_IconvToNarrow(benchmark::State& state) {
  iconv_t cd = iconv_open("CP936", "UTF-16LE");
  char out[1024];
  for (auto _ : state) {
    ConvertWithIconv(cd, kWideText.c_str(), (kWideText.size() + 1) * 2, out, sizeof out);
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
}

BENCHMARK(BM_ToWide);
BENCHMARK(BM_IconvToWide);
BENCHMARK(BM_ToNarrow);
BENCHMARK(BM_IconvToNarrow);

}  // namespace

ORRA_BENCHMARK_RATIO("ToWide vs iconv CP936 -> UTF-16LE", "BM_ToWide", "BM_IconvToWide");
ORRA_BENCHMARK_RATIO("ToNarrow vs iconv UTF-16LE -> CP936", "BM_ToNarrow", "BM_IconvToNarrow");
