#pragma once
// The message boxes the add-in showed while xlhost ran: each one's caption and text, and the
// button xlhost answered it with. A scenario chooses the answer (yes or no) before the box
// appears; the box is closed at once with the button that stands for that answer among those
// it offers, so no box waits for a person.
//
// Excel's main thread only.

#include <span>
#include <string>
#include <vector>

namespace orra::xlhost {

enum class MessageAnswer { kYes, kNo };
enum class MessageButton { kOk, kCancel, kYes, kNo };

// The button of `offered` that gives `answer`: Yes or else OK for yes, No or else Cancel or
// else OK for no; the first one offered when none of these is; OK when nothing is offered.
MessageButton ChooseButton(MessageAnswer answer, std::span<const MessageButton> offered);

struct ShownMessage {
  std::u16string caption;
  std::u16string text;
  MessageButton answered = MessageButton::kOk;
};

class MessageLog {
 public:
  MessageAnswer answer() const { return answer_; }
  void set_answer(MessageAnswer answer) { answer_ = answer; }

  // Records a box and answers which of its buttons closes it.
  MessageButton Answer(std::u16string caption, std::u16string text, std::span<const MessageButton> offered);
  const std::vector<ShownMessage>& shown() const { return shown_; }

 private:
  MessageAnswer answer_ = MessageAnswer::kYes;
  std::vector<ShownMessage> shown_;
};

}  // namespace orra::xlhost
