#include "commands/Zoom.h"

#include <algorithm>

namespace qnv::commands {

WheelZoom zoomAfterWheel(WheelZoom zoom, int delta) {
  // Kept within what a wheel can report, so that the sum never overflows.
  const long long total = static_cast<long long>(zoom.pendingDelta) + std::clamp(delta, -32768, 32767);
  const long long notches = total / kWheelNotch;
  const long long percent =
      std::clamp<long long>(zoom.percent + notches * kZoomStepPercent, kMinZoomPercent, kMaxZoomPercent);
  return {static_cast<int>(percent), static_cast<int>(total - notches * kWheelNotch)};
}

}  // namespace qnv::commands
