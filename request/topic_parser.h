#pragma once
// Turns the topic list of one RTD call into a request record:
//   [caller address, function id, (function 0: code, indicator name), key=value ...]
// Runs on Excel's main thread, inside ConnectData.

#include <string>
#include <vector>

#include "request/indicator_variable_source.h"
#include "request/request.h"

namespace orra {

// The most characters each field keeps (the field's width less the terminator, and for the
// caller address one more unit kept free).
constexpr size_t kMaxCallerAddressChars = 126;
constexpr size_t kMaxIndicatorNameChars = 127;
constexpr size_t kMaxVariableValueChars = 255;

// Fills `record` from `topics`; false when the list makes no request (the record is then to be
// discarded). `store` may be null when no local data store is at hand; the indicator-name
// variable is then not looked for.
//
// A caller address longer than 126 characters is cut: it only places the cell's format and
// finds the sheet for a refresh, and the data asked for stays right. An indicator name longer
// than 127 characters fails the parse: a cut name could name another indicator and show its
// values in the cell.
bool ParseTopics(const std::vector<std::u16string>& topics, tagRequest& record, IndicatorVariableSource* store);

// Gives an indicator name the store knows, but has no variable for, the default of the system
// dictionary's parameter record of the same name (or number) as its variable.
void AddIndicatorVariable(IndicatorVariableSource& store, const std::u16string& name);

// The security code as the server wants it: six characters gain ".sh" when the first is the
// digit 6, ".sz" otherwise; any other length stays as it is.
std::u16string NormaliseSecurityCode(const std::u16string& code);

}  // namespace orra
