#pragma once
// The login check's hand-over to the local data store: forget on logout, load from the
// terminal's data directory on the first good check, keep "@@UserName" current.

#include "request/login_check.h"
#include "store/orra_data.h"

namespace orra {

class StoreLogin final : public LoginStore {
 public:
  static constexpr char16_t kUserNameVariable[] = u"@@UserName";

  explicit StoreLogin(COrraData& store) : store_(store) {}
  void ClearIndicatorsAndVariables() override { store_.ClearDictionaries(); }
  bool IndicatorDictionaryEmpty() const override { return store_.IndicatorDictionaryEmpty(); }
  void LoadFrom(const std::u16string& base_directory) override;
  void SetUserName(const std::u16string& user) override { store_.SetVariable(kUserNameVariable, user); }

 private:
  COrraData& store_;
};

}  // namespace orra
