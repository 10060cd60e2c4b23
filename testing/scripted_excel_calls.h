#pragma once
// Excel's C API for tests: each function number answers what the test scripted for it, every
// call is recorded with its arguments (texts copied, as their memory is the caller's), and
// xlFree is checked against what was handed out, so a test sees both a leak and a double free.
// A function whose answer depends on its arguments (xlCoerce) can be answered by a handler.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "xll/excel_calls.h"
#include "xll/xl_constants.h"

namespace orra {

class ScriptedExcelCalls final : public ExcelCalls {
 public:
  struct Answer {
    int32_t return_code = xlretSuccess;
    XLOPER12 value{};
  };
  struct RecordedCall {
    int32_t function = 0;
    std::vector<XLOPER12> arguments;
    // The characters of each text argument; none for the others.
    std::vector<std::optional<std::u16string>> texts;
  };
  using Handler = std::function<int32_t(XLOPER12& result, std::span<const XLOPER12* const> arguments)>;

  void Script(int32_t function, int32_t return_code, const XLOPER12& value) {
    answers_[function] = Answer{return_code, value};
  }
  // `handler` answers `function` from its arguments; what it answers holds no memory of Excel's.
  void ScriptHandler(int32_t function, Handler handler) { handlers_[function] = std::move(handler); }
  void ScriptNumber(int32_t function, double number) {
    XLOPER12 value{};
    value.xltype = xltypeNum;
    value.val.num = number;
    Script(function, xlretSuccess, value);
  }
  // A text Excel allocates; the answer owns it until xlFree.
  void ScriptText(int32_t function, std::u16string text) {
    auto& storage = texts_.emplace_back(std::make_unique<std::u16string>());
    storage->push_back(static_cast<char16_t>(text.size()));
    storage->append(text);
    XLOPER12 value{};
    value.xltype = xltypeStr;
    value.val.str = storage->data();
    Script(function, xlretSuccess, value);
  }

  int32_t Call(int32_t function, XLOPER12& result,
               std::span<const XLOPER12* const> arguments) noexcept override {
    auto& call = calls_.emplace_back();
    call.function = function;
    for (const XLOPER12* argument : arguments) {
      call.arguments.push_back(*argument);
      const std::optional<std::u16string_view> text = TextOf(*argument);
      call.texts.push_back(text ? std::optional<std::u16string>(*text) : std::nullopt);
    }
    if (function == xlFree) {
      for (const XLOPER12* argument : arguments) {
        const void* memory = Memory(*argument);
        if (memory != nullptr && outstanding_.erase(memory) == 0) ++bad_frees_;
      }
      return xlretSuccess;
    }
    const auto handler = handlers_.find(function);
    if (handler != handlers_.end()) return handler->second(result, arguments);
    const auto answer = answers_.find(function);
    if (answer == answers_.end()) {
      result.xltype = xltypeErr;
      result.val.err = xlerrValue;
      return xlretInvXlfn;
    }
    result = answer->second.value;
    if (answer->second.return_code == xlretSuccess && Memory(result) != nullptr) {
      if (!outstanding_.insert(Memory(result)).second) ++bad_frees_;
    }
    return answer->second.return_code;
  }

  const std::vector<RecordedCall>& calls() const { return calls_; }
  std::vector<int32_t> functions_called() const {
    std::vector<int32_t> functions;
    for (const auto& call : calls_) functions.push_back(call.function);
    return functions;
  }
  // Memory handed out and not returned, and returns of memory not handed out (or twice).
  size_t outstanding() const { return outstanding_.size(); }
  int bad_frees() const { return bad_frees_; }

 private:
  static const void* Memory(const XLOPER12& value) {
    switch (BaseType(value)) {
      case xltypeStr: return value.val.str;
      case xltypeRef: return value.val.mref.lpmref;
      case xltypeMulti: return value.val.array.lparray;
      default: return nullptr;
    }
  }

  std::map<int32_t, Answer> answers_;
  std::map<int32_t, Handler> handlers_;
  std::vector<std::unique_ptr<std::u16string>> texts_;
  std::vector<RecordedCall> calls_;
  std::set<const void*> outstanding_;
  int bad_frees_ = 0;
};

}  // namespace orra
