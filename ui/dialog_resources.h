#pragma once
// The resource ids of the dialogs' templates and bitmap in ui/dialogs.rc, and the ids of the
// controls the dialog classes reach. The numbers are the templates' own; the tests under Wine
// find every control by them.

#include <cstdint>

namespace orra {

// The indicator navigator, "函数插入".
constexpr uint16_t kReportNavTemplate = 1059;
// The navigator's parameter panel, a child dialog.
constexpr uint16_t kParamInfoTemplate = 1060;
// The insert-code dialog, "插入代码".
constexpr uint16_t kInsertStockTemplate = 1065;
// The panel's reference button picture: a grid with an arrow pointing at a cell.
constexpr uint16_t kReferenceBitmap = 1064;

// The navigator's controls.
constexpr int kNavigatorTree = 5204;
constexpr int kNavigatorSearchBox = 5205;
constexpr int kNavigatorFormulaBox = 5207;
constexpr int kNavigatorParameterLabel = 5210;
// The panel's reference button.
constexpr int kParamReferenceButton = 5208;

// The insert-code dialog's controls.
constexpr int kInsertStockTree = 5211;
constexpr int kInsertStockCandidates = 5212;
constexpr int kInsertStockSelected = 5213;
constexpr int kInsertStockAddAll = 5208;
constexpr int kInsertStockAdd = 5209;
constexpr int kInsertStockRemove = 5210;
constexpr int kInsertStockRemoveAll = 5214;
constexpr int kInsertStockFillDown = 5215;
constexpr int kInsertStockFillRight = 5216;

}  // namespace orra
