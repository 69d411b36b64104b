#pragma once
// Tool pages 4 to 6 of the Showcase editor: rotation, translation and scale of the device bezel
// in three dimensions. Nine sliders make up one transform of the bezel's layer (rotated about X,
// then Y, then Z, then scaled, then translated, no perspective); the tool card fades while a
// slider is dragged; each page's "Reset" puts its sliders back.

#include <string>

#include "platform/quartz/CATransform3D.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIView.h"
#include "startup/ActionTable.h"
#include "startup/FlintHost.h"

namespace flint {

inline constexpr double kToolCardDragAlpha = 0.3;
inline constexpr double kToolCardFadeDuration = 0.15;
// A slider touch ends when the finger lifts, inside or outside, or when the system cancels it;
// each end brings the faded tool card back (action `touchUp:`).
inline constexpr unsigned kSliderTouchEndEvents =
    ios::UIControlEventTouchUpInside | ios::UIControlEventTouchUpOutside | ios::UIControlEventTouchCancel;

// Fills tool page `tag` (4 rotation, 5 translation, 6 scale) with its controls.
void buildTransformPage(FlintHost& host, ios::UIView& page, int tag);

// The transform of nine slider values: rotation angles in degrees, translation in points, scale
// factors.
struct TransformValues {
    float rotate[3] = {0, 0, 0};
    float translate[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
};
ios::CATransform3D bezelTransform(const TransformValues& values);

// The value labels' texts: "%.0fº", "%.0f" and "%.1f" of the value widened to double.
std::string rotationLabelText(float value);
std::string translationLabelText(float value);
std::string scaleLabelText(float value);

void transformSliderAction(FlintHost& host, const objc::id& sender);
void updateLabelValues(FlintHost& host);

extern const ActionTable transformActions;

}  // namespace flint
