#include "request/sheet_write_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "request/sheet_table.h"

namespace orra {
namespace {

SheetTable Numbered(double n) { return SheetTable::FromRows(1, 1, {n}).value(); }

std::vector<double> Numbers(const std::vector<SheetTable>& tables) {
  std::vector<double> numbers;
  for (const SheetTable& table : tables) numbers.push_back(std::get<double>(*table.At(0, 0)));
  return numbers;
}

TEST(SheetTableTest, ShapesAreCheckedAgainstTheValuesAndTheSheet) {
  const auto table = SheetTable::FromRows(2, 3, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0});
  ASSERT_TRUE(table);
  EXPECT_EQ(table->At(1, 0), SheetValue(4.0)) << "values come row after row";
  EXPECT_EQ(table->At(0, 2), SheetValue(3.0));
  EXPECT_FALSE(table->At(2, 0));
  EXPECT_FALSE(table->At(0, 3));

  EXPECT_FALSE(SheetTable::FromRows(2, 3, {1.0})) << "too few values";
  EXPECT_FALSE(SheetTable::FromRows(1, 1, {1.0, 2.0})) << "too many values";
  EXPECT_FALSE(SheetTable::FromRows(SheetTable::kMaxRows + 1, 0, {})) << "more rows than a sheet has";
  EXPECT_FALSE(SheetTable::FromRows(0, SheetTable::kMaxColumns + 1, {}));
  // A block as large as a whole sheet is more than one table may hold.
  EXPECT_FALSE(SheetTable::FromRows(SheetTable::kMaxRows, SheetTable::kMaxColumns, {}));

  const auto no_columns = SheetTable::FromRows(4, 0, {});
  ASSERT_TRUE(no_columns);
  EXPECT_TRUE(no_columns->empty());
  EXPECT_EQ(no_columns->rows(), 4u);
  EXPECT_FALSE(no_columns->At(0, 0));
  EXPECT_FALSE(SheetTable().At(0, 0));

  const auto column = SheetTable::Column({u"600000.SH", u"000001.SZ"});
  ASSERT_TRUE(column);
  EXPECT_EQ(column->rows(), 2u);
  EXPECT_EQ(column->columns(), 1u);
  EXPECT_EQ(column->At(1, 0), SheetValue(u"000001.SZ"));
  const auto row = SheetTable::Row({u"600000.SH", u"000001.SZ"});
  ASSERT_TRUE(row);
  EXPECT_EQ(row->rows(), 1u);
  EXPECT_EQ(row->columns(), 2u);
  EXPECT_TRUE(SheetTable::Column({})->empty());
}

TEST(SheetWriteQueueTest, BatchesComeInOrderAndTakeEachTableOnce) {
  SheetWriteQueue queue;
  EXPECT_FALSE(queue.HasUntaken());
  for (int i = 0; i < 7; ++i) queue.Enqueue(Numbered(i));
  EXPECT_EQ(Numbers(queue.TakeBatch(3)), (std::vector<double>{0, 1, 2}));
  EXPECT_TRUE(queue.HasUntaken());
  queue.CompactIfAllTaken();  // not all taken: nothing may be lost
  queue.Enqueue(Numbered(7));
  EXPECT_EQ(Numbers(queue.TakeBatch(10)), (std::vector<double>{3, 4, 5, 6, 7}));
  EXPECT_FALSE(queue.HasUntaken());
  EXPECT_TRUE(queue.TakeBatch(10).empty());
  queue.CompactIfAllTaken();
  queue.Enqueue(Numbered(8));
  EXPECT_EQ(Numbers(queue.TakeBatch(10)), (std::vector<double>{8})) << "counting starts again after compaction";
}

TEST(SheetWriteQueueTest, UnwrittenTablesGoBackAheadOfTheUntakenOnes) {
  SheetWriteQueue queue;
  for (int i = 0; i < 5; ++i) queue.Enqueue(Numbered(i));
  auto taken = queue.TakeBatch(2);
  queue.TakeBatch(1);  // written: it must not come back
  queue.ReturnUnwritten(std::move(taken));
  EXPECT_EQ(Numbers(queue.TakeBatch(10)), (std::vector<double>{0, 1, 3, 4}));
}

TEST(SheetWriteQueueTest, TheAttachedWakeEventIsSetForWaitingAndNewTablesOnly) {
  SheetWriteQueue queue;
  Event wake(Event::Reset::kManual);
  queue.Attach(wake);
  EXPECT_FALSE(wake.IsSet()) << "nothing was waiting";
  queue.Enqueue(Numbered(1));
  EXPECT_TRUE(wake.IsSet());

  Event later(Event::Reset::kManual);
  queue.Detach();
  queue.Attach(later);
  EXPECT_TRUE(later.IsSet()) << "a writer that attaches learns of the table already waiting";

  queue.Detach();
  wake.Reset();
  queue.Enqueue(Numbered(2));
  EXPECT_FALSE(wake.IsSet()) << "a detached event is left alone";
}

TEST(SheetWriteQueueTest, ProducersOnManyThreadsLoseNothing) {
  constexpr int kProducers = 4;
  constexpr int kEach = 2000;
  SheetWriteQueue queue;
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&queue, p] {
      for (int i = 0; i < kEach; ++i) queue.Enqueue(Numbered(p * kEach + i));
    });
  }
  std::vector<bool> seen(kProducers * kEach, false);
  size_t count = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (count < seen.size() && std::chrono::steady_clock::now() < deadline) {
    for (double n : Numbers(queue.TakeBatch(500))) {
      EXPECT_FALSE(seen[static_cast<size_t>(n)]) << n << " taken twice";
      seen[static_cast<size_t>(n)] = true;
      ++count;
    }
    queue.CompactIfAllTaken();
  }
  for (auto& producer : producers) producer.join();
  EXPECT_EQ(count, seen.size());
}

}  // namespace
}  // namespace orra
