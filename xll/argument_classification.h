#pragma once
// How a worksheet function sorts its arguments before the RTD call: missing ones, the result
// placement option, the display options, and plain values. Only Missing and Placement change
// what a function does; the other classes travel as topics like plain values.
//
// Pure functions without state; any thread.

#include <cstdint>
#include <span>

#include "xll/xloper.h"

namespace orra {

enum class ArgumentClass : int32_t {
  kMissing = 0,
  kPlacement = 1,    // "ROW=" and "COL="
  kDisplayMode = 2,  // "DISPLAYMODE="
  kShowNull = 3,     // "ISSHOWNULL="
  kEDate = 4,        // "ISEDATE="
  kOrder = 5,        // "ORDER="
  kPlain = -1,
};

// A null pointer or a missing value is Missing; a text is searched for the option names,
// anywhere in it and blind to the case of ASCII letters; every other value is Plain. A text
// whose length count is beyond a cell's is Plain too.
ArgumentClass ClassifyArgument(const XLOPER12* value) noexcept;

// True when any of `values` is Missing. An empty text, an empty cell, zero and an error value
// are all present.
bool AnyRequiredMissing(std::span<const XLOPER12* const> values) noexcept;

}  // namespace orra
