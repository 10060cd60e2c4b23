#pragma once
// What the worksheet functions reach: Excel's C API, the RTD server's requests, the cell
// texts, the environment and Excel's object model. Any of them may be absent: without Excel
// a function returns no value, without the requests an RTD handle shows "Fetching...", without
// the cell texts the standard ones are used, without an Env the platform's, and without the
// object model the answered cell keeps its format.

#include "common/env.h"
#include "request/cell_messages.h"
#include "request/excel_object_model.h"
#include "request/requests_dictionary.h"
#include "xll/excel_calls.h"

namespace orra {

struct XllServices {
  ExcelCalls* excel = nullptr;
  RequestsDictionary* requests = nullptr;
  const CellMessageTable* messages = nullptr;
  const Env* env = nullptr;
  ExcelObjectModel* object_model = nullptr;
};

// The services the exported worksheet functions use. Excel calls an export as a plain C
// function with nothing but its arguments, so the exports cannot be handed their
// collaborators the way the rest of the system is: this one process-wide point is where the
// DLL's composition root puts them (and takes them away before they go). Read and written on
// Excel's main thread only, where Excel calls the functions, xlAutoOpen and xlAutoClose.
XllServices& InstalledXllServices();

}  // namespace orra
