#include "addin/array_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "request/sheet_write_queue.h"
#include "testing/grid_object_model.h"
#include "testing/test_env.h"
#include "testing/wait_until.h"

namespace orra {
namespace {
using testing::WaitUntil;

// The hidden window's timer, started from the watcher thread as well as from the test's
// thread, which stands for Excel's main thread.
class FakeTimer final : public MainThreadTimer {
 public:
  bool Start(uint32_t id, uint32_t period_ms) override {
    last_id = id;
    last_period = period_ms;
    running = true;
    ++starts;
    return true;
  }
  void Stop(uint32_t) override { running = false; }

  std::atomic<uint32_t> last_id{0};
  std::atomic<uint32_t> last_period{0};
  std::atomic<bool> running{false};
  std::atomic<int> starts{0};
};

SheetTable Table(size_t rows, size_t columns, std::vector<SheetValue> values) {
  return SheetTable::FromRows(rows, columns, std::move(values)).value();
}

SheetTable Text(std::u16string text) { return Table(1, 1, {SheetValue(std::move(text))}); }

// The grid, except that while `refuse_redraw` is set Excel refuses to switch screen updating
// back on, as it does once the user has begun editing a cell between the two switches.
class RedrawRefusingExcel final : public ExcelObjectModel {
 public:
  explicit RedrawRefusingExcel(GridObjectModel& grid) : grid_(grid) {}

  std::optional<SheetKey> ActiveSheet() override { return grid_.ActiveSheet(); }
  std::optional<SheetKey> SheetOf(std::u16string_view address) override { return grid_.SheetOf(address); }
  std::optional<bool> SelectionIntersects(std::u16string_view address) override {
    return grid_.SelectionIntersects(address);
  }
  bool SetEnableCalculation(const SheetKey& sheet, bool enabled) override {
    return grid_.SetEnableCalculation(sheet, enabled);
  }
  bool DirtySelection() override { return grid_.DirtySelection(); }
  bool CalculateFull() override { return grid_.CalculateFull(); }
  bool SetNumberFormatLocal(std::u16string_view address, std::u16string_view format) override {
    return grid_.SetNumberFormatLocal(address, format);
  }
  bool SetHorizontalAlignment(std::u16string_view address, int32_t alignment) override {
    return grid_.SetHorizontalAlignment(address, alignment);
  }
  bool SetScreenUpdating(bool enabled) override {
    if (enabled && refuse_redraw) return false;
    return grid_.SetScreenUpdating(enabled);
  }
  bool WriteAtActiveCell(const SheetTable& table) override { return grid_.WriteAtActiveCell(table); }
  bool SetActiveBlockNumberFormatLocal(size_t rows, size_t columns, std::u16string_view format) override {
    return grid_.SetActiveBlockNumberFormatLocal(rows, columns, format);
  }
  std::u16string LastError() const override { return grid_.LastError(); }

  bool refuse_redraw = false;

 private:
  GridObjectModel& grid_;
};

// A request refused at connection: reported once, then again only after its delivered flag
// was cleared.
tagRequest Refused(int32_t topic) {
  tagRequest record(topic);
  record.SetStatus(RequestStatus::kNotLoggedIn);
  return record;
}

class ArrayWriterTest : public ::testing::Test {
 protected:
  ArrayWriterTest() {
    sheet_ = grid_.AddSheet(u"Book1.xlsx", u"Sheet1");
    grid_.Select(u"B2");
    writer_ = std::make_unique<ArrayWriter>(queue_, grid_, requests_, timer_);
  }

  std::optional<GridValue> ValueAt(std::u16string_view address) const {
    const auto cell = grid_.Cell(address);
    return cell ? std::optional<GridValue>(cell->value) : std::nullopt;
  }
  std::optional<std::u16string> FormatAt(std::u16string_view address) const {
    const auto cell = grid_.Cell(address);
    return cell ? cell->number_format : std::nullopt;
  }

  testing::TestEnv env_;
  RequestsDictionary requests_{env_};
  GridObjectModel grid_;
  SheetKey sheet_;
  SheetWriteQueue queue_;
  FakeTimer timer_;
  RedrawRefusingExcel refusing_{grid_};
  std::unique_ptr<ArrayWriter> writer_;
};

TEST_F(ArrayWriterTest, ATableFillsTheBlockAtTheActiveCellInOneBatch) {
  queue_.Enqueue(Table(1, 5, {1.0, 2.0, 3.0, 4.0, 5.0}));
  queue_.Enqueue(SheetTable::Column({u"600000.SH", u"000001.SZ", true, SheetValue(), u"=XDP(\"600000.SH\")"}).value());
  writer_->OnTimer();

  EXPECT_EQ(grid_.WrittenBlocks(), (std::vector<std::u16string>{u"'[Book1.xlsx]Sheet1'!B2:F2", u"'[Book1.xlsx]Sheet1'!B2:B6"}));
  EXPECT_EQ(ValueAt(u"F2"), GridValue(5.0));
  EXPECT_EQ(ValueAt(u"C2"), GridValue(2.0)) << "the column overwrote only B2 of the row";
  EXPECT_EQ(ValueAt(u"B2"), GridValue(u"600000.SH"));
  EXPECT_EQ(ValueAt(u"B4"), GridValue(true));
  EXPECT_EQ(ValueAt(u"B6"), GridValue(u"=XDP(\"600000.SH\")"));
  // Screen updating is off once for the whole batch and on again after it.
  EXPECT_EQ(grid_.ScreenUpdatingChanges(), (std::vector<bool>{false, true}));
}

TEST_F(ArrayWriterTest, TheFirstValuesDateFormFormatsTheWholeBlock) {
  struct Case {
    SheetValue first;
    std::optional<std::u16string> format;
  };
  const Case cases[] = {
      {u"2017-02-20", u"yyyy-mm-dd"},
      {u"2017-2-2", u"yyyy-mm-dd"},
      {u"20170220", u"@"},
      {20170220.0, u"@"},  // a number reads as its digits
      {u"2017年2月20日", u"yyyy年mm月dd日"},
      {u"2017/02/20", u"yyyy/mm/dd"},
      {u"2017-02-20 10:00", std::nullopt},  // the whole text must be a date
      {3.5, std::nullopt},
      {u"600000.SH", std::nullopt},
      {SheetValue(), std::nullopt},
      {false, std::nullopt},
  };
  for (const Case& c : cases) {
    GridObjectModel grid;
    grid.AddSheet(u"Book1.xlsx", u"Sheet1");
    grid.Select(u"C3");
    SheetWriteQueue queue;
    ArrayWriter writer(queue, grid, requests_, timer_);
    // The later values are no dates: only the first one decides.
    queue.Enqueue(Table(2, 2, {c.first, u"x", 1.0, u"2017-02-20"}));
    writer.OnTimer();
    const std::string label = std::to_string(c.first.index());
    ASSERT_EQ(grid.WrittenBlocks().size(), 1u) << label;
    for (std::u16string_view cell : {u"C3", u"D3", u"C4", u"D4"}) {
      EXPECT_EQ(grid.Cell(cell)->number_format, c.format) << label;
    }
    EXPECT_EQ(grid.Cell(u"E3")->number_format, std::nullopt) << "nothing beyond the block";
  }
}

TEST_F(ArrayWriterTest, ALongQueueIsWrittenFiveThousandTablesAPassEachAtThatPasssActiveCell) {
  for (int i = 0; i < 6000; ++i) queue_.Enqueue(Table(1, 1, {static_cast<double>(i)}));
  writer_->OnTimer();
  EXPECT_EQ(grid_.WrittenBlocks().size(), 5000u);
  EXPECT_EQ(ValueAt(u"B2"), GridValue(4999.0));

  grid_.Select(u"D4");
  writer_->OnTimer();
  EXPECT_EQ(grid_.WrittenBlocks().size(), 6000u);
  EXPECT_EQ(ValueAt(u"D4"), GridValue(5999.0));
  EXPECT_EQ(ValueAt(u"B2"), GridValue(4999.0));
  EXPECT_EQ(grid_.ScreenUpdatingChanges().size(), 4u);

  // A tick with nothing queued leaves Excel alone.
  writer_->OnTimer();
  EXPECT_EQ(grid_.ScreenUpdatingChanges().size(), 4u);
}

TEST_F(ArrayWriterTest, WhileACellIsEditedTheBatchWaitsAndIsWrittenInOrderAfterwards) {
  queue_.Enqueue(Table(1, 1, {u"a"}));
  queue_.Enqueue(Table(1, 2, {u"b", u"b"}));
  grid_.SetEditMode(true);
  const int starts_before = timer_.starts;
  writer_->OnTimer();
  EXPECT_TRUE(grid_.WrittenBlocks().empty());
  EXPECT_EQ(writer_->RetryCount(), 2u);
  EXPECT_GT(timer_.starts, starts_before) << "a refused batch arms the timer itself";
  EXPECT_EQ(timer_.last_id, ArrayWriter::kTimerId);
  EXPECT_EQ(timer_.last_period, ArrayWriter::kPeriodMs);

  queue_.Enqueue(Table(1, 3, {u"c", u"c", u"c"}));
  writer_->OnTimer();  // still editing
  EXPECT_TRUE(grid_.WrittenBlocks().empty());
  EXPECT_EQ(writer_->RetryCount(), 2u) << "the retry list keeps its batch, the new table stays queued";

  grid_.SetEditMode(false);
  writer_->OnTimer();
  EXPECT_EQ(grid_.WrittenBlocks(), (std::vector<std::u16string>{u"'[Book1.xlsx]Sheet1'!B2", u"'[Book1.xlsx]Sheet1'!B2:C2"}))
      << "the retry pass writes the waiting batch only";
  EXPECT_EQ(writer_->RetryCount(), 0u);
  writer_->OnTimer();
  ASSERT_EQ(grid_.WrittenBlocks().size(), 3u);
  EXPECT_EQ(grid_.WrittenBlocks()[2], u"'[Book1.xlsx]Sheet1'!B2:D2");
}

TEST_F(ArrayWriterTest, ABatchInBeforeExcelRefusesToRedrawIsNotWrittenAgain) {
  writer_.reset();
  writer_ = std::make_unique<ArrayWriter>(queue_, refusing_, requests_, timer_);
  queue_.Enqueue(Text(u"once"));
  refusing_.refuse_redraw = true;
  writer_->OnTimer();
  EXPECT_EQ(ValueAt(u"B2"), GridValue(u"once"));
  EXPECT_FALSE(grid_.ScreenUpdating());
  EXPECT_EQ(writer_->RetryCount(), 0u) << "a written batch is not kept for a retry";
  EXPECT_TRUE(timer_.running) << "the switch back is tried again on a later tick";

  // The user moves on; while Excel still refuses, nothing at all is written.
  grid_.Select(u"E5");
  queue_.Enqueue(Text(u"later"));
  writer_->OnTimer();
  EXPECT_EQ(grid_.WrittenBlocks().size(), 1u);
  EXPECT_FALSE(grid_.ScreenUpdating());

  refusing_.refuse_redraw = false;
  writer_->OnTimer();
  EXPECT_TRUE(grid_.ScreenUpdating());
  EXPECT_EQ(grid_.WrittenBlocks(), (std::vector<std::u16string>{u"'[Book1.xlsx]Sheet1'!B2", u"'[Book1.xlsx]Sheet1'!E5"}));
  EXPECT_EQ(ValueAt(u"E5"), GridValue(u"later"));
}

TEST_F(ArrayWriterTest, AWriterGoingWhileExcelRefusedToRedrawSwitchesItBackOn) {
  writer_.reset();
  writer_ = std::make_unique<ArrayWriter>(queue_, refusing_, requests_, timer_);
  queue_.Enqueue(Text(u"a"));
  refusing_.refuse_redraw = true;
  writer_->OnTimer();
  ASSERT_FALSE(grid_.ScreenUpdating());
  refusing_.refuse_redraw = false;
  writer_.reset();
  EXPECT_TRUE(grid_.ScreenUpdating());
  EXPECT_EQ(grid_.WrittenBlocks().size(), 1u);
}

TEST_F(ArrayWriterTest, ATableThatFailsIsDroppedAndTheOthersAreWritten) {
  queue_.Enqueue(Table(1, 1, {u"first"}));
  queue_.Enqueue(SheetTable());                             // no values at all
  queue_.Enqueue(SheetTable::FromRows(3, 0, {}).value());   // rows but no columns
  queue_.Enqueue(Table(1, 1, {u"last"}));
  writer_->OnTimer();
  EXPECT_EQ(grid_.WrittenBlocks().size(), 2u);
  EXPECT_EQ(ValueAt(u"B2"), GridValue(u"last"));
  EXPECT_EQ(writer_->RetryCount(), 0u) << "a dropped table is not retried";

  // No active cell (nothing selected): the table is dropped, a later one still written.
  grid_.ClearSelection();
  queue_.Enqueue(Text(u"lost"));
  writer_->OnTimer();
  grid_.Select(u"E5");
  queue_.Enqueue(Text(u"kept"));
  writer_->OnTimer();
  EXPECT_EQ(grid_.WrittenBlocks().size(), 3u);
  EXPECT_EQ(ValueAt(u"E5"), GridValue(u"kept"));
  EXPECT_EQ(writer_->RetryCount(), 0u);
}

TEST_F(ArrayWriterTest, OnlyAWrittenTableClearsTheDeliveredFlags) {
  requests_.Store(Refused(3));
  ASSERT_EQ(requests_.TakeChanged(), (std::vector<TopicId>{3}));

  grid_.ClearSelection();
  queue_.Enqueue(Text(u"nowhere to go"));
  writer_->OnTimer();
  EXPECT_TRUE(requests_.TakeChanged().empty()) << "a dropped table clears nothing";

  // The values go in but Excel refuses the format: the table counts as failed.
  grid_.Select(u"B2");
  grid_.FailCall(GridCall::kSetActiveBlockNumberFormatLocal, u"refused");
  queue_.Enqueue(Text(u"2017-02-20"));
  writer_->OnTimer();
  EXPECT_EQ(ValueAt(u"B2"), GridValue(u"2017-02-20"));
  EXPECT_TRUE(requests_.TakeChanged().empty());

  grid_.ClearFailure(GridCall::kSetActiveBlockNumberFormatLocal);
  queue_.Enqueue(Text(u"written"));
  writer_->OnTimer();
  EXPECT_EQ(requests_.TakeChanged(), (std::vector<TopicId>{3}));
}

TEST_F(ArrayWriterTest, TheWatcherArmsTheTimerForWaitingTables) {
  queue_.Enqueue(Text(u"x"));
  ASSERT_TRUE(WaitUntil([&] { return timer_.running.load() && writer_->TimerArmed(); }));
  EXPECT_EQ(timer_.last_id, ArrayWriter::kTimerId);
  EXPECT_EQ(timer_.last_period, ArrayWriter::kPeriodMs);

  writer_->OnTimer();
  EXPECT_FALSE(timer_.running) << "each tick stops the timer";
  EXPECT_EQ(grid_.WrittenBlocks().size(), 1u);

  // Tables enqueued after a pass are armed for again: the tick woke the watcher.
  const int starts = timer_.starts;
  queue_.Enqueue(Text(u"y"));
  ASSERT_TRUE(WaitUntil([&] { return timer_.starts > starts; }));
}

TEST_F(ArrayWriterTest, TablesEnqueuedWithoutAWriterAreWrittenByTheNextOne) {
  writer_.reset();
  queue_.Enqueue(Text(u"before connection"));
  writer_ = std::make_unique<ArrayWriter>(queue_, grid_, requests_, timer_);
  ASSERT_TRUE(WaitUntil([&] { return writer_->TimerArmed(); }));
  writer_->OnTimer();
  EXPECT_EQ(ValueAt(u"B2"), GridValue(u"before connection"));
}

TEST_F(ArrayWriterTest, ABatchWaitingForARetryGoesBackToTheQueueWhenTheWriterGoes) {
  queue_.Enqueue(Text(u"a"));
  queue_.Enqueue(Text(u"b"));
  grid_.SetEditMode(true);
  writer_->OnTimer();
  ASSERT_EQ(writer_->RetryCount(), 2u);
  queue_.Enqueue(Text(u"c"));

  writer_.reset();
  grid_.SetEditMode(false);
  writer_ = std::make_unique<ArrayWriter>(queue_, grid_, requests_, timer_);
  grid_.Select(u"A1");
  writer_->OnTimer();
  EXPECT_EQ(ValueAt(u"A1"), GridValue(u"c"));
  EXPECT_EQ(grid_.WrittenBlocks().size(), 3u) << "a, b, then c, in the order they were enqueued";
  EXPECT_TRUE(WaitUntil([&] { return !queue_.HasUntaken(); }));
}

}  // namespace
}  // namespace orra
