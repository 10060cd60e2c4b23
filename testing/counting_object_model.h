#pragma once
// CountingObjectModel: Excel's object model in front of another, counting the calls made
// through it, for tests of how often the add-in reaches into Excel (each call costs a real
// Excel far more than anything the add-in does by itself). One thread, like the model.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "request/excel_object_model.h"

namespace orra::testing {

class CountingObjectModel final : public ExcelObjectModel {
 public:
  explicit CountingObjectModel(ExcelObjectModel& model) : model_(model) {}

  // Every call since the start or the last ClearCount, whatever it answered.
  int calls() const { return calls_; }
  void ClearCount() { calls_ = 0; }

  std::optional<SheetKey> ActiveSheet() override { return Counted().ActiveSheet(); }
  std::optional<SheetKey> SheetOf(std::u16string_view address) override { return Counted().SheetOf(address); }
  std::optional<bool> SelectionIntersects(std::u16string_view address) override {
    return Counted().SelectionIntersects(address);
  }
  bool SetEnableCalculation(const SheetKey& sheet, bool enabled) override {
    return Counted().SetEnableCalculation(sheet, enabled);
  }
  bool DirtySelection() override { return Counted().DirtySelection(); }
  bool CalculateFull() override { return Counted().CalculateFull(); }
  bool SetNumberFormatLocal(std::u16string_view address, std::u16string_view format) override {
    return Counted().SetNumberFormatLocal(address, format);
  }
  bool SetHorizontalAlignment(std::u16string_view address, int32_t alignment) override {
    return Counted().SetHorizontalAlignment(address, alignment);
  }
  bool SetScreenUpdating(bool enabled) override { return Counted().SetScreenUpdating(enabled); }
  bool WriteAtActiveCell(const SheetTable& table) override { return Counted().WriteAtActiveCell(table); }
  bool SetActiveBlockNumberFormatLocal(size_t rows, size_t columns, std::u16string_view format) override {
    return Counted().SetActiveBlockNumberFormatLocal(rows, columns, format);
  }
  std::u16string LastError() const override { return model_.LastError(); }

 private:
  ExcelObjectModel& Counted() {
    ++calls_;
    return model_;
  }

  ExcelObjectModel& model_;
  int calls_ = 0;
};

}  // namespace orra::testing
