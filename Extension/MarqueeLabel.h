#pragma once
// MarqueeLabel: a one-line label whose text, when wider than the label, scrolls inside its bounds
// (back and forth, away once, or as an endless band), with faded edges.
//
// The label draws no text itself. An inner label, the sub-label (tag 700, anchor point (0, 0)),
// carries the text and is moved by keyframe animations on its layer's position; the label's own
// layer is a replicator (two instances for the continuous types, the second one awayOffset
// behind), clips to the bounds and can carry a gradient mask that fades its edges. The key times
// (MarqueeTimingCurves), the fade mask (MarqueeFadeMask) and the curve arithmetic
// (MarqueeLabelHelpers) follow the scroll type.
//
// Every property that an ordinary label has is kept on both the label and the sub-label: the
// getter reads the sub-label, the setter writes the sub-label and then the label's own value.
// (The label's setters hide the base label's; set through a MarqueeLabel reference.)

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/quartz/CAGradientLayer.h"
#include "platform/quartz/CAReplicatorLayer.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"

// Scroll types (marqueeType).
enum MarqueeType : unsigned {
    MLLeftRight = 0,          // waits, scrolls left until the end shows, waits, scrolls back
    MLRightLeft = 1,          // the mirror: right-aligned, scrolls right and back
    MLContinuous = 2,         // endless band moving left
    MLContinuousReverse = 3,  // endless band moving right
    MLLeft = 4,               // waits, scrolls left once and stays
    MLRight = 5,              // waits, scrolls right once and stays
};

extern "C" {
extern const std::string kMarqueeLabelControllerRestartNotification;  // "MarqueeLabelViewControllerRestart"
extern const std::string kMarqueeLabelShouldLabelizeNotification;     // "MarqueeLabelShouldLabelizeNotification"
extern const std::string kMarqueeLabelShouldAnimateNotification;      // "MarqueeLabelShouldAnimateNotification"
// The key under which every scroll animation is marked (with the value true).
extern const std::string kMarqueeLabelAnimationCompletionBlock;  // "MarqueeLabelAnimationCompletionBlock"
}

class MarqueeAnimationDelegate;

class MarqueeLabel : public ios::UILabel {
    OBJC_CLASS_DECLARE(MarqueeLabel)
public:
    // Defaults of every initialiser.
    static constexpr double kDefaultScrollDuration = 7.0;
    static constexpr double kDefaultAnimationDelay = 1.0;
    static constexpr unsigned kDefaultAnimationCurve = 0x30000;  // linear
    // Text is measured no wider than this.
    static constexpr double kMaximumMeasuredWidth = 5461;
    // The single-precision epsilon: text must overflow by more than this to scroll.
    static constexpr double kScrollEpsilon = 1.1920928955078125e-7;
    static constexpr int kSubLabelTag = 700;
    static constexpr double kSetupFadeDuration = 0.25;
    // Fade changes at each end of a leg (0.2 s and 0.1 s for the continuous types).
    static constexpr double kFadeChangeDuration = 0.4;
    static constexpr double kContinuousFadeInDuration = 0.2;
    static constexpr double kContinuousFadeOutDuration = 0.1;

    // Tag of initWithFrame:rate:andFadeLength:.
    struct Rate {
        double pointsPerSecond;
    };
    // What initWithCoder: reads: the frame and stored values by property name ("text",
    // "marqueeType", "scrollDuration", "rate", "animationCurve", "leadingBuffer", "trailingBuffer",
    // "fadeLength", "animationDelay", "labelize", "holdScrolling", "tapToScroll").
    struct Archive {
        ios::CGRect frame{};
        ios::Dictionary values;
    };

    ~MarqueeLabel() override;

    // --- creation ---
    using ios::UILabel::init;
    // initWithFrame: duration 7 s, no fade.
    void init(const ios::CGRect& frame) override;
    // initWithFrame:duration:andFadeLength:
    void init(const ios::CGRect& frame, double scrollDuration, double fadeLength);
    // initWithFrame:rate:andFadeLength:
    void init(const ios::CGRect& frame, Rate rate, double fadeLength);
    // initWithCoder:
    void init(const Archive& archive);
    virtual void awakeFromNib();
    virtual void prepareForInterfaceBuilder();

    // --- controller-wide class operations (default notification centre) ---
    static void restartLabelsOfController(const objc::Ref<ios::UIViewController>& controller);
    static void controllerViewWillAppear(const objc::Ref<ios::UIViewController>& controller);
    static void controllerViewDidAppear(const objc::Ref<ios::UIViewController>& controller);
    static void controllerViewAppearing(const objc::Ref<ios::UIViewController>& controller);
    static void controllerLabelsShouldLabelize(const objc::Ref<ios::UIViewController>& controller);
    static void controllerLabelsShouldAnimate(const objc::Ref<ios::UIViewController>& controller);
    static void notifyController(const objc::Ref<ios::UIViewController>& controller,
                                 const std::optional<std::string>& message);

    // --- receivers ---
    void viewControllerShouldRestart(const ios::NSNotification& notification);
    void labelsShouldLabelize(const ios::NSNotification& notification);
    void labelsShouldAnimate(const ios::NSNotification& notification);
    // The first view controller up the responder chain through views; none when another kind of
    // responder or the end of the chain comes first.
    ios::UIViewController* firstAvailableViewController() const;

    // --- control ---
    void restartLabel();
    void resetLabel();
    void shutdownLabel();
    void pauseLabel();
    void unpauseLabel();
    void triggerScrollStart();
    void labelWasTapped(const objc::Ref<ios::UIGestureRecognizer>& recognizer);
    // Hooks for subclasses.
    virtual void labelWillBeginScroll() {}
    virtual void labelReturnedToHome(bool finished) {}
    void beginScroll();
    void beginScrollWithDelay(bool delay);

    // --- configuration ---
    unsigned marqueeType() const { return m_marqueeType; }
    void setMarqueeType(unsigned type);
    double scrollDuration() const { return m_scrollDuration; }
    void setScrollDuration(double duration);
    double rate() const { return m_rate; }
    void setRate(double rate);
    unsigned animationCurve() const { return m_animationCurve; }
    void setAnimationCurve(unsigned curve);
    double leadingBuffer() const { return m_leadingBuffer; }
    void setLeadingBuffer(double buffer);
    double trailingBuffer() const { return m_trailingBuffer; }
    void setTrailingBuffer(double buffer);
    double continuousMarqueeExtraBuffer() const { return trailingBuffer(); }
    void setContinuousMarqueeExtraBuffer(double buffer) { setTrailingBuffer(buffer); }
    double fadeLength() const { return m_fadeLength; }
    void setFadeLength(double length);
    double animationDelay() const { return m_animationDelay; }
    void setAnimationDelay(double delay) { m_animationDelay = delay; }
    double animationDuration() const { return m_animationDuration; }
    bool labelize() const { return m_labelize; }
    void setLabelize(bool labelize);
    bool holdScrolling() const { return m_holdScrolling; }
    void setHoldScrolling(bool hold);
    bool tapToScroll() const { return m_tapToScroll; }
    void setTapToScroll(bool tap);
    bool isPaused() const { return m_isPaused; }
    const objc::Ref<ios::UILabel>& subLabel() const { return m_subLabel; }
    objc::Ref<ios::UITapGestureRecognizer> tapRecognizer() const { return m_tapRecognizer.lock(); }
    const ios::CGRect& homeLabelFrame() const { return m_homeLabelFrame; }
    double awayOffset() const { return m_awayOffset; }
    const std::function<void(bool finished)>& scrollCompletionBlock() const { return m_scrollCompletionBlock; }
    void setScrollCompletionBlock(std::function<void(bool finished)> block) {
        m_scrollCompletionBlock = std::move(block);
    }

    // --- derived ---
    bool labelShouldScroll() const;
    bool awayFromHome() const;
    // Measured text: the sub-label's unlimited fitting width capped at 5461, the bounds height.
    ios::CGSize subLabelSize() const;
    // The label's layer, a replicator.
    objc::Ref<ios::CAReplicatorLayer> replicatorLayer() const;
    // The fade mask, when there is one.
    objc::Ref<ios::CAGradientLayer> maskLayer() const;

    // --- forwarded label properties ---
    const std::optional<std::string>& text() const;
    void setText(const std::optional<std::string>& text);
    objc::Ref<ios::NSAttributedString> attributedText() const;
    void setAttributedText(const objc::Ref<ios::NSAttributedString>& text);
    const objc::Ref<ios::UIFont>& font() const;
    void setFont(objc::Ref<ios::UIFont> font);
    const ios::UIColorRef& textColor() const;
    void setTextColor(ios::UIColorRef color);
    ios::UIColorRef backgroundColor() const;
    void setBackgroundColor(ios::UIColorRef color) override;
    const ios::UIColorRef& shadowColor() const;
    void setShadowColor(ios::UIColorRef color);
    const ios::CGSize& shadowOffset() const;
    void setShadowOffset(const ios::CGSize& offset);
    const ios::UIColorRef& highlightedTextColor() const;
    void setHighlightedTextColor(ios::UIColorRef color);
    bool isHighlighted() const;
    void setHighlighted(bool highlighted);
    bool isEnabled() const;
    void setEnabled(bool enabled);
    ios::UIBaselineAdjustment baselineAdjustment() const;
    void setBaselineAdjustment(ios::UIBaselineAdjustment adjustment);
    ios::UIColorRef tintColor() const;
    void setTintColor(ios::UIColorRef color);
    ios::UIViewContentMode contentMode() const;
    void setContentMode(ios::UIViewContentMode mode);
    bool isAccessibilityElement() const { return m_isAccessibilityElement; }
    void setIsAccessibilityElement(bool element);
    int numberOfLines() const;
    void setNumberOfLines(int lines);
    bool adjustsFontSizeToFitWidth() const;
    void setAdjustsFontSizeToFitWidth(bool adjusts);
    ios::CGFloat minimumScaleFactor() const;
    void setMinimumScaleFactor(ios::CGFloat factor);

    void tintColorDidChange() override;
    ios::UIView* viewForFirstBaselineLayout() const { return m_subLabel.get(); }
    ios::UIView* viewForLastBaselineLayout() const { return m_subLabel.get(); }
    ios::CGSize intrinsicContentSize() const override;
    ios::CGSize sizeThatFits(const ios::CGSize& size) const override;
    void forwardPropertiesToSubLabel();
    void minimizeLabelFrameWithMaximumSize(const ios::CGSize& maximum, bool adjustHeight);

    // --- layout and scrolling ---
    void updateSublabel() { updateSublabelAndBeginScroll(true); }
    void updateSublabelAndBeginScroll(bool beginScroll);
    void scrollAwayWithInterval(double interval);
    void scrollAwayWithInterval(double interval, bool delay);
    void scrollAwayWithInterval(double interval, double delayAmount, bool shouldReturn);
    void scrollContinuousWithInterval(double interval, double delayAmount);
    void scrollContinuousWithInterval(double interval, double delayAmount,
                                      objc::Ref<ios::CAKeyframeAnimation> labelAnimation,
                                      objc::Ref<ios::CAKeyframeAnimation> gradientAnimation);
    void returnLabelToOriginImmediately();

    // --- animation curves and fade mask ---
    static ios::CAMediaTimingFunctionRef timingFunctionForAnimationOptions(unsigned options);
    // Null (after reporting an assertion failure) when the count of values is wrong for the type.
    objc::Ref<ios::CAKeyframeAnimation> keyFrameAnimationForProperty(const std::string& keyPath,
                                                                     std::vector<ios::CAValue> values, double interval,
                                                                     double delay);
    objc::Ref<ios::CAKeyframeAnimation> keyFrameAnimationForGradientFadeLength(double fadeLength, double interval,
                                                                               double delay);
    void applyGradientMaskForFadeLength(double fadeLength, bool animated);
    void removeGradientMask();
    // The end of every animation the label makes (its delegate is the label).
    void animationDidStop(ios::CAAnimation& animation, bool finished);
    // The delegate object the label's animations carry; it forwards to the label, held weakly.
    objc::Ref<ios::CAAnimationDelegate> animationDelegate() const;

    // --- view events ---
    void didMoveToSuperview() override;
    void layoutSubviews() override;
    void willMoveToWindow(ios::UIWindow* newWindow) override;
    void didMoveToWindow() override;
    // After the base behaviour, a relayout only on operating-system version "8.0"; elsewhere the
    // next layout pass does it.
    void setFrame(const ios::CGRect& frame);
    void setBounds(const ios::CGRect& bounds);

    // The label's layer fills its bounds with the background colour; the text is the sub-label's.
    void drawLayerInContext(ios::CALayer& layer, ios::CGContext& context) override;
    objc::Ref<ios::CALayer> makeBackingLayer() const override;

protected:
    MarqueeLabel() = default;

private:
    void setupLabel();
    bool labelReadyForScroll() const;
    void setSubLabelLineBreakMode(ios::NSLineBreakMode mode);
    void setSubLabelAlignment(ios::NSTextAlignment alignment);
    bool actsOn(const ios::NSNotification& notification) const;
    static void postForController(const std::string& name, const objc::Ref<ios::UIViewController>& controller);
    std::vector<ios::UIColorRef> maskColorsForScrolling() const;
    void awayCompletion(double interval, double delay, bool shouldReturn, bool finished);

    objc::Ref<ios::UILabel> m_subLabel;
    unsigned m_marqueeType = MLContinuous;
    double m_scrollDuration = 0;
    double m_rate = 0;
    unsigned m_animationCurve = kDefaultAnimationCurve;
    double m_leadingBuffer = 0;
    double m_trailingBuffer = 0;
    double m_fadeLength = 0;
    double m_animationDelay = kDefaultAnimationDelay;
    double m_animationDuration = 0;
    bool m_labelize = false;
    bool m_holdScrolling = false;
    bool m_tapToScroll = false;
    bool m_isPaused = false;
    bool m_isAccessibilityElement = false;
    objc::WeakRef<ios::UITapGestureRecognizer> m_tapRecognizer;
    ios::CGRect m_homeLabelFrame{};
    double m_awayOffset = 0;
    std::function<void(bool finished)> m_scrollCompletionBlock;
    std::shared_ptr<MarqueeAnimationDelegate> m_animationDelegate;
    std::optional<ios::CGSize> m_reportedIntrinsicSize;
};

using MarqueeLabelRef = objc::Ref<MarqueeLabel>;
