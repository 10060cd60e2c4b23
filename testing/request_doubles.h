#pragma once
// Doubles of the request pipeline's ports, shared by its tests.

#include <gmock/gmock.h>

#include <atomic>
#include <map>
#include <stdexcept>
#include <mutex>
#include <string>
#include <vector>

#include "request/excel_object_model.h"
#include "request/login_check.h"
#include "request/message_boxes.h"
#include "request/query_preparer.h"
#include "request/rtd_server.h"

namespace orra::testing {

class FakeLoginBlock : public LoginBlockReader {
 public:
  Result Read(LoginBlockBytes& bytes) override {
    if (result == Result::kOk) bytes = EncodeLoginBlock(block);
    return result;
  }
  void LogIn(const std::string& user_gbk, const std::string& directory_gbk, int32_t access = kAccessGranted) {
    result = Result::kOk;
    block = {user_gbk, directory_gbk, access};
  }
  Result result = Result::kMissing;
  LoginBlock block;
};

class FakeLoginStore : public LoginStore {
 public:
  void ClearIndicatorsAndVariables() override {
    ++clears;
    loaded_from.clear();
    user.clear();
  }
  bool IndicatorDictionaryEmpty() const override { return loaded_from.empty(); }
  void LoadFrom(const std::u16string& directory) override {
    ++loads;
    loaded_from = directory;
  }
  void SetUserName(const std::u16string& name) override { user = name; }
  int clears = 0;
  int loads = 0;
  std::u16string loaded_from;
  std::u16string user;
};

class ScriptedLogin : public LoginChecker {
 public:
  bool Check() override {
    ++checks;
    return state == LoginState::kLoggedIn;
  }
  LoginState State() const override { return state; }
  LoginState state = LoginState::kLoggedIn;
  int checks = 0;
};

class RecordingMessageBoxes : public MessageBoxes {
 public:
  bool Show(std::u16string_view text, std::u16string_view caption, MessageKind kind) override {
    shown.push_back({std::u16string(text), std::u16string(caption), kind});
    return answer;
  }
  struct Shown {
    std::u16string text, caption;
    MessageKind kind;
  };
  std::vector<Shown> shown;
  bool answer = true;
};

// Answers every request as the test says and records what was posted.
class FakePreparer : public QueryPreparer {
 public:
  PreparedQuery Prepare(const tagRequest& record) override {
    std::lock_guard<std::mutex> guard(mutex);
    PreparedQuery q;
    const std::u16string name = record.IndicatorName();
    if (name == u"throws") throw std::runtime_error("document too large");
    if (name.empty() || unknown.count(name) != 0) return q;
    q.outcome = PreparedQuery::Outcome::kReady;
    q.value_kind = 2;
    q.decimals = 3;
    q.alignment = 2;
    q.date_style = 1;
    const int32_t topic = record.topic_id;
    q.post = [this, topic] {
      std::lock_guard<std::mutex> g(mutex);
      posted.push_back(topic);
      return post_succeeds;
    };
    return q;
  }
  std::vector<int32_t> Posted() {
    std::lock_guard<std::mutex> guard(mutex);
    return posted;
  }
  std::mutex mutex;
  std::map<std::u16string, int> unknown;
  std::vector<int32_t> posted;
  bool post_succeeds = true;
};

class MockExcel : public ExcelObjectModel {
 public:
  MOCK_METHOD(std::optional<SheetKey>, ActiveSheet, (), (override));
  MOCK_METHOD(std::optional<SheetKey>, SheetOf, (std::u16string_view), (override));
  MOCK_METHOD(std::optional<bool>, SelectionIntersects, (std::u16string_view), (override));
  MOCK_METHOD(bool, SetEnableCalculation, (const SheetKey&, bool), (override));
  MOCK_METHOD(bool, DirtySelection, (), (override));
  MOCK_METHOD(bool, CalculateFull, (), (override));
  MOCK_METHOD(bool, SetNumberFormatLocal, (std::u16string_view, std::u16string_view), (override));
  MOCK_METHOD(bool, SetHorizontalAlignment, (std::u16string_view, int32_t), (override));
  MOCK_METHOD(bool, SetScreenUpdating, (bool), (override));
  MOCK_METHOD(bool, WriteAtActiveCell, (const SheetTable&), (override));
  MOCK_METHOD(bool, SetActiveBlockNumberFormatLocal, (size_t, size_t, std::u16string_view), (override));
  MOCK_METHOD(std::u16string, LastError, (), (const, override));
};

class CountingTimer : public MainThreadTimer {
 public:
  bool Start(uint32_t id, uint32_t period_ms) override {
    started_id = id;
    period = period_ms;
    running = true;
    return true;
  }
  void Stop(uint32_t) override { running = false; }
  uint32_t started_id = 0, period = 0;
  bool running = false;
};

class CountingUpdateEvent : public RtdUpdateEvent {
 public:
  explicit CountingUpdateEvent(std::atomic<int>* notifications, const void* identity = nullptr)
      : notifications_(notifications), identity_(identity != nullptr ? identity : this) {}
  void UpdateNotify() override { ++*notifications_; }
  const void* Identity() const override { return identity_; }

 private:
  std::atomic<int>* notifications_;
  const void* identity_;
};

}  // namespace orra::testing
