// A record file in the store's layout or in another one (the header's payload size decides),
// read as the indicator file and as the system dictionary, then everything the store derives.
#include <cstdint>
#include <memory>
#include <span>

#include "common/clock.h"
#include "store/indicator_dictionary.h"
#include "store/orra_data.h"
#include "store/record_file.h"
#include "store/store_records.h"

namespace {

void Exercise(std::span<const uint8_t> input, int32_t payload_size) {
  auto file = std::make_shared<orra::CRecordFile>(u"", payload_size);
  file->Decode(input);
  for (size_t i = 0; i < file->count(); ++i) {
    const orra::RecordView record = file->At(i);
    orra::DescribeIndicator(record);
    orra::COrraData::ParseChoiceList(record);
    orra::ParameterCaption(record);
    orra::ParameterDefaultText(record);
  }
  if (file->count() > 0) {
    file->FindByName(file->At(file->count() - 1).name);
    file->FindById(file->At(0).id);
  }
  const orra::IndicatorDictionary dictionary(file);
  orra::LocalDateTime today;
  today.year = 2024;
  today.month = 2;
  today.day = 29;
  orra::BuildVariables(*file, today);
  orra::CRecordFile again(u"", payload_size);
  again.Decode(file->Encode());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  Exercise(input, 38);
  Exercise(input, 204);
  return 0;
}
