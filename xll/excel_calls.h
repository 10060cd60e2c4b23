#pragma once
// The port to Excel's C API: one call of Excel12v. The XLL's adapter forwards it to the host's
// callback; tests answer it with a scripted Excel. Callers hold what Excel gives back in an
// ExcelResult, which hands Excel's memory back with xlFree when it goes.
//
// Excel's main thread only, like the C API itself.

#include <cstdint>
#include <initializer_list>
#include <span>

#include "xll/xl_constants.h"
#include "xll/xloper.h"

namespace orra {

class ExcelCalls {
 public:
  // Excel12v: calls `function` with `arguments` (which Excel only reads) and fills `result`.
  // Answers one of the xlret codes.
  virtual int32_t Call(int32_t function, XLOPER12& result,
                       std::span<const XLOPER12* const> arguments) noexcept = 0;

 protected:
  ~ExcelCalls() = default;
};

// What one call gave back. When the call succeeded and the value holds memory of Excel's (a
// text, an array, a reference), the destructor returns it with xlFree.
class ExcelResult {
 public:
  ExcelResult(ExcelCalls& excel, int32_t function,
              std::initializer_list<const XLOPER12*> arguments);
  ExcelResult(ExcelCalls& excel, int32_t function, std::span<const XLOPER12* const> arguments);
  ~ExcelResult();
  ExcelResult(const ExcelResult&) = delete;
  ExcelResult& operator=(const ExcelResult&) = delete;

  bool succeeded() const { return return_code_ == xlretSuccess; }
  int32_t return_code() const { return return_code_; }
  const XLOPER12& value() const { return value_; }

 private:
  ExcelCalls& excel_;
  XLOPER12 value_{};
  int32_t return_code_ = 0;
};

}  // namespace orra
