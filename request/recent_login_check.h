#pragma once
// RecentLoginCheck: the login check as ConnectData runs it. Opening Excel's workbook connects
// its topics one after another, hundreds of thousands of them, and each check maps the
// terminal's login block anew; so one check serves every ConnectData that follows it within
// kReuseMs by the Env's clock, and the first one after that checks again. A login or logout at
// the terminal is thus recognised at most kReuseMs late. The ribbon commands keep checking
// afresh through the LoginCheck itself. Excel's main thread only.

#include <cstdint>
#include <optional>

#include "common/clock.h"
#include "request/login_check.h"

namespace orra {

class RecentLoginCheck final : public LoginChecker {
 public:
  static constexpr int64_t kReuseMs = 200;

  // `check` and `clock` must outlive this object.
  RecentLoginCheck(LoginChecker& check, const Clock& clock) : check_(check), clock_(clock) {}
  bool Check() override;
  LoginState State() const override { return check_.State(); }

 private:
  struct Outcome {
    int64_t checked_ms;
    bool logged_in;
  };

  LoginChecker& check_;
  const Clock& clock_;
  std::optional<Outcome> last_;
};

}  // namespace orra
