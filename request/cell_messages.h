#pragma once
// The short texts a worksheet function shows in its cell instead of data, in their standard
// form and, once developer mode has started its log, their developer form.
//
// Both tables are immutable; the switch to the developer texts is one atomic pointer store, so
// worksheet functions on Excel's thread and any other reader see one table or the other, never
// a mixture. The switch is one-way: the process owns one table from its composition root until
// the library is unloaded, and whatever renders cells is handed it.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>

#include "request/request.h"

namespace orra {

enum class CellMessage : uint8_t {
  kFetching,
  kTimeout,
  kNullValue,
  kNoData,
  kNoIndex,
  kError,
  kFixedParam,
  kQuoteParam,
  kLogin,
  kDataTypeError,
  kIndexSizeZero,
  kNoFunctionType,
  kPermission,
};
constexpr size_t kCellMessageCount = 13;

// How a worksheet function shows its request: single-value functions render the answer,
// array functions never render data into their own cell.
enum class FunctionShape : uint8_t { kSingleValue, kArray };

class CellMessageTable {
 public:
  // Starts with the standard texts.
  CellMessageTable();
  CellMessageTable(const CellMessageTable&) = delete;
  CellMessageTable& operator=(const CellMessageTable&) = delete;

  std::u16string_view Text(CellMessage message) const;
  // Replaces twelve texts by their developer forms ("permission" keeps its text).
  void UseDeveloperTexts();
  bool UsingDeveloperTexts() const;

 private:
  using Texts = std::u16string_view[kCellMessageCount];
  std::atomic<const Texts*> texts_;
};

// The message a cell shows for a request in `status`, or nullopt when the cell shows the
// rendered answer (status 1 of a single-value function).
std::optional<CellMessage> MessageForStatus(uint8_t status, FunctionShape shape);

}  // namespace orra
