#include "xll/temporary_memory.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

#include "xll/xl_constants.h"

namespace orra {
namespace {

std::u16string Units(size_t count, char16_t unit) { return std::u16string(count, unit); }

TEST(TemporaryMemoryTest, EachBuilderGivesItsValue) {
  TemporaryMemory& memory = TemporaryMemory::OfThisThread();
  memory.Reset();
  const XLOPER12* number = memory.Number(2.5);
  const XLOPER12* integer = memory.Integer(-3);
  const XLOPER12* text = memory.Text(u"Fetching...");
  const XLOPER12* yes = memory.Boolean(true);
  const XLOPER12* error = memory.Error(xlerrValue);
  const XLOPER12* missing = memory.Missing();
  const XLOPER12* nil = memory.Nil();
  EXPECT_EQ(number->xltype, xltypeNum);
  EXPECT_EQ(number->val.num, 2.5);
  EXPECT_EQ(integer->xltype, xltypeInt);
  EXPECT_EQ(integer->val.w, -3);
  EXPECT_EQ(text->xltype, xltypeStr);
  EXPECT_EQ(TextOf(*text), u"Fetching...");
  EXPECT_EQ(yes->xltype, xltypeBool);
  EXPECT_EQ(yes->val.xbool, 1);
  EXPECT_EQ(error->xltype, xltypeErr);
  EXPECT_EQ(error->val.err, xlerrValue);
  EXPECT_EQ(missing->xltype, xltypeMissing);
  EXPECT_EQ(nil->xltype, xltypeNil);
  // Values built later never overwrite earlier ones.
  EXPECT_EQ(number->val.num, 2.5);
  EXPECT_EQ(TextOf(*memory.Text(u"")), u"");
}

TEST(TemporaryMemoryTest, ATextIsCutAtWhatACellHolds) {
  TemporaryMemory& memory = TemporaryMemory::OfThisThread();
  memory.Reset();
  const std::u16string longest = Units(kMaxXlTextUnits, u'y');
  EXPECT_EQ(TextOf(*memory.Text(longest)), longest);
  const std::u16string longer = Units(kMaxXlTextUnits + 100, u'z');
  const XLOPER12* cut = memory.Text(longer);
  ASSERT_TRUE(TextOf(*cut));
  EXPECT_EQ(TextOf(*cut)->size(), kMaxXlTextUnits);
  EXPECT_EQ(TextOf(*memory.Integer(1)), std::nullopt);
}

TEST(TemporaryMemoryTest, MemoryFollowsTheLargestCallNotTheNumberOfCalls) {
  TemporaryMemory& memory = TemporaryMemory::OfThisThread();
  memory.Reset();
  memory.Text(u"a");
  memory.Reset();
  const size_t one_block = memory.BytesHeld();
  ASSERT_GT(one_block, 0u);
  for (int call = 0; call < 2000; ++call) {
    memory.Reset();
    EXPECT_LE(memory.BytesHeld(), one_block);
    for (int value = 0; value < 50; ++value) memory.Number(value);
    memory.Text(Units(kMaxXlTextUnits, u'q'));  // larger than a block
    EXPECT_EQ(TextOf(*memory.Text(u"after")), u"after");
  }
  memory.Reset();
  EXPECT_EQ(memory.BytesHeld(), one_block);
}

TEST(TemporaryMemoryTest, ThreadsHaveTheirOwnPoolsAndReleaseAllEmptiesThemAll) {
  TemporaryMemory& mine = TemporaryMemory::OfThisThread();
  mine.Reset();
  mine.Text(u"main");
  std::promise<const XLOPER12*> built;
  std::promise<void> released;
  std::promise<std::pair<size_t, bool>> after;
  std::thread other([&] {
    TemporaryMemory& memory = TemporaryMemory::OfThisThread();
    built.set_value(memory.Text(u"other"));
    released.get_future().wait();
    const size_t held = memory.BytesHeld();
    after.set_value({held, TextOf(*memory.Text(u"again")) == u"again"});
  });
  const XLOPER12* others = built.get_future().get();
  // A Reset on this thread leaves the other thread's values alone.
  mine.Reset();
  mine.Text(Units(100, u'm'));
  EXPECT_EQ(TextOf(*others), u"other");

  TemporaryMemory::ReleaseAll();
  EXPECT_EQ(mine.BytesHeld(), 0u);
  released.set_value();
  const auto [held, usable] = after.get_future().get();
  other.join();
  EXPECT_EQ(held, 0u);
  EXPECT_TRUE(usable) << "a pool is usable again after ReleaseAll";
  EXPECT_EQ(TextOf(*mine.Text(u"x")), u"x");
}

}  // namespace
}  // namespace orra
