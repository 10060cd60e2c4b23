#include "addin/registrar_script.h"

#include <utility>

#include "common/ascii_text.h"

namespace orra {
namespace {

constexpr std::u16string_view kUserClassesPath = u"Software\\Classes";

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xFEFF; }
bool Ends(char16_t c) { return IsBlank(c) || c == u'{' || c == u'}' || c == u'=' || c == u'\''; }

std::optional<uint32_t> ParseNumber(std::u16string_view text) {
  uint32_t base = 10;
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t number = 0;
  for (const char16_t c : text) {
    uint32_t digit = 0;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (base == 16 && c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (base == 16 && c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    number = number * base + digit;
    if (number > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(number);
}

std::u16string Join(std::u16string_view parent, std::u16string_view name) {
  std::u16string path(parent);
  if (!path.empty()) path += u'\\';
  path += name;
  return path;
}

}  // namespace

// Reads the text one token at a time: a brace, an equals sign, a bare word or a quoted text.
class RegistrarScript::Parser {
 public:
  Parser(std::u16string_view text, std::span<const RegistrarVariable> variables)
      : text_(text), variables_(variables) {}

  std::optional<std::vector<Root>> Script() {
    std::vector<Root> roots;
    while (true) {
      const std::optional<Token> token = Next();
      if (!token) return std::nullopt;
      if (token->kind == Kind::kEnd) return roots;
      if (token->kind != Kind::kWord) return std::nullopt;
      Root root;
      if (EqualsIgnoringAsciiCase(token->text, u"HKCR") || EqualsIgnoringAsciiCase(token->text, u"HKEY_CLASSES_ROOT")) {
        root.classes = true;
      } else if (!EqualsIgnoringAsciiCase(token->text, u"HKCU") && !EqualsIgnoringAsciiCase(token->text, u"HKEY_CURRENT_USER")) {
        return std::nullopt;
      }
      if (!Expect(Kind::kOpen) || !Block(1, root.keys, nullptr)) return std::nullopt;
      roots.push_back(std::move(root));
    }
  }

 private:
  enum class Kind { kEnd, kOpen, kClose, kEquals, kWord, kQuoted };
  struct Token {
    Kind kind;
    std::u16string text;
  };

  std::optional<Token> Next() {
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
    if (position_ == text_.size()) return Token{Kind::kEnd, {}};
    const char16_t c = text_[position_];
    if (c == u'{' || c == u'}' || c == u'=') {
      ++position_;
      return Token{c == u'{' ? Kind::kOpen : c == u'}' ? Kind::kClose : Kind::kEquals, {}};
    }
    if (c == u'\'') {
      std::u16string quoted;
      ++position_;
      while (true) {
        if (position_ == text_.size()) return std::nullopt;
        if (text_[position_] == u'\'') {
          if (position_ + 1 < text_.size() && text_[position_ + 1] == u'\'') {
            quoted += u'\'';
            position_ += 2;
            continue;
          }
          ++position_;
          return Token{Kind::kQuoted, std::move(quoted)};
        }
        quoted += text_[position_++];
      }
    }
    const size_t start = position_;
    while (position_ < text_.size() && !Ends(text_[position_])) ++position_;
    return Token{Kind::kWord, std::u16string(text_.substr(start, position_ - start))};
  }

  std::optional<Token> Peek() {
    const size_t saved = position_;
    std::optional<Token> token = Next();
    position_ = saved;
    return token;
  }

  bool Expect(Kind kind) {
    const std::optional<Token> token = Next();
    return token && token->kind == kind;
  }

  // The text of a name or a datum with the variables put in.
  std::optional<std::u16string> Expanded(const std::u16string& raw) const {
    std::u16string text;
    size_t i = 0;
    while (i < raw.size()) {
      if (raw[i] != u'%') {
        text += raw[i++];
        continue;
      }
      const size_t close = raw.find(u'%', i + 1);
      if (close == std::u16string::npos) return std::nullopt;
      const std::u16string_view name = std::u16string_view(raw).substr(i + 1, close - i - 1);
      if (name.empty()) {
        text += u'%';
      } else {
        const RegistrarVariable* found = nullptr;
        for (const RegistrarVariable& variable : variables_) {
          if (variable.name == name) found = &variable;
        }
        if (found == nullptr) return std::nullopt;
        text += found->value;
      }
      i = close + 1;
    }
    return text;
  }

  std::optional<std::u16string> Name() {
    const std::optional<Token> token = Next();
    if (!token || (token->kind != Kind::kWord && token->kind != Kind::kQuoted)) return std::nullopt;
    std::optional<std::u16string> name = Expanded(token->text);
    // A key name can be neither empty nor hold a backslash; a value name can be empty only as
    // the default value, which is written with `=` after the key, never with `val`.
    if (!name || name->empty() || name->find(u'\\') != std::u16string::npos) return std::nullopt;
    return name;
  }

  // `s 'text'` or `d number`, after the equals sign.
  std::optional<std::variant<std::u16string, uint32_t>> Datum() {
    const std::optional<Token> type = Next();
    if (!type || type->kind != Kind::kWord) return std::nullopt;
    const std::optional<Token> token = Next();
    if (!token || (token->kind != Kind::kWord && token->kind != Kind::kQuoted)) return std::nullopt;
    std::optional<std::u16string> text = Expanded(token->text);
    if (!text) return std::nullopt;
    if (EqualsIgnoringAsciiCase(type->text, u"s")) return std::variant<std::u16string, uint32_t>(std::move(*text));
    if (EqualsIgnoringAsciiCase(type->text, u"d")) {
      const std::optional<uint32_t> number = ParseNumber(*text);
      if (!number) return std::nullopt;
      return std::variant<std::u16string, uint32_t>(*number);
    }
    return std::nullopt;
  }

  // The inside of a block up to its closing brace. `values` is null for a root's block, which
  // holds keys only.
  bool Block(size_t depth, std::vector<Key>& keys, std::vector<Value>* values) {
    if (depth > kMaxRegistrarDepth) return false;
    while (true) {
      const std::optional<Token> token = Peek();
      if (!token) return false;
      if (token->kind == Kind::kClose) {
        Next();
        return true;
      }
      if (token->kind == Kind::kWord && EqualsIgnoringAsciiCase(token->text, u"val")) {
        Next();
        if (values == nullptr) return false;
        std::optional<std::u16string> name = Name();
        if (!name || !Expect(Kind::kEquals)) return false;
        auto datum = Datum();
        if (!datum) return false;
        values->push_back(Value{std::move(*name), std::move(*datum)});
        continue;
      }
      if (!KeyEntry(depth, keys)) return false;
    }
  }

  bool KeyEntry(size_t depth, std::vector<Key>& keys) {
    Key key;
    const std::optional<Token> first = Peek();
    if (first && first->kind == Kind::kWord) {
      if (EqualsIgnoringAsciiCase(first->text, u"NoRemove")) {
        key.no_remove = true;
        Next();
      } else if (EqualsIgnoringAsciiCase(first->text, u"ForceRemove")) {
        key.force_remove = true;
        Next();
      }
    }
    std::optional<std::u16string> name = Name();
    if (!name) return false;
    key.name = std::move(*name);
    std::optional<Token> token = Peek();
    if (token && token->kind == Kind::kEquals) {
      Next();
      auto datum = Datum();
      if (!datum) return false;
      key.values.push_back(Value{std::u16string(), std::move(*datum)});
      token = Peek();
    }
    if (token && token->kind == Kind::kOpen) {
      Next();
      if (!Block(depth + 1, key.subkeys, &key.values)) return false;
    }
    keys.push_back(std::move(key));
    return true;
  }

  std::u16string_view text_;
  size_t position_ = 0;
  std::span<const RegistrarVariable> variables_;
};

std::optional<RegistrarScript> RegistrarScript::Parse(std::u16string_view text,
                                                      std::span<const RegistrarVariable> variables) {
  std::optional<std::vector<Root>> roots = Parser(text, variables).Script();
  if (!roots) return std::nullopt;
  return RegistrarScript(std::move(*roots));
}

namespace {

struct Place {
  RegistryRoot root;
  std::u16string path;
};

Place PlaceOf(bool classes, ClassesTarget target) {
  if (!classes) return {RegistryRoot::kCurrentUser, {}};
  if (target == ClassesTarget::kCurrentUser) return {RegistryRoot::kCurrentUser, std::u16string(kUserClassesPath)};
  return {RegistryRoot::kClassesRoot, {}};
}

template <typename KeyT>
bool RegisterKey(Registry& registry, RegistryRoot root, const std::u16string& path, const KeyT& key) {
  if (key.force_remove && registry.DeleteTree(root, path) == DeleteOutcome::kFailed) return false;
  const std::unique_ptr<RegistryKey> handle = registry.Create(root, path);
  if (handle == nullptr) return false;
  for (const auto& value : key.values) {
    const bool written = std::holds_alternative<uint32_t>(value.data)
                             ? handle->WriteNumber(value.name, std::get<uint32_t>(value.data))
                             : handle->WriteText(value.name, std::get<std::u16string>(value.data));
    if (!written) return false;
  }
  for (const auto& subkey : key.subkeys) {
    if (!RegisterKey(registry, root, Join(path, subkey.name), subkey)) return false;
  }
  return true;
}

template <typename KeyT>
bool UnregisterKey(Registry& registry, RegistryRoot root, const std::u16string& path, const KeyT& key) {
  if (!key.no_remove) return registry.DeleteTree(root, path) != DeleteOutcome::kFailed;
  bool all_deleted = true;
  for (const auto& subkey : key.subkeys) {
    all_deleted = UnregisterKey(registry, root, Join(path, subkey.name), subkey) && all_deleted;
  }
  return all_deleted;
}

}  // namespace

bool RegistrarScript::Register(Registry& registry, ClassesTarget classes) const {
  for (const Root& root : roots_) {
    const Place place = PlaceOf(root.classes, classes);
    for (const Key& key : root.keys) {
      if (!RegisterKey(registry, place.root, Join(place.path, key.name), key)) return false;
    }
  }
  return true;
}

bool RegistrarScript::Unregister(Registry& registry, ClassesTarget classes) const {
  bool all_deleted = true;
  for (const Root& root : roots_) {
    const Place place = PlaceOf(root.classes, classes);
    for (const Key& key : root.keys) {
      all_deleted = UnregisterKey(registry, place.root, Join(place.path, key.name), key) && all_deleted;
    }
  }
  return all_deleted;
}

}  // namespace orra
