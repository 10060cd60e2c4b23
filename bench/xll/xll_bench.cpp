// One worksheet-function evaluation on Excel's thread, from the export's entry to the XLOPER12
// it returns, with Excel's own calls costing nothing (they answer constants) and no object
// model, so that what is measured is the add-in's share:
//  (a) an answered XDP cell, its value rendered from the reply, against a trivial export that
//      returns its argument through the same temporary memory;
//  (b) a first evaluation: the topic list built, RTD answering -1, "Fetching...".
#include <benchmark/benchmark.h>

#include <string>

#include "bench/ratio_main.h"
#include "common/env.h"
#include "request/cell_messages.h"
#include "request/requests_dictionary.h"
#include "testing/result_set_writer.h"
#include "transport/query_reply.h"
#include "xll/temporary_memory.h"
#include "xll/value_kind.h"
#include "xll/worksheet_function_exports.h"
#include "xll/xl_constants.h"
#include "xll/xll_services.h"

namespace orra {
namespace {

constexpr TopicId kAnsweredTopic = 7;
constexpr double kNewTopic = -1;

// Excel answering from constants: the caller B3 as a single reference (no memory to free), the
// sheet name from static storage, RTD with a set handle.
class InstantExcel final : public ExcelCalls {
 public:
  InstantExcel() {
    const std::u16string_view sheet = u"[Book1.xlsx]Sheet1";
    sheet_units_.push_back(static_cast<char16_t>(sheet.size()));
    sheet_units_.append(sheet);
  }
  void SetHandle(double handle) { handle_ = handle; }

  int32_t Call(int32_t function, XLOPER12& result, std::span<const XLOPER12* const>) noexcept override {
    result = XLOPER12{};
    switch (function) {
      case xlfCaller:
        result.xltype = xltypeSRef;
        result.val.sref.count = 1;
        result.val.sref.ref = XLREF12{2, 2, 1, 1};
        return xlretSuccess;
      case xlSheetNm:
        result.xltype = xltypeStr;
        result.val.str = sheet_units_.data();
        return xlretSuccess;
      case xlfRtd:
        result.xltype = xltypeNum;
        result.val.num = handle_;
        return xlretSuccess;
      case xlFree:
        return xlretSuccess;
      default:
        result.xltype = xltypeErr;
        result.val.err = xlerrValue;
        return xlretInvXlfn;
    }
  }

 private:
  std::u16string sheet_units_;
  double handle_ = kNewTopic;
};

struct Installed {
  Installed() {
    ResultSetWriter writer;
    writer.AddColumn("close", static_cast<uint16_t>(ColumnType::kDouble));
    writer.AddRow({EncodeDouble(10.37)});
    tagRequest record(kAnsweredTopic);
    record.SetStatus(RequestStatus::kAnswered);
    record.value_kind = static_cast<uint8_t>(ValueKind::kNumber);
    record.decimals = 2;
    record.result = SharedBlock(PooledBlock::CopyOf(MakeTableReply(writer.Finish())));
    requests.Store(record);
    InstalledXllServices() = XllServices{&excel, &requests, &messages, &env, nullptr};
  }
  ~Installed() { InstalledXllServices() = XllServices{}; }

  PlatformEnv env;
  InstantExcel excel;
  RequestsDictionary requests{env};
  CellMessageTable messages;
};

// A text argument as Excel passes it: the length unit, then the characters.
class TextArgument {
 public:
  explicit TextArgument(std::u16string_view text) : units_(1, static_cast<char16_t>(text.size())) {
    units_.append(text);
    value_.xltype = xltypeStr;
    value_.val.str = units_.data();
  }
  XLOPER12* get() { return &value_; }

 private:
  std::u16string units_;
  XLOPER12 value_{};
};

// XDP("600000.SH", "close") with its 14 options omitted.
struct XdpArguments {
  XLOPER12* Call() {
    XLOPER12* m = &missing;
    return XDP(code.get(), indicator.get(), m, m, m, m, m, m, m, m, m, m, m, m, m, m);
  }
  TextArgument code{u"600000.SH"};
  TextArgument indicator{u"close"};
  XLOPER12 missing{{}, xltypeMissing};
};

void BM_AnsweredXdp(benchmark::State& state) {
  Installed installed;
  installed.excel.SetHandle(kAnsweredTopic);
  XdpArguments arguments;
  const XLOPER12* first = arguments.Call();
  if (first == nullptr || first->xltype != xltypeNum) state.SkipWithError("the answered cell shows no number");
  for (auto _ : state) benchmark::DoNotOptimize(arguments.Call());
  state.SetItemsProcessed(state.iterations());
}

void BM_FirstEvaluation(benchmark::State& state) {
  Installed installed;
  installed.excel.SetHandle(kNewTopic);
  XdpArguments arguments;
  const XLOPER12* first = arguments.Call();
  if (first == nullptr || first->xltype != xltypeStr) state.SkipWithError("the new cell shows no text");
  for (auto _ : state) benchmark::DoNotOptimize(arguments.Call());
  state.SetItemsProcessed(state.iterations());
}

// The least an export can do: start the call's temporary memory and return a copy of its
// argument from it.
[[gnu::noinline]] XLOPER12* TrivialExport(XLOPER12* argument) noexcept {
  TemporaryMemory& memory = TemporaryMemory::OfThisThread();
  memory.Reset();
  return memory.Number(argument->val.num);
}

void BM_TrivialExport(benchmark::State& state) {
  XLOPER12 argument{};
  argument.xltype = xltypeNum;
  argument.val.num = 10.37;
  for (auto _ : state) benchmark::DoNotOptimize(TrivialExport(&argument));
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_AnsweredXdp);
BENCHMARK(BM_FirstEvaluation);
BENCHMARK(BM_TrivialExport);

}  // namespace
}  // namespace orra

ORRA_BENCHMARK_RATIO("answered XDP cell vs trivial export", "BM_AnsweredXdp", "BM_TrivialExport");
ORRA_BENCHMARK_RATIO("first XDP evaluation vs trivial export", "BM_FirstEvaluation", "BM_TrivialExport");
ORRA_BENCHMARK_MAIN();
