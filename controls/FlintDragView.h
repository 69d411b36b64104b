#pragma once
// A view that slides between a closed and an opened centre along one axis. A pan on its handle
// strip drags it (never past either end); on release it snaps to the end the finger was last
// moving toward, with a short ease-out animation and a light haptic tap. A drag that is cancelled
// or fails settles, the same way, at the end nearer to where it was left. A tap on the handle
// toggles it.

#include <memory>

#include "controls/FlintDragViewDelegate.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UIView.h"

// The drag view's haptic generator, exported under its own (unmangled) name; replaced by a new
// light-style generator at the end of every animation.
extern "C" {
extern objc::Ref<ios::UIImpactFeedbackGenerator> gen1;
}

inline constexpr double kFlintDragHandleHeight = 40;
inline constexpr ios::CGSize kFlintDragPillSize{50, 8};
inline constexpr double kFlintDragPillCenterY = 15;

class FlintDragView : public ios::UIView {
    OBJC_CLASS_DECLARE(FlintDragView)
public:
    using ios::UIView::init;
    void init(const ios::CGRect& frame) override;

    ios::CGPoint closedCenter() const { return m_closedCenter; }
    void setClosedCenter(ios::CGPoint p) { m_closedCenter = p; }
    ios::CGPoint openedCenter() const { return m_openedCenter; }
    void setOpenedCenter(ios::CGPoint p) { m_openedCenter = p; }
    const objc::Ref<ios::UIView>& handleView() const { return m_handleView; }
    const objc::Ref<ios::UIView>& pillView() const { return m_pillView; }
    const objc::Ref<ios::UIPanGestureRecognizer>& dragRecognizer() const { return m_dragRecognizer; }
    const objc::Ref<ios::UITapGestureRecognizer>& tapRecognizer() const { return m_tapRecognizer; }
    ios::CGPoint startPos() const { return m_startPos; }
    ios::CGPoint minPos() const { return m_minPos; }
    ios::CGPoint maxPos() const { return m_maxPos; }
    bool verticalAxis() const { return m_verticalAxis; }
    bool opened() const { return m_opened; }
    bool toggleOnTap() const { return m_toggleOnTap; }
    void setToggleOnTap(bool toggle);
    bool animate() const { return m_animate; }
    void setAnimate(bool animate) { m_animate = animate; }
    float animationDuration() const { return m_animationDuration; }
    void setAnimationDuration(float duration) { m_animationDuration = duration; }
    std::shared_ptr<FlintDragViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::shared_ptr<FlintDragViewDelegate>& delegate) { m_delegate = delegate; }

    // The single way the state changes.
    void setOpened(bool opened, bool animated);
    void handleDrag(ios::UIPanGestureRecognizer& recognizer);
    void handleTap(ios::UITapGestureRecognizer& recognizer);
    void animationDidStop();

protected:
    FlintDragView() = default;

private:
    void tellDelegate();

    ios::CGPoint m_closedCenter{};
    ios::CGPoint m_openedCenter{};
    objc::Ref<ios::UIView> m_handleView;
    objc::Ref<ios::UIView> m_pillView;
    objc::Ref<ios::UIPanGestureRecognizer> m_dragRecognizer;
    objc::Ref<ios::UITapGestureRecognizer> m_tapRecognizer;
    ios::CGPoint m_startPos{};
    ios::CGPoint m_minPos{};
    ios::CGPoint m_maxPos{};
    bool m_verticalAxis = false;
    bool m_opened = false;
    bool m_toggleOnTap = true;
    bool m_animate = true;
    float m_animationDuration = 0.2f;
    std::weak_ptr<FlintDragViewDelegate> m_delegate;
};
