#pragma once
// The topic parser's view of the local data store: whether an indicator name already has a
// variable, and the system dictionary's default for it (see ParseTopics). Calls go to the
// store's own locked lookups, so any thread that parses topics may use it.

#include "request/indicator_variable_source.h"
#include "store/orra_data.h"

namespace orra {

class StoreIndicatorVariables final : public IndicatorVariableSource {
 public:
  explicit StoreIndicatorVariables(COrraData& store) : store_(store) {}

  bool HasVariable(std::u16string_view name) const override;
  bool HasIndicator(std::u16string_view name) const override;
  std::optional<std::string> ParameterDefaultByName(std::string_view gbk_name) const override;
  std::optional<std::string> ParameterDefaultById(int32_t id) const override;
  void AddVariable(std::u16string_view name, std::u16string_view value) override;

 private:
  std::optional<std::string> DefaultOf(std::string_view gbk_name, int64_t id) const;

  COrraData& store_;
};

}  // namespace orra
