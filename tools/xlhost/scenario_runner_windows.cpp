// The scenario runner's steps on the windows of the process (the add-in's dialogs): waiting for
// one, driving its controls through the WindowDriver port, the expectations on what they show,
// and screenshots, written as PNG files and checked for drawn controls.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "common/utf8.h"
#include "tools/xlhost/png_image.h"
#include "tools/xlhost/scenario_runner.h"

namespace orra::xlhost {
namespace {

std::string Quoted(std::u16string_view text) { return '"' + ToUtf8(text) + '"'; }

std::string QuotedList(const std::vector<std::u16string>& texts) {
  if (texts.empty()) return "none";
  std::string list;
  for (const std::u16string& text : texts) {
    if (!list.empty()) list += ' ';
    list += Quoted(text);
  }
  return list;
}

const char* PresenceName(WindowPresence presence) {
  switch (presence) {
    case WindowPresence::kVisible: return "visible";
    case WindowPresence::kActive: return "active";
    case WindowPresence::kHidden: return "hidden";
    case WindowPresence::kAbsent: return "absent";
  }
  return "absent";
}

// An active window is also a visible one.
bool Meets(WindowPresence seen, WindowPresence wanted) {
  return seen == wanted || (wanted == WindowPresence::kVisible && seen == WindowPresence::kActive);
}

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", share * 100);
  return text;
}

}  // namespace

void ScenarioRunner::RunWindowStep(const Step& step) {
  if (window_driver_ == nullptr) {
    Fail(step, "this build of xlhost drives no windows");
    return;
  }
  WindowDriver& driver = *window_driver_;
  if (step.kind == StepKind::kWaitWindow) {
    const std::u16string& caption = step.control.caption;
    const bool shown = Wait(static_cast<int64_t>(step.count),
                            [&] { return Meets(driver.Presence(caption), step.presence); });
    if (!shown) {
      Fail(step, "after " + std::to_string(step.count) + " ms the window is " + PresenceName(driver.Presence(caption)));
    }
    return;
  }
  std::string error;
  bool done = false;
  switch (step.kind) {
    case StepKind::kSetText: done = driver.SetText(step.control, step.texts[0], error); break;
    case StepKind::kType: done = driver.Type(step.control, step.texts[0], error); break;
    case StepKind::kKey: done = driver.Key(step.control, static_cast<uint16_t>(step.count), error); break;
    case StepKind::kPress: done = driver.Press(step.control, error); break;
    case StepKind::kChoose: done = driver.Choose(step.control, step.texts[0], error); break;
    case StepKind::kSelectTree:
    case StepKind::kDoubleClickTree:
      done = driver.SelectTreeItem(step.control, step.texts, step.kind == StepKind::kDoubleClickTree, error);
      break;
    case StepKind::kSelectRows: done = driver.SelectRows(step.control, step.texts, error); break;
    default: return;
  }
  if (!done) Fail(step, error);
}

void ScenarioRunner::CheckWindow(const Step& step) {
  if (window_driver_ == nullptr) {
    Fail(step, "this build of xlhost drives no windows");
    return;
  }
  WindowDriver& driver = *window_driver_;
  std::string error;
  switch (step.kind) {
    case StepKind::kExpectWindow: {
      const WindowPresence presence = driver.Presence(step.control.caption);
      if (!Meets(presence, step.presence)) Fail(step, std::string("the window is ") + PresenceName(presence));
      return;
    }
    case StepKind::kExpectText: {
      const auto text = driver.Text(step.control, error);
      if (!text) {
        Fail(step, error);
      } else if (*text != step.texts[0]) {
        Fail(step, "the control shows " + Quoted(*text));
      }
      return;
    }
    case StepKind::kExpectChecked: {
      const auto checked = driver.Checked(step.control, error);
      if (!checked) {
        Fail(step, error);
      } else if (*checked != step.flag) {
        Fail(step, *checked ? "it is checked" : "it is not checked");
      }
      return;
    }
    case StepKind::kExpectRows: {
      const auto texts = driver.ColumnTexts(step.control, static_cast<int32_t>(step.count), error);
      if (!texts) {
        Fail(step, error);
      } else if (*texts != step.texts) {
        Fail(step, "the column holds " + QuotedList(*texts));
      }
      return;
    }
    default: return;
  }
}

void ScenarioRunner::Screenshot(const Step& step) {
  if (window_driver_ == nullptr) {
    Fail(step, "this build of xlhost drives no windows");
    return;
  }
  if (screenshot_folder_.empty()) {
    Fail(step, "no screenshot folder was given");
    return;
  }
  std::string error;
  const std::optional<WindowPicture> shot = window_driver_->Capture(step.control.caption, error);
  if (!shot) {
    Fail(step, error);
    return;
  }
  const std::optional<std::vector<uint8_t>> file = EncodePng(shot->picture);
  if (!file) {
    Fail(step, "the picture of " + std::to_string(shot->picture.width) + " by " +
                   std::to_string(shot->picture.height) + " pixels cannot be written as PNG");
    return;
  }
  // The folder is UTF-8; a path made from UTF-16 keeps it whatever the system's code page.
  const std::filesystem::path folder(FromUtf8(screenshot_folder_));
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  const std::string shown_path = screenshot_folder_ + "/" + step.word;
  {
    std::ofstream out(folder / step.word, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file->data()), static_cast<std::streamsize>(file->size()));
    if (!out) {
      Fail(step, "cannot write " + shown_path);
      return;
    }
  }
  // The picture is kept even when it shows nothing drawn: it is what tells why.
  const double drawn = DrawnShare(shot->picture, shot->client);
  out_ << "screenshot " << shown_path << ": " << shot->picture.width << " by " << shot->picture.height
       << " pixels, " << Percent(drawn) << " of the client area drawn\n";
  if (drawn < kMinDrawnShare) {
    Fail(step, "only " + Percent(drawn) + " of the window's client area differs from its background (at least " +
                   Percent(kMinDrawnShare) + " where controls are drawn)");
  }
}

}  // namespace orra::xlhost
