#include "request/login_check.h"

#include "common/text_conversion.h"

namespace orra {

bool LoginCheck::Check() {
  LoginBlockBytes bytes{};
  if (reader_.Read(bytes) != LoginBlockReader::Result::kOk) {
    state_.store(LoginState::kNotLoggedIn, std::memory_order_release);
    store_.ClearIndicatorsAndVariables();
    return false;
  }
  const LoginBlock block = DecodeLoginBlock(bytes);
  if (block.access != kAccessGranted) {
    state_.store(LoginState::kNoPermission, std::memory_order_release);
    return false;
  }
  std::u16string user = ToWideString(block.user_gbk);
  if (user.size() > kMaxUserUnits) user.resize(kMaxUserUnits);
  if (store_.IndicatorDictionaryEmpty()) store_.LoadFrom(ToWideString(block.directory_gbk));
  store_.SetUserName(user);
  state_.store(LoginState::kLoggedIn, std::memory_order_release);
  return true;
}

std::u16string_view LoginMessage(LoginState state) {
  switch (state) {
    case LoginState::kNotLoggedIn:
      return u"星桥资管未登录，请登录后再试。";
    case LoginState::kNoPermission:
      return u"您无权限使用该功能，请联系021-64470000开通。";
    default:
      return {};
  }
}

}  // namespace orra
