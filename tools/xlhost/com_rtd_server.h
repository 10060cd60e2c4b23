#pragma once
// The Windows adapter of RtdServerPort: an RTD server reached through COM the way Excel
// reaches it. A server is created by its ProgID (CLSIDFromProgID, CoCreateInstance, on the
// calling apartment-threaded thread), queried for IRtdServer and then called only through
// IDispatch by name (GetIDsOfNames, Invoke), with the argument forms the type library gives:
// Strings as VT_ARRAY|VT_VARIANT|VT_BYREF of VT_BSTR, GetNewValues as VT_BOOL|VT_BYREF,
// TopicCount as VT_I4|VT_BYREF. ServerStart receives an IRTDUpdateEvent of this host's own,
// whose UpdateNotify is remembered until TakeUpdateNotice asks. What a server answers is read
// as untrusted: RefreshData's array is checked for its shape, its bounds and the type of every
// element before anything is taken from it.
//
// The thread that created the factory, in a single-threaded apartment, only.

#include <memory>

#include "tools/xlhost/rtd_server_port.h"

struct IDispatch;

namespace orra::xlhost {

std::unique_ptr<RtdServerFactory> MakeComRtdServerFactory();

// Starts `server`, an object that answers IRtdServer's methods through its IDispatch; none
// when ServerStart fails or answers a result that is not positive.
std::unique_ptr<RtdServerPort> StartComRtdServer(IDispatch& server);

}  // namespace orra::xlhost
