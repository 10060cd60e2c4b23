#pragma once
// What the topic parser needs of the local data store to give an indicator name a variable of
// its own (see ParseTopics). The store implements it; tests use a fake.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orra {

class IndicatorVariableSource {
 public:
  virtual ~IndicatorVariableSource() = default;

  virtual bool HasVariable(std::u16string_view name) const = 0;
  virtual bool HasIndicator(std::u16string_view name) const = 0;
  // The default value text (GBK, as stored) of the system dictionary's parameter record with
  // this GBK name, or with this numeric id.
  virtual std::optional<std::string> ParameterDefaultByName(std::string_view gbk_name) const = 0;
  virtual std::optional<std::string> ParameterDefaultById(int32_t id) const = 0;
  // Stores a variable; an existing one of the same name is kept.
  virtual void AddVariable(std::u16string_view name, std::u16string_view value) = 0;
};

}  // namespace orra
