#pragma once
// ScrollTrackPosition: where the user drags a scroll box now. SB_THUMBTRACK's own position is 16
// bits wide; the 32-bit one is asked of the scroll bar.
//
// The thread of `window`.

#include <windows.h>

#include <optional>

namespace orra {

// `bar` is SB_CTL for a scroll bar control `window`, SB_VERT or SB_HORZ for a window's own bar.
// None when the bar cannot be asked.
std::optional<int> ScrollTrackPosition(HWND window, int bar);

}  // namespace orra
