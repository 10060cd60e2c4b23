#include "xll/excel_calls.h"

#include "xll/xl_constants.h"

namespace orra {

ExcelResult::ExcelResult(ExcelCalls& excel, int32_t function,
                         std::initializer_list<const XLOPER12*> arguments)
    : ExcelResult(excel, function, std::span(arguments.begin(), arguments.size())) {}

ExcelResult::ExcelResult(ExcelCalls& excel, int32_t function, std::span<const XLOPER12* const> arguments)
    : excel_(excel) {
  value_.xltype = xltypeNil;
  return_code_ = excel_.Call(function, value_, arguments);
}

ExcelResult::~ExcelResult() {
  // On a failure Excel leaves #VALUE! and no memory behind.
  const uint32_t type = BaseType(value_);
  if (!succeeded() || (type != xltypeStr && type != xltypeMulti && type != xltypeRef)) return;
  XLOPER12 unused{};
  const XLOPER12* const owned[] = {&value_};
  excel_.Call(xlFree, unused, owned);
}

}  // namespace orra
