#include "testing/in_memory_registry.h"

#include <algorithm>
#include <utility>

#include "common/ascii_text.h"

namespace orra {
namespace {

constexpr size_t kMaxKeyNameChars = 255;

// Windows folds key and value names to upper case for comparison; the names self-registration
// uses are ASCII, so folding ASCII letters is the part that matters.
std::u16string Folded(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = UpperAscii(c);
  return folded;
}

std::optional<std::vector<std::u16string_view>> SplitPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  while (true) {
    const size_t slash = path.find(u'\\');
    const std::u16string_view part = path.substr(0, slash);
    if (part.empty() || part.size() > kMaxKeyNameChars) return std::nullopt;
    parts.push_back(part);
    if (slash == std::u16string_view::npos) return parts;
    path.remove_prefix(slash + 1);
  }
}

}  // namespace

struct InMemoryValue {
  std::u16string name;
  std::variant<std::u16string, uint32_t> data;
};

struct InMemoryNode {
  std::u16string name;
  bool deleted = false;
  std::map<std::u16string, std::shared_ptr<InMemoryNode>> children;  // by folded name
  std::map<std::u16string, InMemoryValue> values;                      // by folded name
};

struct InMemoryRegistry::RootState {
  std::shared_ptr<InMemoryNode> top = std::make_shared<InMemoryNode>();
  bool read_only = false;
};

namespace {

using RootState = InMemoryRegistry::RootState;

std::shared_ptr<InMemoryNode> Find(const RootState& state, std::u16string_view path) {
  const auto parts = SplitPath(path);
  if (!parts) return nullptr;
  std::shared_ptr<InMemoryNode> node = state.top;
  for (const std::u16string_view part : *parts) {
    const auto child = node->children.find(Folded(part));
    if (child == node->children.end()) return nullptr;
    node = child->second;
  }
  return node;
}

void MarkDeleted(InMemoryNode& node) {
  node.deleted = true;
  for (auto& [name, child] : node.children) MarkDeleted(*child);
}

class InMemoryKey final : public RegistryKey {
 public:
  InMemoryKey(std::shared_ptr<RootState> state, std::shared_ptr<InMemoryNode> node)
      : state_(std::move(state)), node_(std::move(node)) {}

  std::optional<std::u16string> ReadText(std::u16string_view name, size_t max_chars) const override {
    const InMemoryValue* value = Find(name);
    if (value == nullptr) return std::nullopt;
    const auto* text = std::get_if<std::u16string>(&value->data);
    if (text == nullptr || text->size() > max_chars) return std::nullopt;
    return *text;
  }

  bool WriteText(std::u16string_view name, std::u16string_view text) override {
    return Write(name, std::u16string(text));
  }

  bool WriteNumber(std::u16string_view name, uint32_t number) override { return Write(name, number); }

  bool DeleteValue(std::u16string_view name) override {
    if (node_->deleted || state_->read_only) return false;
    return node_->values.erase(Folded(name)) == 1;
  }

 private:
  const InMemoryValue* Find(std::u16string_view name) const {
    if (node_->deleted) return nullptr;
    const auto value = node_->values.find(Folded(name));
    return value == node_->values.end() ? nullptr : &value->second;
  }

  bool Write(std::u16string_view name, std::variant<std::u16string, uint32_t> data) {
    if (node_->deleted || state_->read_only) return false;
    // A rewrite keeps the name's first spelling, as Windows does.
    auto [value, inserted] = node_->values.try_emplace(Folded(name), InMemoryValue{std::u16string(name), {}});
    value->second.data = std::move(data);
    return true;
  }

  std::shared_ptr<RootState> state_;
  std::shared_ptr<InMemoryNode> node_;
};

}  // namespace

InMemoryRegistry::InMemoryRegistry()
    : classes_root_(std::make_shared<RootState>()), current_user_(std::make_shared<RootState>()) {}

InMemoryRegistry::~InMemoryRegistry() = default;

InMemoryRegistry::RootState& InMemoryRegistry::State(RegistryRoot root) const {
  return root == RegistryRoot::kClassesRoot ? *classes_root_ : *current_user_;
}

std::unique_ptr<RegistryKey> InMemoryRegistry::Open(RegistryRoot root, std::u16string_view path) {
  std::shared_ptr<InMemoryNode> node = Find(State(root), path);
  if (node == nullptr) return nullptr;
  return std::make_unique<InMemoryKey>(root == RegistryRoot::kClassesRoot ? classes_root_ : current_user_,
                                       std::move(node));
}

std::unique_ptr<RegistryKey> InMemoryRegistry::Create(RegistryRoot root, std::u16string_view path) {
  RootState& state = State(root);
  const auto parts = SplitPath(path);
  if (!parts) return nullptr;
  // Windows refuses the creation without the rights to write, even of a key that exists.
  if (state.read_only) return nullptr;
  std::shared_ptr<InMemoryNode> node = state.top;
  for (const std::u16string_view part : *parts) {
    auto [child, inserted] = node->children.try_emplace(Folded(part), nullptr);
    if (inserted) {
      child->second = std::make_shared<InMemoryNode>();
      child->second->name = std::u16string(part);
    }
    node = child->second;
  }
  return std::make_unique<InMemoryKey>(root == RegistryRoot::kClassesRoot ? classes_root_ : current_user_,
                                       std::move(node));
}

DeleteOutcome InMemoryRegistry::DeleteTree(RegistryRoot root, std::u16string_view path) {
  RootState& state = State(root);
  const auto parts = SplitPath(path);
  if (!parts) return DeleteOutcome::kFailed;
  const size_t last_slash = path.rfind(u'\\');
  const std::shared_ptr<InMemoryNode> parent =
      last_slash == std::u16string_view::npos ? state.top : Find(state, path.substr(0, last_slash));
  if (parent == nullptr) return DeleteOutcome::kMissing;
  const auto child = parent->children.find(Folded(parts->back()));
  if (child == parent->children.end()) return DeleteOutcome::kMissing;
  if (state.read_only) return DeleteOutcome::kFailed;
  MarkDeleted(*child->second);
  parent->children.erase(child);
  return DeleteOutcome::kDeleted;
}

void InMemoryRegistry::SetReadOnly(RegistryRoot root, bool read_only) { State(root).read_only = read_only; }

bool InMemoryRegistry::HasKey(RegistryRoot root, std::u16string_view path) const {
  return Find(State(root), path) != nullptr;
}

std::optional<std::u16string> InMemoryRegistry::Text(RegistryRoot root, std::u16string_view path,
                                                     std::u16string_view name) const {
  const std::shared_ptr<InMemoryNode> node = Find(State(root), path);
  if (node == nullptr) return std::nullopt;
  const auto value = node->values.find(Folded(name));
  if (value == node->values.end()) return std::nullopt;
  const auto* text = std::get_if<std::u16string>(&value->second.data);
  return text == nullptr ? std::nullopt : std::optional<std::u16string>(*text);
}

std::optional<uint32_t> InMemoryRegistry::Number(RegistryRoot root, std::u16string_view path,
                                                 std::u16string_view name) const {
  const std::shared_ptr<InMemoryNode> node = Find(State(root), path);
  if (node == nullptr) return std::nullopt;
  const auto value = node->values.find(Folded(name));
  if (value == node->values.end()) return std::nullopt;
  const auto* number = std::get_if<uint32_t>(&value->second.data);
  return number == nullptr ? std::nullopt : std::optional<uint32_t>(*number);
}

std::vector<std::u16string> InMemoryRegistry::ValueNames(RegistryRoot root, std::u16string_view path) const {
  std::vector<std::u16string> names;
  if (const std::shared_ptr<InMemoryNode> node = Find(State(root), path)) {
    for (const auto& [folded, value] : node->values) names.push_back(value.name);
  }
  return names;
}

std::vector<std::u16string> InMemoryRegistry::SubkeyNames(RegistryRoot root, std::u16string_view path) const {
  std::vector<std::u16string> names;
  if (const std::shared_ptr<InMemoryNode> node = Find(State(root), path)) {
    for (const auto& [folded, child] : node->children) names.push_back(child->name);
  }
  return names;
}

namespace {

void DumpNode(const InMemoryNode& node, const std::u16string& path, std::vector<std::u16string>& lines) {
  lines.push_back(path);
  for (const auto& [folded, value] : node.values) {
    std::u16string line = path + u" [" + value.name + u"] = ";
    if (const auto* text = std::get_if<std::u16string>(&value.data)) {
      line += u"s:" + *text;
    } else {
      line += u"d:";
      const std::string digits = std::to_string(std::get<uint32_t>(value.data));
      line.append(digits.begin(), digits.end());
    }
    lines.push_back(std::move(line));
  }
  for (const auto& [folded, child] : node.children) {
    DumpNode(*child, path.empty() ? child->name : path + u"\\" + child->name, lines);
  }
}

}  // namespace

std::vector<std::u16string> InMemoryRegistry::Dump(RegistryRoot root) const {
  std::vector<std::u16string> lines;
  DumpNode(*State(root).top, std::u16string(), lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace orra
