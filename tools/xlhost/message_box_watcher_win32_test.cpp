#include "tools/xlhost/message_box_watcher_win32.h"

#include <gtest/gtest.h>

namespace orra::xlhost {
namespace {

TEST(MessageBoxWatcherTest, RecordsEachBoxAndClosesItWithTheChosenAnswer) {
  MessageLog log;
  MessageBoxWatcher watcher(log);
  ASSERT_TRUE(watcher.installed());
  EXPECT_FALSE(MessageBoxWatcher(log).installed()) << "one watcher per thread";

  log.set_answer(MessageAnswer::kNo);
  EXPECT_EQ(MessageBoxW(nullptr, L"Log in first", L"Orra", MB_YESNO | MB_ICONWARNING), IDNO);
  log.set_answer(MessageAnswer::kYes);
  EXPECT_EQ(MessageBoxW(nullptr, L"Go on?", L"Orra", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, L"\x8BF7\x767B\x5F55", L"Orra", MB_OK), IDOK);
  log.set_answer(MessageAnswer::kNo);
  EXPECT_EQ(MessageBoxW(nullptr, L"Retry?", L"Orra", MB_OKCANCEL), IDCANCEL);

  ASSERT_EQ(log.shown().size(), 4u);
  EXPECT_EQ(log.shown()[0].caption, u"Orra");
  EXPECT_EQ(log.shown()[0].text, u"Log in first");
  EXPECT_EQ(log.shown()[0].answered, MessageButton::kNo);
  EXPECT_EQ(log.shown()[2].text, u"\x8BF7\x767B\x5F55");
}

}  // namespace
}  // namespace orra::xlhost
