#pragma once
// IndicatorTree: the indicator navigator's tree as the tree view shows it, built once from the
// indicator file, and the search box's candidates (indicator name -> its node).
//
// The nodes are one flat vector in insertion order: a node's parent always comes before it, so
// the Win32 view inserts them in vector order, each as the last child of its parent's item,
// and keeps the node index as the item's data. Every node names its record by index in the
// file the tree holds; the tree keeps that file (the store's snapshot) alive, so a node still
// refers to its record after the store has loaded the files again or is gone.
//
// Every node's text lies in one block of the tree's, each followed by a zero unit so that a
// view's data() is what the tree view's item takes: a terminal's hundred thousand records made
// as many strings, and under Wine their allocations were most of the navigator's first opening.
//
// Immutable once built; any thread may read it (the navigator reads it on the user-interface
// thread only).

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/orra_data.h"
#include "store/record_file.h"

namespace orra {

struct IndicatorTreeNode {
  std::optional<size_t> parent;  // index of the parent node; none for a top-level node
  size_t record = 0;             // index of the node's record in the tree's file
  bool is_folder = false;
  std::u16string_view text;      // "[ name ]" for a folder, the name for a leaf; zero-terminated
};

struct SearchCandidate {
  std::u16string_view name;  // the leaf's text
  size_t node = 0;
};

class IndicatorTree {
 public:
  // The tree view's item texts are read into buffers of 80 characters.
  static constexpr size_t kMaxTextChars = 79;

  // Starting with the top level (parent id 0), takes the records filed under a folder in file
  // order up to the first record with id 0, folders and leaves interleaved, and builds each
  // folder's children right after it (depth first). A folder id is expanded once only: a
  // folder that files itself, a cycle of folders or a second folder with the same id would
  // otherwise repeat its subtree without end; the later one shows as an empty folder, as the
  // indicator dictionary also takes each folder once. A null file gives an empty tree.
  explicit IndicatorTree(std::shared_ptr<const CRecordFile> file);
  // The nodes view the tree's own block of texts.
  IndicatorTree(const IndicatorTree&) = delete;
  IndicatorTree& operator=(const IndicatorTree&) = delete;

  const std::vector<IndicatorTreeNode>& nodes() const { return nodes_; }
  // Leaf names with their nodes in tree order, each name once (its first node).
  const std::vector<SearchCandidate>& candidates() const { return candidates_; }
  // The node of the candidate whose name equals `name` exactly (case and all); none otherwise.
  std::optional<size_t> FindCandidate(std::u16string_view name) const;

  // The node's record, holding the file; none for an index outside the tree.
  std::optional<RecordRef> Record(size_t node) const;
  const std::shared_ptr<const CRecordFile>& file() const { return file_; }

 private:
  // Appends the node's text, zero-terminated, to texts_; answers a view of it.
  std::u16string_view AppendText(const RecordKey& record);

  std::shared_ptr<const CRecordFile> file_;
  std::u16string texts_;  // reserved whole before the first text goes in: it never moves
  std::vector<IndicatorTreeNode> nodes_;
  std::vector<SearchCandidate> candidates_;
  std::vector<size_t> candidates_by_name_;  // indexes into candidates_, ordered by name
};

}  // namespace orra
