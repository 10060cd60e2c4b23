#include "request/cell_messages.h"

namespace orra {
namespace {

// In the order of CellMessage.
constexpr std::u16string_view kStandardTexts[kCellMessageCount] = {
    u"Fetching...", u"#System?", u"NULL",     u"#System?", u"#NOINDEX?", u"#System?",    u"#Param?",
    u"#Param?",     u"#Login?",  u"#System?", u"#System?", u"#System?",  u"#Permission?"};

constexpr std::u16string_view kDeveloperTexts[kCellMessageCount] = {
    u"Fetching...",     u"Timeout",         u"NULL",          u"NODATA",          u"NOINDEX",
    u"#Error!",         u"#FixedParam?",    u"#QutoeParam?",  u"#Login?",         u"Data Type Error",
    u"Index Size Zero", u"No Function Type", u"#Permission?"};

}  // namespace

CellMessageTable::CellMessageTable() : texts_(&kStandardTexts) {}

std::u16string_view CellMessageTable::Text(CellMessage message) const {
  return (*texts_.load(std::memory_order_acquire))[static_cast<size_t>(message)];
}

void CellMessageTable::UseDeveloperTexts() { texts_.store(&kDeveloperTexts, std::memory_order_release); }

bool CellMessageTable::UsingDeveloperTexts() const {
  return texts_.load(std::memory_order_acquire) == &kDeveloperTexts;
}

std::optional<CellMessage> MessageForStatus(uint8_t status, FunctionShape shape) {
  switch (static_cast<RequestStatus>(status)) {
    case RequestStatus::kPending:
      return CellMessage::kFetching;
    case RequestStatus::kAnswered:
      return shape == FunctionShape::kSingleValue ? std::nullopt : std::optional(CellMessage::kFetching);
    case RequestStatus::kNotLoggedIn:
      return CellMessage::kLogin;
    case RequestStatus::kTimedOut:
      return CellMessage::kTimeout;
    case RequestStatus::kNoIndicator:
      return shape == FunctionShape::kSingleValue ? CellMessage::kNoIndex : CellMessage::kFetching;
    case RequestStatus::kNoPermission:
      return shape == FunctionShape::kSingleValue ? CellMessage::kPermission : CellMessage::kFetching;
  }
  return shape == FunctionShape::kSingleValue ? CellMessage::kTimeout : CellMessage::kFetching;
}

}  // namespace orra
