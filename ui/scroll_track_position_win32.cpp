#include "ui/scroll_track_position_win32.h"

namespace orra {

std::optional<int> ScrollTrackPosition(HWND window, int bar) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_TRACKPOS;
  if (!GetScrollInfo(window, bar, &info)) return std::nullopt;
  return info.nTrackPos;
}

}  // namespace orra
