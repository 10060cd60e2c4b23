#pragma once
// InsertCodeTree: the left-hand tree of the insert-code dialog: the root "自选股" with the first
// group's stock blocks, and the market data's classification categories from the parent key ""
// down. Built once from the store's snapshots; a category node holds its entry through a
// shared_ptr that shares ownership of the whole market data it came from, so the node stays
// valid after a later load of the store replaces that data.
//
// The nodes are a flat list in the order the view inserts its items: every node after its
// parent, children in their display order, each inserted as the last child of its parent. The
// view keeps a node's index as its item's value.
//
// Built on any thread, then read by the user-interface thread only.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/block_data.h"
#include "store/self_block_list.h"

namespace orra {

struct CodeTreeNode {
  enum class Kind { kSelfBlockRoot, kSelfBlock, kCategory };

  Kind kind = Kind::kCategory;
  std::optional<size_t> parent;  // none for a root item
  std::u16string text;
  std::shared_ptr<const CategoryEntry> category;  // set for kCategory only
  bool expanded = false;
};

class InsertCodeTree {
 public:
  static constexpr std::u16string_view kSelfBlockRootText = u"自选股";
  // Top-level categories the dialog leaves out, with everything below them.
  static constexpr std::u16string_view kLeftOutTopLevel[] = {u"巨潮行业分类", u"指数导航", u"商品期货", u"外汇导航",
                                                             u"资管导航"};
  // The terminal's categories nest a few levels; a chain of parent keys deeper than this, or
  // one that comes back to a key above it, is broken data and is not followed.
  static constexpr size_t kMaxDepth = 32;
  // Categories may repeat a code under several parents, which repeats the code's whole subtree;
  // the tree stops growing here rather than let such a file multiply it without end.
  static constexpr size_t kMaxNodes = 500000;

  InsertCodeTree() = default;

  // Either snapshot may be null: then its part of the tree is missing.
  static InsertCodeTree Build(const CSelfBlockList* self_blocks, const std::shared_ptr<const CBlockData>& market);

  const std::vector<CodeTreeNode>& nodes() const { return nodes_; }
  std::optional<size_t> self_block_root() const { return self_block_root_; }

 private:
  class CategoryBuilder;

  std::vector<CodeTreeNode> nodes_;
  std::optional<size_t> self_block_root_;
};

}  // namespace orra
