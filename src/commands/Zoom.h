#pragma once
// The editor box's zoom: Ctrl and the mouse wheel change it in steps of 10%, between 10% and
// 500%; Ctrl+0 goes back to 100%. It lasts for the session only.
namespace qnv::commands {

inline constexpr int kMinZoomPercent = 10;
inline constexpr int kMaxZoomPercent = 500;
inline constexpr int kZoomStepPercent = 10;
// What one notch of a mouse wheel reports.
inline constexpr int kWheelNotch = 120;

struct WheelZoom {
  int percent = 100;
  int pendingDelta = 0;  // wheel movement of less than a notch, kept for the next one
  bool operator==(const WheelZoom&) const = default;
};

// The zoom after a wheel movement of `delta` (positive: away from the user, zooming in).
// Fine-grained wheels add up until they make a notch.
WheelZoom zoomAfterWheel(WheelZoom zoom, int delta);

}  // namespace qnv::commands
