#pragma once
// CRecordFile: one of the terminal's record files (the indicator file, the system dictionary)
// as the store holds it: a 64-byte header and the records back to back, every record with the
// store's own payload size. A file written with another payload size is converted record by
// record when read, and written back in the store's layout by Save.
//
// Decoding works on bytes; reading the file is a separate step. Once built, an object is read
// by any thread; Save (at the store's end) is the only change and runs with no reader left.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"

namespace orra {

// One record inside a CRecordFile's bytes; valid while that object lives.
struct RecordView {
  static constexpr size_t kFieldCount = 6;

  bool is_folder = false;
  int64_t parent_id = 0;
  int64_t id = 0;
  std::string_view name;  // GBK, up to the first zero of its 192-byte field
  std::span<const uint8_t> payload;
  std::array<std::span<const uint8_t>, kFieldCount> fields;
  // Where field 1 starts, running to the end of the variable fields: the choice list of a
  // parameter whose field 1 is empty is read from here with field 5's length.
  std::span<const uint8_t> after_field0;
};

// A record's fixed part alone: what a walk over every record's place in the tree reads.
struct RecordKey {
  bool is_folder = false;
  int64_t parent_id = 0;
  int64_t id = 0;
  std::string_view name;  // GBK, up to the first zero of its 192-byte field
};

class CRecordFile {
 public:
  static constexpr size_t kHeaderSize = 64;
  static constexpr uint32_t kMagic = 0x99110002;
  // Where the header keeps its fields (little-endian int32).
  static constexpr size_t kHeaderPayloadSizeOffset = 8;
  static constexpr size_t kHeaderCountOffset = 12;
  static constexpr size_t kHeaderRevisionOffset = 16;
  // Folder flag, 4 bytes, parent id, id, name, six lengths, 40 bytes: then the payload.
  static constexpr size_t kFixedSize = 277;
  static constexpr size_t kNameWidth = 192;

  CRecordFile() = default;
  CRecordFile(std::u16string path, int32_t payload_size) : path_(std::move(path)), payload_size_(payload_size) {}

  // Reads and decodes `path_`; a missing or unreadable file leaves the object empty.
  void Read(FileSystem& files);
  // Replaces the object's content by what `file` decodes to.
  void Decode(std::span<const uint8_t> file);

  const std::u16string& path() const { return path_; }
  int32_t payload_size() const { return payload_size_; }
  // The payload size the file was written with (0 when it had no usable header).
  int32_t file_payload_size() const;
  size_t count() const { return places_.size(); }
  int32_t revision() const { return revision_; }
  int32_t saved_revision() const { return saved_revision_; }
  // The file was read in another layout and is to be written in the store's.
  bool NeedsRewrite() const { return revision_ != saved_revision_; }
  // The records' bytes in file order, in the store's layout.
  std::span<const uint8_t> record_bytes() const { return std::span<const uint8_t>(records_).subspan(records_begin_); }

  RecordView At(size_t index) const;
  // What At gives of the fixed part, without placing the variable fields; read from what the
  // decode kept of each record, not from the record's bytes.
  RecordKey KeyAt(size_t index) const;
  std::optional<size_t> FindById(int64_t id) const;
  // The first record whose name equals `name`, with A-Z folded to a-z.
  std::optional<size_t> FindByName(std::string_view name) const;

  // The file as Save writes it: the header (magic, size, payload size, count, revision, the
  // rest as read) and the records.
  std::vector<uint8_t> Encode() const;
  // Writes the file when NeedsRewrite(); true when nothing was to be written or it was.
  bool Save(FileSystem& files);

 private:
  // Where a record starts (from records_begin_) and its fixed part as the decode read it, the
  // name copied to names_. A walk over the tree of a hundred thousand records (the indicator
  // dictionary) reads these instead of the records: the records fill tens of megabytes, and
  // every pass over them waits on memory, while the decode has the fixed parts in the cache.
  struct Place {
    size_t offset = 0;
    int64_t parent_id = 0;
    int64_t id = 0;
    size_t name_offset = 0;  // in names_
    uint16_t name_length = 0;
    bool is_folder = false;
  };

  void Reset();
  const uint8_t* RecordAt(size_t index) const { return records_.data() + records_begin_ + places_[index].offset; }
  std::string_view NameAt(size_t index) const {
    return std::string_view(names_).substr(places_[index].name_offset, places_[index].name_length);
  }
  // Appends the place of the record whose fixed part starts at `fixed`, `offset` bytes from
  // records_begin_.
  void AddPlace(const uint8_t* fixed, size_t offset);
  // Decodes the header and places the records; when the file is in the store's layout, answers
  // how many bytes of records follow the header, for the caller to keep (nothing kept yet).
  std::optional<size_t> DecodeLayout(std::span<const uint8_t> file);
  // Places the records of a file in the store's layout; answers the bytes they take.
  size_t WalkSameLayout(std::span<const uint8_t> data);
  void ConvertLayout(std::span<const uint8_t> data, int32_t file_payload_size, int32_t record_count);

  std::u16string path_;
  int32_t payload_size_ = 0;
  int32_t revision_ = 0;
  int32_t saved_revision_ = 0;
  std::array<uint8_t, kHeaderSize> header_{};
  std::vector<uint8_t> records_;
  size_t records_begin_ = 0;     // where the first record starts in records_
  std::vector<Place> places_;  // one per record, in file order
  std::string names_;          // every record's name (GBK), back to back
};

}  // namespace orra
