#include "store/orra_data.h"

#include "store/gbk_text.h"
#include "store/relative_date.h"
#include "store/store_files.h"

namespace orra {
namespace {

std::u16string Cut(std::u16string text, size_t max_chars) {
  if (text.size() > max_chars) text.resize(max_chars);
  return text;
}

std::u16string VariableValue(const RecordView& record, const LocalDateTime& now) {
  const std::string_view default_text = ParameterDefaultText(record);
  switch (ParameterControlType(record)) {
    case static_cast<int32_t>(ControlType::kDate):
      return ResolveRelativeDate(WideOfGbk(default_text, COrraData::kMaxVariableChars), now);
    case static_cast<int32_t>(ControlType::kChoiceList): {
      const ChoiceList choices = ParseChoiceList(ParameterChoiceText(record), 1);
      return choices.empty() ? std::u16string() : choices.front().value();
    }
    default:
      return WideOfGbk(default_text, COrraData::kMaxVariableChars);
  }
}

}  // namespace

VariableMap BuildVariables(const CRecordFile& system_dictionary, const LocalDateTime& now) {
  VariableMap variables;
  for (size_t i = 0; i < system_dictionary.count(); ++i) {
    const RecordView record = system_dictionary.At(i);
    if (record.is_folder) continue;
    std::u16string name = WideOfGbk(record.name, COrraData::kMaxVariableChars);
    // One walk down the tree finds the name or where it goes.
    const auto at = variables.lower_bound(name);
    if (at != variables.end() && at->first == name) continue;
    variables.emplace_hint(at, std::move(name), Cut(VariableValue(record, now), COrraData::kMaxVariableChars));
  }
  return variables;
}

COrraData::COrraData(Env& env)
    : env_(env),
      indicators_(std::make_shared<IndicatorDictionary>()),
      indicator_file_(std::make_shared<CRecordFile>()),
      system_dictionary_(std::make_shared<CRecordFile>()) {}

COrraData::~COrraData() {
  try {
    SaveRecordFiles();
  } catch (...) {
    // The store ends at process exit; a failed rewrite leaves the old file, read again next time.
  }
}

void COrraData::SetDataDirectory(std::string_view gbk_directory) {
  SetDataDirectory(WideOfGbk(FieldText(gbk_directory.data(), gbk_directory.size()), kMaxDataDirectoryChars));
}

void COrraData::SetDataDirectory(std::u16string directory) {
  WriterLock lock(mutex_);
  data_directory_ = Cut(std::move(directory), kMaxDataDirectoryChars);
}

std::u16string COrraData::DataDirectory() const {
  ReaderLock lock(mutex_);
  return data_directory_;
}

void COrraData::SetWritesAllowed(bool allowed) {
  WriterLock lock(mutex_);
  writes_allowed_ = allowed;
}

void COrraData::Load() {
  MutexLock load_lock(load_mutex_);
  std::u16string directory;
  bool writes_allowed = true;
  std::shared_ptr<const CKeyIndex> key_index;
  {
    ReaderLock lock(mutex_);
    directory = data_directory_;
    writes_allowed = writes_allowed_;
    key_index = key_index_;
  }
  FileSystem& files = env_.files();
  auto indicator_file = std::make_shared<CRecordFile>(directory + std::u16string(kIndicatorFileName), kIndicatorPayloadSize);
  auto system_dictionary =
      std::make_shared<CRecordFile>(directory + std::u16string(kSystemDictionaryName), kParameterPayloadSize);
  indicator_file->Read(files);
  system_dictionary->Read(files);
  auto indicators = std::make_shared<const IndicatorDictionary>(indicator_file);
  VariableMap variables = BuildVariables(*system_dictionary, env_.clock().LocalNow());

  if (auto bytes = files.ReadAll(directory + std::u16string(kKeyIndexName), FileSystem::Access::kRead)) {
    if (std::optional<CKeyIndex> decoded = CKeyIndex::Decode(*bytes)) {
      key_index = std::make_shared<const CKeyIndex>(std::move(*decoded));
    }
  }
  std::shared_ptr<const CBlockData> market_data;
  if (auto bytes = files.ReadAll(directory + std::u16string(kMarketDataName), FileSystem::Access::kRead)) {
    if (std::optional<CBlockData> decoded = CBlockData::Decode(*bytes, key_index.get())) {
      market_data = std::make_shared<const CBlockData>(std::move(*decoded));
    }
  }
  std::shared_ptr<CSelfBlockList> self_blocks;
  if (std::optional<CSelfBlockList> list =
          CSelfBlockList::Read(files, directory + std::u16string(kSelfBlockName), true, writes_allowed)) {
    self_blocks = std::make_shared<CSelfBlockList>(std::move(*list));
  }

  WriterLock lock(mutex_);
  indicator_file_ = std::move(indicator_file);
  system_dictionary_ = std::move(system_dictionary);
  indicators_ = std::move(indicators);
  variables_ = std::move(variables);
  key_index_ = std::move(key_index);
  if (market_data) market_data_ = std::move(market_data);
  self_blocks_ = std::move(self_blocks);
}

void COrraData::ClearDictionaries() {
  WriterLock lock(mutex_);
  indicators_ = std::make_shared<IndicatorDictionary>();
  variables_.clear();
}

bool COrraData::IndicatorDictionaryEmpty() const {
  ReaderLock lock(mutex_);
  return indicators_->empty();
}

std::optional<IndicatorDescriptor> COrraData::FindIndicator(std::u16string_view name) const {
  const std::shared_ptr<const IndicatorDictionary> indicators = Indicators();
  const std::optional<size_t> index = indicators->Find(name);
  if (!index) return std::nullopt;
  return DescribeIndicator(indicators->file().At(*index));
}

std::shared_ptr<const IndicatorDictionary> COrraData::Indicators() const {
  ReaderLock lock(mutex_);
  return indicators_;
}

std::optional<std::u16string> COrraData::FindVariable(std::u16string_view name) const {
  ReaderLock lock(mutex_);
  const auto it = variables_.find(name);
  if (it == variables_.end()) return std::nullopt;
  return it->second;
}

void COrraData::SetVariable(std::u16string_view name, std::u16string_view value) {
  WriterLock lock(mutex_);
  variables_.insert_or_assign(std::u16string(name), std::u16string(value));
}

void COrraData::AddVariable(std::u16string_view name, std::u16string_view value) {
  WriterLock lock(mutex_);
  variables_.emplace(std::u16string(name), std::u16string(value));
}

VariableMap COrraData::Variables() const {
  ReaderLock lock(mutex_);
  return variables_;
}

std::shared_ptr<const CRecordFile> COrraData::IndicatorFile() const {
  ReaderLock lock(mutex_);
  return indicator_file_;
}

std::shared_ptr<const CRecordFile> COrraData::SystemDictionary() const {
  ReaderLock lock(mutex_);
  return system_dictionary_;
}

std::optional<RecordRef> COrraData::FindParameter(std::string_view gbk_name, int64_t id) const {
  const std::shared_ptr<const CRecordFile> file = SystemDictionary();
  std::optional<size_t> index;
  if (!gbk_name.empty()) index = file->FindByName(gbk_name);
  if (!index && id != 0) index = file->FindById(id);
  if (!index) return std::nullopt;
  return RecordRef{file, *index};
}

ChoiceList COrraData::ParseChoiceList(const RecordView& parameter) {
  return orra::ParseChoiceList(ParameterChoiceText(parameter));
}

std::shared_ptr<const CBlockData> COrraData::MarketData() const {
  ReaderLock lock(mutex_);
  return market_data_;
}

std::shared_ptr<const CKeyIndex> COrraData::KeyIndex() const {
  ReaderLock lock(mutex_);
  return key_index_;
}

std::shared_ptr<CSelfBlockList> COrraData::SelfBlocks() const {
  ReaderLock lock(mutex_);
  return self_blocks_;
}

bool COrraData::SaveRecordFiles() {
  std::shared_ptr<CRecordFile> indicator_file, system_dictionary;
  {
    ReaderLock lock(mutex_);
    if (!writes_allowed_) return true;
    indicator_file = indicator_file_;
    system_dictionary = system_dictionary_;
  }
  MutexLock load_lock(load_mutex_);
  FileSystem& files = env_.files();
  const bool indicators_saved = indicator_file->Save(files);
  return system_dictionary->Save(files) && indicators_saved;
}

}  // namespace orra
