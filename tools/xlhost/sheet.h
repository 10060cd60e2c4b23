#pragma once
// One worksheet of the stand-in workbook: the cells that hold something, each a constant or a
// formula with the value it last gave. Excel's C API names a sheet by its workbook and sheet
// name and, inside a reference, by a sheet id; a workbook of more sheets is a list of these.
//
// Excel's main thread only.

#include <map>
#include <optional>
#include <string>

#include "tools/xlhost/cell_address.h"
#include "tools/xlhost/formula.h"
#include "tools/xlhost/grid_value.h"

namespace orra::xlhost {

struct Cell {
  std::optional<Formula> formula;
  GridValue value;  // the constant, or what the formula gave at its last evaluation
};

class Sheet {
 public:
  Sheet(std::u16string book_name, std::u16string name, uint64_t id);

  // "[Book1.xlsx]Sheet1", as xlSheetNm answers.
  std::u16string QualifiedName() const;
  uint64_t id() const { return id_; }
  const std::u16string& book_name() const { return book_name_; }
  const std::u16string& name() const { return name_; }

  void SetConstant(CellAddress cell, GridValue value);
  void SetFormula(CellAddress cell, Formula formula);
  // A formula's result; the formula stays.
  void SetResult(CellAddress cell, GridValue value);
  void Clear(CellAddress cell);

  const Cell* Find(CellAddress cell) const;
  // An empty cell's value is monostate.
  GridValue ValueAt(CellAddress cell) const;
  const std::map<CellAddress, Cell>& cells() const { return cells_; }

 private:
  std::u16string book_name_;
  std::u16string name_;
  uint64_t id_;
  std::map<CellAddress, Cell> cells_;
};

}  // namespace orra::xlhost
