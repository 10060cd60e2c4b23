#pragma once
// The login check: reads the terminal's login block anew each time, records the outcome in
// the process-wide login state, and hands the user name and data directory to the local data
// store. Runs on Excel's main thread (ConnectData, ribbon commands).

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "request/login_block.h"

namespace orra {

enum class LoginState : int32_t {
  kUnchecked = -1,
  kLoggedIn = 1,
  kNotLoggedIn = 3,
  kNoPermission = 4,
};

// What the check does to the local data store.
class LoginStore {
 public:
  virtual ~LoginStore() = default;
  // Nobody is logged in: forget indicators and variables, so a later login reloads them.
  virtual void ClearIndicatorsAndVariables() = 0;
  virtual bool IndicatorDictionaryEmpty() const = 0;
  // Sets the base directory (ends with a separator) and loads the terminal's files.
  virtual void LoadFrom(const std::u16string& base_directory) = 0;
  // The variable "@@UserName".
  virtual void SetUserName(const std::u16string& user) = 0;
};

// What ConnectData and the ribbon commands ask.
class LoginChecker {
 public:
  virtual ~LoginChecker() = default;
  // True when the state is kLoggedIn afterwards.
  virtual bool Check() = 0;
  virtual LoginState State() const = 0;
};

class LoginCheck final : public LoginChecker {
 public:
  static constexpr size_t kMaxUserUnits = 255;

  LoginCheck(LoginBlockReader& reader, LoginStore& store) : reader_(reader), store_(store) {}
  bool Check() override;
  LoginState State() const override { return state_.load(std::memory_order_acquire); }
  // The ribbon's image callbacks mark the user as logged in.
  void SetState(LoginState state) { state_.store(state, std::memory_order_release); }

 private:
  LoginBlockReader& reader_;
  LoginStore& store_;
  std::atomic<LoginState> state_{LoginState::kUnchecked};
};

// The message a ribbon command shows for a failed check ("提示", OK), empty for other states.
std::u16string_view LoginMessage(LoginState state);
constexpr char16_t kLoginMessageCaption[] = u"提示";

}  // namespace orra
