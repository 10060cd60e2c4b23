#pragma once
// COrraData: the add-in's one local data store, read from the terminal's data directory: the
// indicator file and the system dictionary (record files), the indicator dictionary and the
// variables built from them, the market navigation data, the security key index and the
// user's stock blocks.
//
// Threads: Load and ClearDictionaries run on Excel's main thread, lookups on any thread (the
// query worker, the user-interface thread). One shared_mutex keeps them apart: load and clear
// take it exclusively, lookups share it. No file is read under it: a load reads and decodes
// everything first, then swaps the results in. What a load builds is immutable and held by
// shared_ptr, so a dialog that keeps what it was built from stays valid across reloads.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/env.h"
#include "common/mutex.h"
#include "common/shared_mutex.h"
#include "store/block_data.h"
#include "store/choice_list.h"
#include "store/indicator_dictionary.h"
#include "store/key_index.h"
#include "store/record_file.h"
#include "store/self_block_list.h"
#include "store/store_records.h"

namespace orra {

// A record of a record file, kept alive by holding the file.
struct RecordRef {
  std::shared_ptr<const CRecordFile> file;
  size_t index = 0;
  RecordView view() const { return file->At(index); }
};

using VariableMap = std::map<std::u16string, std::u16string, std::less<>>;

class COrraData {
 public:
  static constexpr size_t kMaxVariableChars = 255;

  // Empty; files and "today" come from `env`, which must outlive the store.
  explicit COrraData(Env& env);
  // Writes back the record files that were read in another layout.
  virtual ~COrraData();
  COrraData(const COrraData&) = delete;
  COrraData& operator=(const COrraData&) = delete;

  // GBK text, as the terminal's login block carries it; used as the prefix of every file name.
  void SetDataDirectory(std::string_view gbk_directory);
  void SetDataDirectory(std::u16string directory);
  std::u16string DataDirectory() const;
  // With writes off the store touches no file: no default stock-block file, no repair, no
  // rewrite at the end (for diagnostics).
  void SetWritesAllowed(bool allowed);

  // Reads every file of the data directory (through the Env's files, "today" from its clock).
  void Load();
  // Empties the indicator dictionary and the variables; nothing else.
  void ClearDictionaries();

  bool IndicatorDictionaryEmpty() const;
  std::optional<IndicatorDescriptor> FindIndicator(std::u16string_view name) const;
  std::shared_ptr<const IndicatorDictionary> Indicators() const;

  std::optional<std::u16string> FindVariable(std::u16string_view name) const;
  // Inserts, or replaces the value of an existing name.
  void SetVariable(std::u16string_view name, std::u16string_view value);
  // Inserts unless the name is already there.
  void AddVariable(std::u16string_view name, std::u16string_view value);
  VariableMap Variables() const;

  std::shared_ptr<const CRecordFile> IndicatorFile() const;
  std::shared_ptr<const CRecordFile> SystemDictionary() const;
  // The first leaf or folder record of the system dictionary whose name equals `gbk_name`
  // (A-Z folded) when the name is not empty; failing that, when `id` is not 0, the first
  // whose id is `id`.
  std::optional<RecordRef> FindParameter(std::string_view gbk_name, int64_t id) const;
  static ChoiceList ParseChoiceList(const RecordView& parameter);

  std::shared_ptr<const CBlockData> MarketData() const;
  std::shared_ptr<const CKeyIndex> KeyIndex() const;
  std::shared_ptr<CSelfBlockList> SelfBlocks() const;

  // Writes the record files that need it; false when one could not be written.
  bool SaveRecordFiles();

 private:

  Env& env_;
  Mutex load_mutex_;  // one load at a time; never taken by lookups
  mutable SharedMutex mutex_;
  std::u16string data_directory_ ORRA_GUARDED_BY(mutex_);
  bool writes_allowed_ ORRA_GUARDED_BY(mutex_) = true;
  std::shared_ptr<const IndicatorDictionary> indicators_ ORRA_GUARDED_BY(mutex_);
  std::shared_ptr<CRecordFile> indicator_file_ ORRA_GUARDED_BY(mutex_);
  std::shared_ptr<CRecordFile> system_dictionary_ ORRA_GUARDED_BY(mutex_);
  std::shared_ptr<const CBlockData> market_data_ ORRA_GUARDED_BY(mutex_);
  std::shared_ptr<const CKeyIndex> key_index_ ORRA_GUARDED_BY(mutex_);
  std::shared_ptr<CSelfBlockList> self_blocks_ ORRA_GUARDED_BY(mutex_);
  VariableMap variables_ ORRA_GUARDED_BY(mutex_);
};

// The variables the system dictionary's leaf records give on the day `now`, first name wins.
VariableMap BuildVariables(const CRecordFile& system_dictionary, const LocalDateTime& now);

}  // namespace orra
