#pragma once
// The way touches and typed text enter the process, as a finger and a keyboard would: touches at
// screen points are hit-tested against the visible windows (highest level first), delivered to
// the gesture recognisers of the hit view and its ancestors, then to the view itself (unless a
// recogniser that cancels touches has recognised). Text goes to the first responder.
//
// The helpers move the virtual clock as a finger does: a tap holds 0.05 s, taps of a multi-tap
// are 0.1 s apart, and moves are sent at 60 Hz. Everything due on the run loop runs as the clock
// passes.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UITouch.h"

namespace ios {

class UIView;
class UIGestureRecognizer;

inline constexpr double kTapHoldDuration = 0.05;
inline constexpr double kTapGapDuration = 0.1;
inline constexpr double kTouchMoveInterval = 1.0 / 60;

// Text input of a first responder that edits text (the text field).
class UIKeyInput {
public:
    virtual ~UIKeyInput() = default;
    virtual bool hasText() const = 0;
    virtual void insertText(const std::string& text) = 0;
    virtual void deleteBackward() = 0;
};

// Decides which ancestor recognisers a view under the finger keeps for itself (a control takes a
// single tap before the tap recognisers of its superviews).
class UIGestureRecognizerArbiter {
public:
    virtual ~UIGestureRecognizerArbiter() = default;
    virtual bool preventsAncestorGestureRecognizer(const UIGestureRecognizer& recognizer,
                                                   const UITouch& touch) const = 0;
};

// Sends one phase of a finger at a screen point. Fingers are numbered; a Began on a finger that
// is already down ends the old touch first. Cancelled is the system taking the touch away: the
// recognisers it went to cancel (or fail) and its view gets touchesCancelled instead of an end.
// Returns the view hit at touch-down (Began) or the touch's view, or null.
UIView* sendTouch(UITouchPhase phase, CGPoint screenPoint, int finger = 0);
// Every finger that is down lifts (Ended) or is cancelled (Cancelled) where it last was, as when
// a pointer leaves the screen. Returns how many fingers there were.
std::size_t liftTouches();
std::size_t cancelTouches();

// A tap (or `count` taps in quick succession) at a screen point. Returns the view hit.
UIView* tap(CGPoint screenPoint, int count = 1);
inline UIView* doubleTap(CGPoint screenPoint) { return tap(screenPoint, 2); }
// A straight finger movement over `duration` seconds, from touch-down to lift.
void swipe(CGPoint from, CGPoint to, double duration = 0.2);
// A finger along a path (at least one point) over `duration` seconds, at constant speed.
void drag(const std::vector<CGPoint>& path, double duration = 0.5);
// A finger going down, moving along the path and staying down (lift it with sendTouch(Ended)).
void pressAndMove(const std::vector<CGPoint>& path, double duration);

// Typing into the first responder; false when there is none that takes text.
bool typeText(const std::string& text);
bool pressBackspace(int times = 1);
bool pressReturn();

// The view that a touch at this screen point would hit, without touching.
UIView* viewAtScreenPoint(CGPoint screenPoint);
// A view tree outside any window that still takes touches (drawn by its owner on top of the
// windows at `level`); kept weakly.
void addTouchableRoot(const objc::Ref<UIView>& root, double level);
std::size_t activeTouchCount();

}  // namespace ios
