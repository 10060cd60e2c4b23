// The definitions of the 35 exported worksheet functions. Excel calls them on its main
// thread; each passes its arguments, as Excel gave them, to the one code path, which catches
// everything itself, so no exception can leave an export.

#include "xll/worksheet_function_exports.h"

#include "xll/worksheet_function.h"
#include "xll/worksheet_function_table.h"
#include "xll/xll_services.h"

// Each export is the row of its id, with that row's name and argument count: a function
// whose name or arity disagreed with the table would send another function's topics.
#define ORRA_DEFINE_WORKSHEET_FUNCTION(function, id, count)                                          \
  static_assert(orra::kWorksheetFunctions[id].name == #function &&                                   \
                orra::kWorksheetFunctions[id].argument_count == count);                              \
  extern "C" orra::XLOPER12* function(ORRA_XLL_PARAMETERS_##count) noexcept {                        \
    const orra::XLOPER12* const arguments[] = {ORRA_XLL_ARGUMENTS_##count};                          \
    return orra::EvaluateWorksheetFunction(orra::kWorksheetFunctions[id], arguments,                 \
                                           orra::InstalledXllServices());                            \
  }
ORRA_FOR_EACH_WORKSHEET_FUNCTION(ORRA_DEFINE_WORKSHEET_FUNCTION)
#undef ORRA_DEFINE_WORKSHEET_FUNCTION
