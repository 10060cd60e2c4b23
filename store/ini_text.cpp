#include "store/ini_text.h"

#include <algorithm>

#include "common/decimal_text.h"
#include "store/gbk_text.h"

namespace orra {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kNextSection = "\r\n[";
constexpr std::string_view kCountKey = "count";
constexpr std::string_view kFirstNameKey = "name1";
// 自选股一 in GBK.
constexpr std::string_view kDefaultBlockName = "\xD7\xD4\xD1\xA1\xB9\xC9\xD2\xBB";
// Only the first 31 bytes of a count's value are read, as the terminal reads it; digits beyond
// them do not count.
constexpr size_t kMaxCountBytes = 31;

// "name1=自选股一" and CR LF.
std::string DefaultNameLine() {
  std::string line;
  line.append(kFirstNameKey).append("=").append(kDefaultBlockName).append(kLineEnd);
  return line;
}

}  // namespace

bool CIniText::Load(FileSystem& files, const std::u16string& path) {
  path_ = path;
  const std::optional<std::vector<uint8_t>> bytes = files.ReadAll(path, FileSystem::Access::kReadWrite);
  if (!bytes) return false;
  LoadText(*bytes);
  return true;
}

void CIniText::LoadText(std::span<const uint8_t> text) {
  text_.assign(reinterpret_cast<const char*>(text.data()), text.size());
  changes_ = 0;
  Edited();
}

void CIniText::Edited() {
  cached_name_.reset();
  cached_body_ = Body{};
  cached_keys_.clear();
}

const CIniText::Body& CIniText::FindSection(std::string_view section) {
  if (cached_name_ && section == *cached_name_) return cached_body_;
  cached_name_ = std::string(section);
  cached_body_ = Body{};
  cached_keys_.clear();
  std::string header;
  header.reserve(section.size() + 4);
  header.append("[").append(section).append("]").append(kLineEnd);
  const size_t at = text_.find(header);
  if (at == std::string::npos) return cached_body_;
  cached_body_.found = true;
  cached_body_.begin = at + header.size();
  const size_t next = text_.find(kNextSection, cached_body_.begin);
  cached_body_.end = next == std::string::npos ? text_.size() : next;
  IndexCachedKeys();
  return cached_body_;
}

void CIniText::IndexCachedKeys() {
  const std::string_view text(text_);
  for (size_t line = cached_body_.begin; line < cached_body_.end;) {
    const size_t feed = text.find('\n', line);
    // Each line is searched only up to its own end, so that the index costs one pass over the
    // section however its lines look.
    const std::string_view up_to_feed = text.substr(0, feed == std::string_view::npos ? text.size() : feed);
    const size_t equals = up_to_feed.find('=', line);
    // The first line of a key wins, as it does for the search from the section's start.
    if (equals != std::string_view::npos) cached_keys_.emplace(text.substr(line, equals - line), equals + 1);
    if (feed == std::string_view::npos) break;
    line = feed + 1;
  }
}

std::optional<size_t> CIniText::FindValue(std::string_view key) const {
  const Body& body = cached_body_;
  if (!body.found) return std::nullopt;
  // A key holding '=' or a line feed is not what the index records; the search answers it.
  if (key.find_first_of("=\n") == std::string_view::npos) {
    const auto it = cached_keys_.find(key);
    if (it == cached_keys_.end()) return std::nullopt;
    return it->second;
  }
  const std::string pattern = std::string(key) + "=";
  // An occurrence counts when it starts inside the body; the search never looks further.
  const size_t reach = std::min(text_.size(), body.end + pattern.size() - 1);
  const std::string_view area = std::string_view(text_).substr(0, reach);
  for (size_t at = area.find(pattern, body.begin); at != std::string_view::npos && at < body.end;
       at = area.find(pattern, at + 1)) {
    if (at == body.begin || text_[at - 1] == '\n') return at + pattern.size();
  }
  return std::nullopt;
}

bool CIniText::HasSection(std::string_view section) { return FindSection(section).found; }

std::string CIniText::GetString(std::string_view section, std::string_view key, size_t max_bytes) {
  FindSection(section);
  const std::optional<size_t> value = FindValue(key);
  if (!value) return {};
  const size_t end = text_.find('\r', *value);
  const std::string_view whole =
      std::string_view(text_).substr(*value, end == std::string::npos ? std::string::npos : end - *value);
  return std::string(CutGbk(FieldText(whole.data(), whole.size()), max_bytes));
}

int32_t CIniText::GetCount(std::string_view section) {
  return ReadLeadingDecimal(GetString(section, kCountKey, kMaxCountBytes));
}

void CIniText::AddDefaultBlock(std::string_view group) {
  // The terminal compares the cached name here without regard to A-Z case.
  if (!cached_name_ || !EqualsFoldingAsciiCase(group, *cached_name_)) FindSection(group);
  const Body body = cached_body_;
  if (body.found) {
    if (const std::optional<size_t> value = FindValue(kFirstNameKey)) {
      const size_t end = std::min(text_.find('\r', *value), text_.size());
      if (std::string_view(text_).substr(*value, end - *value) == kDefaultBlockName) return;
      text_.replace(*value, end - *value, kDefaultBlockName);
    } else {
      text_.insert(body.begin, DefaultNameLine());
    }
  } else {
    text_.append("[").append(group).append("]").append(kLineEnd).append(DefaultNameLine());
  }
  Edited();
  ++changes_;
}

bool CIniText::Close(FileSystem& files) {
  if (!write_back_ || changes_ == 0) return true;
  changes_ = 0;
  if (text_.empty()) return files.Remove(path_);
  return ReplaceFileContent(files, path_, {reinterpret_cast<const uint8_t*>(text_.data()), text_.size()});
}

}  // namespace orra
