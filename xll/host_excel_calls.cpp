#include "xll/host_excel_calls.h"

#include <array>

#include "xll/xl_constants.h"

namespace orra {
namespace {

int32_t Fail(XLOPER12& result, int32_t return_code) {
  // What Excel itself leaves in the result of a failed call.
  result = XLOPER12{};
  result.xltype = xltypeErr;
  result.val.err = xlerrValue;
  return return_code;
}

}  // namespace

int32_t HostExcelCalls::Call(int32_t function, XLOPER12& result,
                             std::span<const XLOPER12* const> arguments) noexcept {
  if (entry_ == nullptr) return Fail(result, xlretFailed);
  if (arguments.size() > kMaxArguments) return Fail(result, xlretInvCount);
  // Excel's entry takes the list as mutable pointers; it only reads the values.
  std::array<XLOPER12*, kMaxArguments> pointers{};
  for (size_t i = 0; i < arguments.size(); ++i) pointers[i] = const_cast<XLOPER12*>(arguments[i]);
  return entry_(function | xlIntl, static_cast<int32_t>(arguments.size()), pointers.data(), &result);
}

}  // namespace orra
