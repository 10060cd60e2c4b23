#include "addin/array_window_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "addin/dispatch_excel_win32.h"
#include "testing/message_pump_win32.h"
#include "testing/recording_dispatch_win32.h"
#include "testing/test_env.h"

namespace orra {
namespace {
using testing::RecordingDispatch;
using testing::RecordingExcel;
using Texts = std::vector<std::wstring>;

SheetTable Text(const char16_t* text) { return SheetTable::FromRows(1, 1, {SheetValue(text)}).value(); }

class ArrayWindowTest : public ::testing::Test {
 protected:
  ArrayWindowTest() : application_(new RecordingDispatch(recorded_, L"Application")), excel_(application_) {}
  ~ArrayWindowTest() override { application_->Release(); }

  // Value2's array texts, in the order they were written.
  Texts Written() const {
    Texts written;
    for (const auto& call : recorded_.CallsOf(L"Value2")) written.push_back(call.arguments.at(0));
    return written;
  }

  RecordingExcel recorded_;
  RecordingDispatch* application_;
  DispatchExcel excel_;
  testing::TestEnv env_;
  RequestsDictionary requests_{env_};
  SheetWriteQueue queue_;
};

TEST_F(ArrayWindowTest, AnEnqueuedTableIsWrittenOnTheWindowsThreadWithScreenUpdatingOff) {
  ArrayWindow window(excel_, requests_, queue_);
  ASSERT_TRUE(window.Started());
  EXPECT_FALSE(IsWindowVisible(window.window()));
  EXPECT_EQ(GetParent(window.window()), nullptr) << "a top-level window";

  queue_.Enqueue(SheetTable::Row({u"600000.SH", u"000001.SZ"}).value());
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !Written().empty(); }));
  EXPECT_EQ(Written(), (Texts{L"ARRAY[0..0 x 0..1] BSTR:600000.SH BSTR:000001.SZ"}));
  // Off, the block at the active cell, on again.
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return recorded_.CallsOf(L"ScreenUpdating").size() == 2; }));
  Texts sequence;
  for (const auto& call : recorded_.calls) sequence.push_back(call.member);
  EXPECT_EQ(sequence, (Texts{L"ScreenUpdating", L"ActiveCell", L"Resize", L"Value2", L"ScreenUpdating"}));
  EXPECT_EQ(recorded_.calls.front().arguments, (Texts{L"BOOL:false"}));
  EXPECT_EQ(recorded_.calls.back().arguments, (Texts{L"BOOL:true"}));
}

TEST_F(ArrayWindowTest, WhileExcelRefusesTheBatchIsRetriedAndThenWrittenInOrder) {
  ArrayWindow window(excel_, requests_, queue_);
  ASSERT_TRUE(window.Started());
  recorded_.failing.insert(L"ScreenUpdating");
  queue_.Enqueue(Text(u"first"));
  queue_.Enqueue(Text(u"second"));
  // Retried every 20 ms: a handful of refusals come quickly.
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return recorded_.CallsOf(L"ScreenUpdating").size() >= 4; }));
  EXPECT_TRUE(Written().empty());

  queue_.Enqueue(Text(u"third"));
  recorded_.failing.clear();
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return Written().size() == 3; }));
  EXPECT_EQ(Written(), (Texts{L"ARRAY[0..0 x 0..0] BSTR:first", L"ARRAY[0..0 x 0..0] BSTR:second",
                              L"ARRAY[0..0 x 0..0] BSTR:third"}));
}

TEST_F(ArrayWindowTest, TablesEnqueuedWithoutAWindowAreWrittenByTheNextOne) {
  {
    ArrayWindow first(excel_, requests_, queue_);
    recorded_.failing.insert(L"ScreenUpdating");
    queue_.Enqueue(Text(u"refused"));
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !recorded_.CallsOf(L"ScreenUpdating").empty(); }));
  }
  queue_.Enqueue(Text(u"after disconnection"));
  recorded_.failing.clear();

  ArrayWindow second(excel_, requests_, queue_);
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return Written().size() == 2; }));
  EXPECT_EQ(Written(), (Texts{L"ARRAY[0..0 x 0..0] BSTR:refused", L"ARRAY[0..0 x 0..0] BSTR:after disconnection"}));
}

TEST_F(ArrayWindowTest, TheProcesssEntryPointFeedsTheWindowMadeForExcel) {
  ArrayWindow::Enqueue(Text(u"from a dialog before OnConnection"));
  ArrayWindow window(excel_, requests_);
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return Written().size() == 1; }));
  ArrayWindow::Enqueue(Text(u"from a dialog"));
  ASSERT_TRUE(testing::PumpMessagesUntil([&] { return Written().size() == 2; }));
  EXPECT_EQ(Written().back(), L"ARRAY[0..0 x 0..0] BSTR:from a dialog");
}

}  // namespace
}  // namespace orra
