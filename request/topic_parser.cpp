#include "request/topic_parser.h"

#include <algorithm>
#include <cstring>

#include "common/decimal_text.h"
#include "common/text_conversion.h"

namespace orra {
namespace {

constexpr size_t kCodeWithoutMarket = 6;
constexpr char16_t kSecurityCodeKey[] = u"@seccode@";

void CopyField(char16_t* field, size_t units, const std::u16string& text, size_t max_chars) {
  const size_t n = std::min({text.size(), max_chars, units - 1});
  std::copy_n(text.data(), n, field);
  std::fill(field + n, field + units, u'\0');
}

// The store's parameter default for `name`, looked up by its GBK name, else by its number.
std::optional<std::string> ParameterDefaultFor(const IndicatorVariableSource& store, const std::u16string& name) {
  if (auto by_name = store.ParameterDefaultByName(ToNarrowString(name))) return by_name;
  return store.ParameterDefaultById(ReadLeadingDecimal(name));
}

}  // namespace

void AddIndicatorVariable(IndicatorVariableSource& store, const std::u16string& name) {
  if (store.HasVariable(name) || !store.HasIndicator(name)) return;
  const std::optional<std::string> default_text = ParameterDefaultFor(store, name);
  if (!default_text) return;
  std::u16string value = ToWideString(*default_text);
  if (value.size() > kMaxVariableValueChars) value.resize(kMaxVariableValueChars);
  store.AddVariable(name, value);
}

std::u16string NormaliseSecurityCode(const std::u16string& code) {
  if (code.size() != kCodeWithoutMarket) return code;
  return code + (code[0] == u'6' ? u".sh" : u".sz");
}

bool ParseTopics(const std::vector<std::u16string>& topics, tagRequest& record, IndicatorVariableSource* store) {
  if (topics.size() < 2) return false;

  CopyField(record.caller_address, kCallerAddressUnits, topics[0], kMaxCallerAddressChars);
  if (std::char_traits<char16_t>::length(record.caller_address) < 3) return false;

  record.function_id = static_cast<uint8_t>(ReadLeadingDecimal(topics[1]) & 0xFF);
  if (record.function_id >= kFunctionCount) return false;

  size_t next = 2;
  if (record.function_id == 0) {
    if (topics.size() < 4) return false;
    const std::u16string& indicator = topics[3];
    if (indicator.size() > kMaxIndicatorNameChars) return false;
    record.parameters.emplace(kSecurityCodeKey, NormaliseSecurityCode(topics[2]));
    CopyField(record.indicator_name, kIndicatorNameUnits, indicator, kMaxIndicatorNameChars);
    if (store != nullptr) AddIndicatorVariable(*store, indicator);
    next = 4;
  }

  for (size_t i = next; i < topics.size(); ++i) {
    const std::u16string& topic = topics[i];
    const size_t equals = topic.find(u'=');
    if (equals == std::u16string::npos) continue;
    record.parameters.emplace(topic.substr(0, equals), topic.substr(equals + 1));
  }
  return true;
}

}  // namespace orra
