#include "ui/insert_code_tree.h"

#include <algorithm>
#include <string_view>

namespace orra {
namespace {

char FoldByte(char byte) { return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte; }

// Parent key and code are compared as the terminal's files hold them: GBK bytes, A-Z folded.
bool EqualFoldingBytes(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldByte(x) == FoldByte(y); });
}

bool IsLeftOutTopLevel(std::u16string_view name) {
  return std::ranges::find(InsertCodeTree::kLeftOutTopLevel, name) != std::end(InsertCodeTree::kLeftOutTopLevel);
}

}  // namespace

class InsertCodeTree::CategoryBuilder {
 public:
  CategoryBuilder(std::vector<CodeTreeNode>& nodes, const std::shared_ptr<const CBlockData>& market)
      : nodes_(nodes), market_(market), named_only_(market->kind() == CBlockData::kNamedCategoriesKind) {}

  // The categories of `parent_key` below `parent` (none: at the root), taking only scheme
  // `scheme` unless it is 0.
  void Build(std::string_view parent_key, std::optional<size_t> parent, int32_t scheme) {
    const std::optional<IndexRange> group = market_->CategoryGroup(parent_key);
    if (!group || chain_.size() >= kMaxDepth) return;
    if (std::ranges::find(chain_, parent_key) != chain_.end()) return;
    chain_.push_back(parent_key);
    if (!parent) {
      for (size_t i = group->first; i <= group->second; ++i) {
        const CategoryEntry& category = market_->categories()[i];
        if (Taken(category, scheme) && !IsLeftOutTopLevel(category.wide_name)) Add(category, parent, category.wide_name);
      }
    } else {
      // Categories that open further come before the ones that are leaves.
      for (const bool with_children : {true, false}) {
        for (size_t i = group->first; i <= group->second; ++i) {
          const CategoryEntry& category = market_->categories()[i];
          if (Taken(category, scheme) && category.has_children == with_children) Add(category, parent, BelowRootText(category));
        }
      }
    }
    chain_.pop_back();
  }

 private:
  static bool Taken(const CategoryEntry& category, int32_t scheme) { return scheme == 0 || category.scheme_id == scheme; }

  std::u16string BelowRootText(const CategoryEntry& category) const {
    if (category.wide_code.empty() || named_only_) return category.wide_name;
    return category.wide_name + u"[ " + category.wide_code + u" ]";
  }

  void Add(const CategoryEntry& category, std::optional<size_t> parent, std::u16string text) {
    if (nodes_.size() >= kMaxNodes) return;
    const size_t index = nodes_.size();
    CodeTreeNode node;
    node.kind = CodeTreeNode::Kind::kCategory;
    node.parent = parent;
    node.text = std::move(text);
    // Shares ownership of the whole market data while pointing at one of its entries.
    node.category = std::shared_ptr<const CategoryEntry>(market_, &category);
    node.expanded = named_only_;
    nodes_.push_back(std::move(node));
    if (category.has_children && !EqualFoldingBytes(category.parent_key, category.code)) {
      Build(category.code, index, category.scheme_id);
    }
  }

  std::vector<CodeTreeNode>& nodes_;
  const std::shared_ptr<const CBlockData>& market_;
  const bool named_only_;
  std::vector<std::string_view> chain_;  // the parent keys being built, outermost first
};

InsertCodeTree InsertCodeTree::Build(const CSelfBlockList* self_blocks, const std::shared_ptr<const CBlockData>& market) {
  InsertCodeTree tree;
  if (self_blocks) {
    tree.self_block_root_ = tree.nodes_.size();
    tree.nodes_.push_back({CodeTreeNode::Kind::kSelfBlockRoot, std::nullopt, std::u16string(kSelfBlockRootText), nullptr, false});
    if (const SelfBlockGroup* group = self_blocks->FirstGroup()) {
      for (const SelfBlock& block : group->blocks) {
        tree.nodes_.push_back({CodeTreeNode::Kind::kSelfBlock, tree.self_block_root_, block.wide_name, nullptr, false});
      }
    }
  }
  if (market) CategoryBuilder(tree.nodes_, market).Build("", std::nullopt, 0);
  return tree;
}

}  // namespace orra
