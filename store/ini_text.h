#pragma once
// CIniText: the small INI reader and writer of the stock-block file. The whole file is one GBK
// text; lines end in CR LF (a bare LF is not a line break to it). Lookups work on bytes, as the
// terminal's own reader does: a section is "[name]\r\n" found anywhere in the text, its body
// runs to the next "\r\n[", and a key counts only at the start of the body or after a LF.
//
// One object serves one read of the file on one thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/file_system.h"

namespace orra {

class CIniText {
 public:
  explicit CIniText(bool write_back) : write_back_(write_back) {}
  ~CIniText() = default;
  CIniText(const CIniText&) = delete;
  CIniText& operator=(const CIniText&) = delete;

  // Reads the whole file, which must open for reading and writing.
  bool Load(FileSystem& files, const std::u16string& path);
  // Takes `text` as the file's content (for a file already read, and for the fuzzer).
  void LoadText(std::span<const uint8_t> text);

  bool HasSection(std::string_view section);
  // The value, cut to `max_bytes` without splitting a character; empty when missing.
  std::string GetString(std::string_view section, std::string_view key, size_t max_bytes);
  // The value of "count" as a decimal integer; 0 when missing.
  int32_t GetCount(std::string_view section);
  // Makes "name1" of `group` the default block's name, adding the section when it is missing.
  void AddDefaultBlock(std::string_view group);

  // Writes the text back (or deletes the file when the text is empty) when write-back is on and
  // something changed. True when nothing was to be written or it was.
  bool Close(FileSystem& files);

  const std::string& text() const { return text_; }
  int changes() const { return changes_; }

 private:
  struct Body {
    size_t begin = 0;
    size_t end = 0;
    bool found = false;
  };
  const Body& FindSection(std::string_view section);
  // The offset of the value of `key` in the cached section, if the key is there.
  std::optional<size_t> FindValue(std::string_view key) const;
  // Fills cached_keys_ from the cached section's lines.
  void IndexCachedKeys();
  void Edited();

  bool write_back_;
  std::u16string path_;
  std::string text_;
  int changes_ = 0;
  std::optional<std::string> cached_name_;  // the section cached_body_ belongs to; none after an edit
  Body cached_body_;
  // Every key of the cached section (a line's text up to its first '=') with where
  // its first value starts: a block of a hundred stocks asks for a hundred keys, and searching
  // the section for each made reading the file quadratic in its length.
  std::unordered_map<std::string_view, size_t> cached_keys_;
};

}  // namespace orra
