#pragma once
// What IRtdServer's COM shell converts between Excel's automation types and the plain values of
// RtdServer: the topic strings of ConnectData (a one-dimensional SAFEARRAY of VARIANT, each a
// BSTR) and the answer of RefreshData (a two-dimensional SAFEARRAY of VARIANT, 2 by n, each
// column a topic id and its new value). Excel's arrays are untrusted: every dimension, bound and
// element type is checked before an element is read.
//
// Any thread; the arrays belong to the caller.

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "common/topic_id.h"

namespace orra {

// More strings than any RTD formula can carry (Excel allows 253 arguments in all).
constexpr size_t kMaxTopicStrings = 256;

// Reads the strings of a one-dimensional array of VARIANT (or of BSTR) into `topics`, in index
// order; a null BSTR is an empty string. The strings `topics` holds from an earlier call are
// written over in place, so that a caller reading lists of one shape again and again allocates
// only for the first. False, with `topics` left holding anything, for a null array, another
// shape or element type, more than kMaxTopicStrings elements, or any element that is no string.
bool ReadTopicStrings(SAFEARRAY* strings, std::vector<std::u16string>& topics);

// RefreshData's answer for `topics`: bounds {2, 0} and {n, 0}; elements (0, k) and (1, k) are
// both topic k as VT_I4, since each topic's value is its own id. With no topic the array has
// no data block. Null when out of memory.
SAFEARRAY* MakeRefreshArray(const std::vector<TopicId>& topics);

}  // namespace orra
