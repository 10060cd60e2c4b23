#include "xll/function_registry.h"

#include <utility>

namespace orra {

FunctionRegistry FunctionRegistry::AddinFunctions() {
  FunctionRegistry registry;
  registry.Add(XdpRegistration());
  return registry;
}

void FunctionRegistry::Add(FunctionRegistration record) {
  std::u16string name = record.name_in_excel;
  functions_.insert_or_assign(std::move(name), RegisteredFunction{std::move(record), std::nullopt});
}

const RegisteredFunction* FunctionRegistry::Find(std::u16string_view name_in_excel) const {
  const auto found = functions_.find(name_in_excel);
  return found == functions_.end() ? nullptr : &found->second;
}

}  // namespace orra
