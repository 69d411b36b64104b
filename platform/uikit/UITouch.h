#pragma once
// A finger on the screen. The touch keeps its screen location (points of the screen, which are
// the coordinates of every full-screen window) and converts it into any view's coordinates on
// demand, through the view's position, bounds and transform up to its window.

#include <vector>

#include "platform/graphics/CGGeometry.h"
#include "platform/objc/Runtime.h"

namespace ios {

class UIView;
class UIGestureRecognizer;

enum class UITouchPhase { Began, Moved, Stationary, Ended, Cancelled };

class UITouch : public objc::Object {
    OBJC_CLASS_DECLARE(UITouch)
public:
    UITouchPhase phase() const { return m_phase; }
    // Taps in quick succession at about the same place count up (1 for a first tap).
    int tapCount() const { return m_tapCount; }
    double timestamp() const { return m_timestamp; }
    // The view hit at touch-down, and its window (the root of its tree); none once gone.
    UIView* view() const { return m_view.lock().get(); }
    UIView* window() const { return m_window.lock().get(); }

    // In the view's own coordinates; a null view means screen coordinates.
    CGPoint locationInView(const UIView* view) const;
    CGPoint previousLocationInView(const UIView* view) const;
    CGPoint screenLocation() const { return m_location; }
    CGPoint previousScreenLocation() const { return m_previous; }

    // The recognisers this touch is delivered to.
    const std::vector<objc::Ref<UIGestureRecognizer>>& gestureRecognizers() const { return m_recognizers; }

    // Used by the touch dispatcher as the finger moves.
    void beginAt(CGPoint screenPoint, double time, int tapCount);
    void moveTo(CGPoint screenPoint, double time, UITouchPhase phase);
    void setView(UIView* view);
    void setGestureRecognizers(std::vector<objc::Ref<UIGestureRecognizer>> recognizers) {
        m_recognizers = std::move(recognizers);
    }

protected:
    UITouch() = default;

private:
    UITouchPhase m_phase = UITouchPhase::Began;
    int m_tapCount = 1;
    double m_timestamp = 0;
    CGPoint m_location;
    CGPoint m_previous;
    objc::WeakRef<UIView> m_view;
    objc::WeakRef<UIView> m_window;
    std::vector<objc::Ref<UIGestureRecognizer>> m_recognizers;
};

}  // namespace ios
