#include "testing/terminal_files.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/compression.h"

namespace orra::terminal {
namespace {

constexpr uint32_t kRecordMagic = 0x99110002;
constexpr size_t kRecordHeaderSize = 64;
constexpr size_t kNameWidth = 192;
constexpr size_t kMarketHeaderSize = 188;
constexpr size_t kKeyIndexHeaderSize = 136;
constexpr size_t kKeyRecordSize = 71;

template <typename T>
void Put(std::vector<uint8_t>& out, size_t offset, T value) {
  using U = std::make_unsigned_t<T>;
  const U bits = static_cast<U>(value);
  for (size_t i = 0; i < sizeof(T); ++i) out[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

template <typename T>
void Append(std::vector<uint8_t>& out, T value) {
  out.resize(out.size() + sizeof(T));
  Put(out, out.size() - sizeof(T), value);
}

void PutText(std::vector<uint8_t>& out, size_t offset, size_t width, const std::string& text) {
  std::memcpy(out.data() + offset, text.data(), std::min(text.size(), width - 1));
}

void AppendShortText(std::vector<uint8_t>& out, const std::string& text) {
  const size_t n = std::min<size_t>(text.size(), 255);
  out.push_back(static_cast<uint8_t>(n));
  out.insert(out.end(), text.begin(), text.begin() + static_cast<ptrdiff_t>(n));
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out(CompressBound(body.size()));
  size_t length = out.size();
  if (!CompressBuffer(out.data(), length, body.data(), body.size())) throw std::runtime_error("zlib could not compress a body");
  out.resize(length);
  return out;
}

}  // namespace

void AppendPackedNumber(std::vector<uint8_t>& out, uint64_t value) {
  do {
    uint8_t byte = static_cast<uint8_t>((value & 0x7F) << 1);
    value >>= 7;
    if (value != 0) byte |= 1;
    out.push_back(byte);
  } while (value != 0);
}

std::vector<uint8_t> EncodeRecordFile(int32_t payload_size, int32_t revision,
                                      const std::vector<RecordLayout>& records) {
  std::vector<uint8_t> out(kRecordHeaderSize, 0);
  Put<uint32_t>(out, 0, kRecordMagic);
  Put<uint32_t>(out, 4, static_cast<uint32_t>(kRecordHeaderSize));
  Put<int32_t>(out, 8, payload_size);
  Put<int32_t>(out, 12, static_cast<int32_t>(records.size()));
  Put<int32_t>(out, 16, revision);
  for (const RecordLayout& r : records) {
    const size_t start = out.size();
    out.resize(start + 277 + static_cast<size_t>(payload_size), 0);
    out[start] = r.folder ? 1 : 0;
    Put<int64_t>(out, start + 5, r.parent_id);
    Put<int64_t>(out, start + 13, r.id);
    PutText(out, start + 21, kNameWidth, r.name);
    for (size_t k = 0; k < r.fields.size(); ++k) Put<int32_t>(out, start + 213 + 4 * k, static_cast<int32_t>(r.fields[k].size()));
    std::copy_n(r.payload.begin(), std::min(r.payload.size(), static_cast<size_t>(payload_size)), out.begin() + static_cast<ptrdiff_t>(start) + 277);
    for (const std::string& field : r.fields) out.insert(out.end(), field.begin(), field.end());
    out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> IndicatorPayload(uint8_t value_kind, uint8_t decimals, uint8_t alignment, uint8_t date_style) {
  std::vector<uint8_t> payload(38, 0);
  payload[34] = value_kind;
  payload[35] = decimals;
  payload[36] = alignment;
  payload[37] = date_style;
  return payload;
}

std::vector<uint8_t> ParameterPayload(int32_t control_type, const std::string& caption, const std::string& default_text) {
  std::vector<uint8_t> payload(204, 0);
  Put<int32_t>(payload, 0, control_type);
  PutText(payload, 40, 64, caption);
  PutText(payload, 104, 100, default_text);
  return payload;
}

std::vector<uint8_t> EncodeMarketData(const MarketLayout& market) {
  std::vector<uint8_t> body;
  for (const SecurityLayout& s : market.securities) {
    AppendShortText(body, s.code);
    AppendShortText(body, s.name);
    if (market.security_extra) AppendShortText(body, s.extra);
  }
  for (const CategoryLayout& c : market.categories) {
    AppendPackedNumber(body, (c.has_children ? 1u : 0u) | (c.continues_group ? 2u : 0u));
    AppendPackedNumber(body, c.scheme_id);
    AppendShortText(body, c.parent_key);
    AppendShortText(body, c.code);
    AppendShortText(body, c.name);
    if (market.kind == 7) AppendShortText(body, c.extra);
  }
  for (const MemberLayout& m : market.members) {
    AppendShortText(body, m.category_code);
    AppendPackedNumber(body, m.scheme_id);
    AppendPackedNumber(body, m.security_index);
  }
  const std::vector<uint8_t> packed = Compress(body);
  std::vector<uint8_t> out(kMarketHeaderSize + packed.size(), 0);
  std::copy(packed.begin(), packed.end(), out.begin() + kMarketHeaderSize);
  PutText(out, 0, 32, "OrraTerminal");
  PutText(out, 32, 32, "sys0000");
  Put<int32_t>(out, 128, static_cast<int32_t>(market.securities.size()));
  Put<int32_t>(out, 132, static_cast<int32_t>(market.categories.size()));
  Put<int32_t>(out, 136, static_cast<int32_t>(market.members.size()));
  Put<int32_t>(out, 144, market.kind);
  Put<int32_t>(out, 148, static_cast<int32_t>(body.size()));
  Put<int32_t>(out, 152, static_cast<int32_t>(packed.size()));
  out[156] = market.security_extra ? 1 : 0;
  return out;
}

std::vector<uint8_t> EncodeKeyIndex(const std::vector<SecurityLayout>& securities) {
  std::vector<uint8_t> body(securities.size() * kKeyRecordSize, 0);
  for (size_t i = 0; i < securities.size(); ++i) {
    const size_t at = i * kKeyRecordSize;
    PutText(body, at, 16, securities[i].code);
    PutText(body, at + 16, 7, securities[i].code.substr(0, 6));
    PutText(body, at + 23, 32, securities[i].name);
  }
  const std::vector<uint8_t> packed = Compress(body);
  std::vector<uint8_t> out(kKeyIndexHeaderSize + packed.size(), 0);
  std::copy(packed.begin(), packed.end(), out.begin() + kKeyIndexHeaderSize);
  PutText(out, 32, 32, "OrraTerminal");
  PutText(out, 64, 32, "system.keyidx");
  Put<int32_t>(out, 96, static_cast<int32_t>(body.size()));
  Put<int32_t>(out, 100, static_cast<int32_t>(packed.size()));
  return out;
}

}  // namespace orra::terminal
