#pragma once
// The autocomplete edit's behaviour, apart from its window: the candidates, the text as last
// read, the grey hint of an empty unfocused box, and what the edit's keys, text changes and
// focus changes do to its drop-down list. The Win32 view (CACEdit) reports each event here and
// carries out the answer: text to put in, caret to place, rows to glide through, the choice
// message to post.
//
// A text change that only echoes a text this object put in itself (an accepted entry, the
// hint) is not typing, and does not search: otherwise accepting an entry would open the list
// again on that very entry, and the hint would search for itself.
//
// Not synchronised; the thread that owns the edit uses it.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/autocomplete_candidates.h"
#include "ui/autocomplete_list.h"

namespace orra {

// The hint the navigator's search box shows while it is empty and unfocused.
inline constexpr std::u16string_view kIndicatorSearchHint = u"在此输入指标名称进行搜索";

enum class EditKey { kEscape, kEnter, kUp, kDown, kPageUp, kPageDown, kHome, kEnd };

// An accepted entry: the text the edit now holds and, unless the list was empty, the
// candidate's value.
struct Acceptance {
  std::u16string text;
  std::optional<std::size_t> value;
};

struct KeyOutcome {
  // False: the key goes on to the edit or the dialog as usual.
  bool consumed = false;
  std::optional<Acceptance> accepted;
  // Top indices to draw one after another while the highlight comes into view.
  std::vector<std::size_t> tops;
  // Where the caret goes after a move of the highlight (the highlighted entry's length).
  std::optional<std::size_t> caret;
};

class AutocompleteEdit {
 public:
  explicit AutocompleteEdit(std::u16string hint = std::u16string(kIndicatorSearchHint)) : hint_(std::move(hint)) {}

  bool AddCandidate(std::u16string_view name, std::size_t value) { return candidates_.Add(name, value); }
  const AutocompleteCandidates& candidates() const { return candidates_; }

  // Switching the hint on while the box is empty and unfocused answers the text to put in.
  std::optional<std::u16string> SetHint(bool on, bool focused);

  // The edit's text changed to `text`; `parent` is the edit's parent window's rectangle now.
  void OnTextChanged(std::u16string_view text, ScreenRect parent);
  KeyOutcome OnKey(EditKey key);
  // A click on visible row `row`: highlights it, brings it into view and accepts it.
  std::optional<Acceptance> OnRowClicked(std::size_t row);
  // The text to put in, if any.
  std::optional<std::u16string> OnFocusIn();
  std::optional<std::u16string> OnFocusOut();

  const std::u16string& text() const { return text_; }
  const AutocompleteList& list() const { return list_; }
  AutocompleteList& list() { return list_; }

 private:
  // Takes the highlighted entry, else the first, else an empty text, and hides the list.
  Acceptance Accept();

  AutocompleteCandidates candidates_;
  AutocompleteList list_;
  std::u16string text_;
  std::u16string hint_;
  bool hint_on_ = false;
};

}  // namespace orra
