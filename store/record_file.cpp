#include "store/record_file.h"

#include <algorithm>
#include <cstring>

#include "store/byte_reader.h"
#include "store/gbk_text.h"

namespace orra {
namespace {

constexpr size_t kFolderOffset = 0;
constexpr size_t kParentOffset = 5;
constexpr size_t kIdOffset = 13;
constexpr size_t kNameOffset = 21;
constexpr size_t kLengthsOffset = 213;
constexpr size_t kTerminatorSize = 1;


int32_t HeaderField(std::span<const uint8_t> header, size_t offset) {
  return ByteReader::LoadLittleEndian<int32_t>(header.data() + offset);
}

// The bytes of the six variable fields of a record whose fixed part starts at `fixed`; none
// when a length is negative (the record cannot be placed).
std::optional<size_t> VariableBytes(const uint8_t* fixed) {
  size_t total = 0;
  for (size_t k = 0; k < RecordView::kFieldCount; ++k) {
    const int32_t length = ByteReader::LoadLittleEndian<int32_t>(fixed + kLengthsOffset + 4 * k);
    if (length < 0) return std::nullopt;
    total += static_cast<size_t>(length);
  }
  return total;
}

}  // namespace

void CRecordFile::Reset() {
  revision_ = 0;
  saved_revision_ = 0;
  header_.fill(0);
  records_.clear();
  records_begin_ = 0;
  places_.clear();
  names_.clear();
}

void CRecordFile::AddPlace(const uint8_t* fixed, size_t offset) {
  Place& place = places_.emplace_back();
  place.offset = offset;
  place.parent_id = ByteReader::LoadLittleEndian<int64_t>(fixed + kParentOffset);
  place.id = ByteReader::LoadLittleEndian<int64_t>(fixed + kIdOffset);
  const std::string_view name = FieldText(std::span<const uint8_t>(fixed + kNameOffset, kNameWidth));
  place.name_offset = names_.size();
  place.name_length = static_cast<uint16_t>(name.size());
  names_.append(name);
  place.is_folder = fixed[kFolderOffset] != 0;
}

void CRecordFile::Read(FileSystem& files) {
  Reset();
  std::optional<std::vector<uint8_t>> file = files.ReadAll(path_, FileSystem::Access::kRead);
  if (!file) return;
  // A file in the store's layout is kept as read: its records are used where they lie.
  if (const std::optional<size_t> walked = DecodeLayout(*file)) {
    file->resize(kHeaderSize + *walked);
    records_ = std::move(*file);
    records_begin_ = kHeaderSize;
  }
}

void CRecordFile::Decode(std::span<const uint8_t> file) {
  if (const std::optional<size_t> walked = DecodeLayout(file)) {
    const auto records = file.subspan(kHeaderSize, *walked);
    records_.assign(records.begin(), records.end());
  }
}

std::optional<size_t> CRecordFile::DecodeLayout(std::span<const uint8_t> file) {
  Reset();
  // A file too short for its header holds nothing usable and is never written back: replacing
  // it would destroy bytes a later read might still use.
  if (file.size() < kHeaderSize) return std::nullopt;
  const std::span<const uint8_t> header = file.first(kHeaderSize);
  const int32_t file_payload_size = HeaderField(header, kHeaderPayloadSizeOffset);
  const int32_t record_count = HeaderField(header, kHeaderCountOffset);
  // No records: nothing to convert either, so the file stays as the terminal wrote it.
  if (record_count <= 0) return std::nullopt;
  std::copy(header.begin(), header.end(), header_.begin());
  revision_ = HeaderField(header, kHeaderRevisionOffset);
  saved_revision_ = revision_;
  const std::span<const uint8_t> data = file.subspan(kHeaderSize);
  if (file_payload_size == payload_size_) return WalkSameLayout(data);
  ConvertLayout(data, file_payload_size, record_count);
  saved_revision_ = revision_ - 1;
  return std::nullopt;
}

size_t CRecordFile::WalkSameLayout(std::span<const uint8_t> data) {
  const size_t fixed_and_payload = kFixedSize + static_cast<size_t>(payload_size_);
  // As many places as the bytes could hold: a few percent of the file, and no regrowth across
  // a hundred thousand records.
  places_.reserve(data.size() / (fixed_and_payload + kTerminatorSize));
  size_t at = 0;
  while (data.size() - at >= fixed_and_payload + kTerminatorSize) {
    const uint8_t* record = data.data() + at;
    if (ByteReader::LoadLittleEndian<int64_t>(record + kIdOffset) == 0) break;
    const std::optional<size_t> variable = VariableBytes(record);
    if (!variable || *variable > data.size() - at - fixed_and_payload - kTerminatorSize) break;
    AddPlace(record, at);
    at += fixed_and_payload + *variable + kTerminatorSize;
  }
  return at;
}

void CRecordFile::ConvertLayout(std::span<const uint8_t> data, int32_t file_payload_size, int32_t record_count) {
  if (file_payload_size < 0) return;
  const size_t from = static_cast<size_t>(file_payload_size);
  const size_t to = static_cast<size_t>(payload_size_);
  ByteReader reader(data);
  for (int32_t n = 0; n < record_count; ++n) {
    std::span<const uint8_t> fixed, payload, rest;
    if (!reader.ReadBytes(kFixedSize, fixed) || !reader.ReadBytes(from, payload)) break;
    const std::optional<size_t> variable = VariableBytes(fixed.data());
    if (!variable || !reader.ReadBytes(*variable + kTerminatorSize, rest)) break;
    AddPlace(fixed.data(), records_.size());
    records_.insert(records_.end(), fixed.begin(), fixed.end());
    const size_t kept = std::min(from, to);
    records_.insert(records_.end(), payload.begin(), payload.begin() + static_cast<ptrdiff_t>(kept));
    records_.insert(records_.end(), to - kept, uint8_t{0});
    records_.insert(records_.end(), rest.begin(), rest.end());
  }
}

int32_t CRecordFile::file_payload_size() const { return HeaderField(header_, kHeaderPayloadSizeOffset); }

RecordView CRecordFile::At(size_t index) const {
  RecordView view;
  if (index >= places_.size()) return view;
  const uint8_t* record = RecordAt(index);
  view.is_folder = record[kFolderOffset] != 0;
  view.parent_id = ByteReader::LoadLittleEndian<int64_t>(record + kParentOffset);
  view.id = ByteReader::LoadLittleEndian<int64_t>(record + kIdOffset);
  view.name = NameAt(index);
  const size_t payload_size = static_cast<size_t>(payload_size_);
  view.payload = {record + kFixedSize, payload_size};
  const uint8_t* field = record + kFixedSize + payload_size;
  const uint8_t* variable_end = field + VariableBytes(record).value_or(0);
  for (size_t k = 0; k < RecordView::kFieldCount; ++k) {
    const auto length = static_cast<size_t>(ByteReader::LoadLittleEndian<int32_t>(record + kLengthsOffset + 4 * k));
    view.fields[k] = {field, length};
    field += length;
    if (k == 0) view.after_field0 = {field, static_cast<size_t>(variable_end - field)};
  }
  return view;
}

RecordKey CRecordFile::KeyAt(size_t index) const {
  RecordKey key;
  if (index >= places_.size()) return key;
  const Place& place = places_[index];
  key.is_folder = place.is_folder;
  key.parent_id = place.parent_id;
  key.id = place.id;
  key.name = NameAt(index);
  return key;
}

std::optional<size_t> CRecordFile::FindById(int64_t id) const {
  for (size_t i = 0; i < places_.size(); ++i) {
    if (places_[i].id == id) return i;
  }
  return std::nullopt;
}

std::optional<size_t> CRecordFile::FindByName(std::string_view name) const {
  for (size_t i = 0; i < places_.size(); ++i) {
    if (EqualsFoldingAsciiCase(NameAt(i), name)) return i;
  }
  return std::nullopt;
}

std::vector<uint8_t> CRecordFile::Encode() const {
  std::vector<uint8_t> file(header_.begin(), header_.end());
  StoreLittleEndian<uint32_t>(file.data(), kMagic);
  StoreLittleEndian<uint32_t>(file.data() + 4, static_cast<uint32_t>(kHeaderSize));
  StoreLittleEndian<int32_t>(file.data() + kHeaderPayloadSizeOffset, payload_size_);
  StoreLittleEndian<int32_t>(file.data() + kHeaderCountOffset, static_cast<int32_t>(places_.size()));
  StoreLittleEndian<int32_t>(file.data() + kHeaderRevisionOffset, revision_);
  const std::span<const uint8_t> records = record_bytes();
  file.insert(file.end(), records.begin(), records.end());
  return file;
}

bool CRecordFile::Save(FileSystem& files) {
  if (!NeedsRewrite()) return true;
  if (!ReplaceFileContent(files, path_, Encode())) return false;
  saved_revision_ = revision_;
  return true;
}

}  // namespace orra
