#include "tools/xlhost/message_log.h"

#include <gtest/gtest.h>

#include <vector>

namespace orra::xlhost {
namespace {

using B = MessageButton;

TEST(MessageLogTest, ChoosesTheButtonThatGivesTheAnswer) {
  const std::vector<B> yes_no{B::kYes, B::kNo};
  const std::vector<B> ok_cancel{B::kOk, B::kCancel};
  const std::vector<B> ok{B::kOk};
  EXPECT_EQ(ChooseButton(MessageAnswer::kYes, yes_no), B::kYes);
  EXPECT_EQ(ChooseButton(MessageAnswer::kNo, yes_no), B::kNo);
  EXPECT_EQ(ChooseButton(MessageAnswer::kYes, ok_cancel), B::kOk);
  EXPECT_EQ(ChooseButton(MessageAnswer::kNo, ok_cancel), B::kCancel);
  EXPECT_EQ(ChooseButton(MessageAnswer::kNo, ok), B::kOk) << "a box with one button closes with it";
  EXPECT_EQ(ChooseButton(MessageAnswer::kYes, std::vector<B>{B::kCancel}), B::kCancel);
  EXPECT_EQ(ChooseButton(MessageAnswer::kNo, std::vector<B>{}), B::kOk);
}

TEST(MessageLogTest, RecordsEachBoxWithTheAnswerGiven) {
  MessageLog log;
  const std::vector<B> yes_no{B::kYes, B::kNo};
  EXPECT_EQ(log.Answer(u"Orra", u"first", yes_no), B::kYes);
  log.set_answer(MessageAnswer::kNo);
  EXPECT_EQ(log.Answer(u"Orra", u"second", yes_no), B::kNo);
  ASSERT_EQ(log.shown().size(), 2u);
  EXPECT_EQ(log.shown()[0].text, u"first");
  EXPECT_EQ(log.shown()[0].answered, B::kYes);
  EXPECT_EQ(log.shown()[1].caption, u"Orra");
  EXPECT_EQ(log.shown()[1].answered, B::kNo);
}

}  // namespace
}  // namespace orra::xlhost
