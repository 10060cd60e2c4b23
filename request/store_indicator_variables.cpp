#include "request/store_indicator_variables.h"

#include "store/store_records.h"

namespace orra {

bool StoreIndicatorVariables::HasVariable(std::u16string_view name) const { return store_.FindVariable(name).has_value(); }

bool StoreIndicatorVariables::HasIndicator(std::u16string_view name) const { return store_.FindIndicator(name).has_value(); }

std::optional<std::string> StoreIndicatorVariables::DefaultOf(std::string_view gbk_name, int64_t id) const {
  const std::optional<RecordRef> record = store_.FindParameter(gbk_name, id);
  if (!record) return std::nullopt;
  return std::string(ParameterDefaultText(record->view()));
}

std::optional<std::string> StoreIndicatorVariables::ParameterDefaultByName(std::string_view gbk_name) const {
  if (gbk_name.empty()) return std::nullopt;
  return DefaultOf(gbk_name, 0);
}

std::optional<std::string> StoreIndicatorVariables::ParameterDefaultById(int32_t id) const {
  if (id == 0) return std::nullopt;
  return DefaultOf({}, id);
}

void StoreIndicatorVariables::AddVariable(std::u16string_view name, std::u16string_view value) {
  store_.AddVariable(name, value);
}

}  // namespace orra
