#include "Extension/MarqueeLabel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Extension/GradientSetupAnimation.h"
#include "Extension/MarqueeAnimationDelegate.h"
#include "Extension/MarqueeFadeMask.h"
#include "Extension/MarqueeAssertion.h"
#include "Extension/MarqueeControllerNotification.h"
#include "Extension/MarqueeLabelHelpers.h"
#include "Extension/MarqueeTimingCurves.h"
#include "platform/foundation/Process.h"
#include "platform/graphics/CGContext.h"
#include "platform/quartz/CATransaction.h"
#include "platform/uikit/UIApplicationNotifications.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIWindow.h"

using namespace ios;

extern "C" {
const std::string kMarqueeLabelControllerRestartNotification = "MarqueeLabelViewControllerRestart";
const std::string kMarqueeLabelShouldLabelizeNotification = "MarqueeLabelShouldLabelizeNotification";
const std::string kMarqueeLabelShouldAnimateNotification = "MarqueeLabelShouldAnimateNotification";
const std::string kMarqueeLabelAnimationCompletionBlock = "MarqueeLabelAnimationCompletionBlock";
}

namespace {

using Family = MarqueeFamily;

Family familyOf(unsigned type) { return MarqueeTimingCurves::familyOf(type); }
bool isRightHandType(unsigned type) { return MarqueeTimingCurves::startsOnTheRight(type); }

const NSNotification* notificationArgument(std::span<const objc::id> args) {
    return args.empty() ? nullptr : dynamic_cast<const NSNotification*>(args[0].get());
}

void setupClass(objc::Class& cls) {
    auto receiver = [](void (MarqueeLabel::*method)(const NSNotification&)) {
        return [method](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
            if (const NSNotification* n = notificationArgument(args)) (static_cast<MarqueeLabel&>(self).*method)(*n);
            return nullptr;
        };
    };
    cls.addNativeMethod("viewControllerShouldRestart:", "v@:@", receiver(&MarqueeLabel::viewControllerShouldRestart));
    cls.addNativeMethod("labelsShouldLabelize:", "v@:@", receiver(&MarqueeLabel::labelsShouldLabelize));
    cls.addNativeMethod("labelsShouldAnimate:", "v@:@", receiver(&MarqueeLabel::labelsShouldAnimate));
    cls.addNativeMethod("restartLabel",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<MarqueeLabel&>(self).restartLabel();
                            return nullptr;
                        });
    cls.addNativeMethod("shutdownLabel",
                        "v@:", [](objc::Object& self, objc::SEL, std::span<const objc::id>) -> objc::id {
                            static_cast<MarqueeLabel&>(self).shutdownLabel();
                            return nullptr;
                        });
    cls.addNativeMethod("labelWasTapped:", "v@:@",
                        [](objc::Object& self, objc::SEL, std::span<const objc::id> args) -> objc::id {
                            auto recognizer = args.empty() ? nullptr : objc::cast<UIGestureRecognizer>(args[0]);
                            static_cast<MarqueeLabel&>(self).labelWasTapped(recognizer);
                            return nullptr;
                        });
}

}  // namespace

OBJC_CLASS_DEFINE_WITH(MarqueeLabel, ios::UILabel, setupClass)

// --- creation ------------------------------------------------------------------------------------

MarqueeLabel::~MarqueeLabel() {
    if (Process::current()) NSNotificationCenter::defaultCenter().removeObserver(this);
}

objc::Ref<CALayer> MarqueeLabel::makeBackingLayer() const { return CAReplicatorLayer::layer(); }

void MarqueeLabel::init(const CGRect& frame) { init(frame, kDefaultScrollDuration, 0.0); }

void MarqueeLabel::init(const CGRect& frame, double scrollDuration, double fadeLength) {
    UILabel::init(frame);
    setupLabel();
    m_scrollDuration = scrollDuration;
    m_fadeLength = std::min(fadeLength, frame.size.width / 2);
}

void MarqueeLabel::init(const CGRect& frame, Rate rate, double fadeLength) {
    UILabel::init(frame);
    setupLabel();
    m_rate = rate.pointsPerSecond;
    m_fadeLength = std::min(fadeLength, frame.size.width / 2);
}

void MarqueeLabel::init(const Archive& archive) {
    UILabel::init(archive.frame);
    const Value values(archive.values);
    // The archived label's own values; the sub-label gets them in awakeFromNib.
    if (auto text = values["text"].stringValue()) UILabel::setText(text);
    setupLabel();
    auto number = [&](const char* key, double& field) {
        if (values[key].isNumber()) field = values[key].doubleValue();
    };
    auto flag = [&](const char* key, bool& field) {
        if (values[key].isNumber()) field = values[key].boolValue();
    };
    if (values["marqueeType"].isNumber()) m_marqueeType = static_cast<unsigned>(values["marqueeType"].integerValue());
    if (values["animationCurve"].isNumber())
        m_animationCurve = static_cast<unsigned>(values["animationCurve"].integerValue());
    number("scrollDuration", m_scrollDuration);
    number("rate", m_rate);
    number("fadeLength", m_fadeLength);
    number("animationDelay", m_animationDelay);
    flag("labelize", m_labelize);
    flag("holdScrolling", m_holdScrolling);
    if (values["leadingBuffer"].isNumber()) m_leadingBuffer = std::fabs(values["leadingBuffer"].doubleValue());
    if (values["trailingBuffer"].isNumber()) m_trailingBuffer = std::fabs(values["trailingBuffer"].doubleValue());
    if (values["tapToScroll"].isNumber()) setTapToScroll(values["tapToScroll"].boolValue());
    if (m_scrollDuration == 0) m_scrollDuration = kDefaultScrollDuration;
}

void MarqueeLabel::awakeFromNib() { forwardPropertiesToSubLabel(); }

void MarqueeLabel::prepareForInterfaceBuilder() { forwardPropertiesToSubLabel(); }

void MarqueeLabel::setupLabel() {
    setClipsToBounds(true);
    UILabel::setNumberOfLines(1);

    m_animationDelegate =
        std::make_shared<MarqueeAnimationDelegate>(std::static_pointer_cast<MarqueeLabel>(shared_from_this()));

    m_subLabel = objc::make<UILabel>(bounds());
    m_subLabel->setTag(kSubLabelTag);
    m_subLabel->layer()->setAnchorPoint(CGPointZero);
    addSubview(m_subLabel);

    m_marqueeType = MLContinuous;
    m_awayOffset = 0;
    m_animationCurve = kDefaultAnimationCurve;
    m_labelize = m_holdScrolling = m_tapToScroll = m_isPaused = false;
    m_fadeLength = 0;
    m_animationDelay = kDefaultAnimationDelay;
    m_animationDuration = 0;
    m_leadingBuffer = m_trailingBuffer = 0;

    if (!Process::current()) return;
    auto& center = NSNotificationCenter::defaultCenter();
    objc::id self = shared_from_this();
    center.addObserver(self, objc::sel("viewControllerShouldRestart:"), kMarqueeLabelControllerRestartNotification,
                       nullptr);
    center.addObserver(self, objc::sel("labelsShouldLabelize:"), kMarqueeLabelShouldLabelizeNotification, nullptr);
    center.addObserver(self, objc::sel("labelsShouldAnimate:"), kMarqueeLabelShouldAnimateNotification, nullptr);
    center.addObserver(self, objc::sel("restartLabel"), UIApplicationDidBecomeActiveNotification, nullptr);
    center.addObserver(self, objc::sel("shutdownLabel"), UIApplicationDidEnterBackgroundNotification, nullptr);
}

// --- controller-wide operations ------------------------------------------------------------------

void MarqueeLabel::postForController(const std::string& name, const objc::Ref<UIViewController>& controller) {
    if (!controller || !Process::current()) return;
    NSNotificationCenter::defaultCenter().postNotification(
        objc::make<MarqueeControllerNotification>(name, std::map<std::string, objc::id>{{"controller", controller}}));
}

void MarqueeLabel::restartLabelsOfController(const objc::Ref<UIViewController>& controller) {
    notifyController(controller, kMarqueeLabelControllerRestartNotification);
}
void MarqueeLabel::controllerViewWillAppear(const objc::Ref<UIViewController>& controller) {
    restartLabelsOfController(controller);
}
void MarqueeLabel::controllerViewDidAppear(const objc::Ref<UIViewController>& controller) {
    restartLabelsOfController(controller);
}
void MarqueeLabel::controllerViewAppearing(const objc::Ref<UIViewController>& controller) {
    restartLabelsOfController(controller);
}
void MarqueeLabel::controllerLabelsShouldLabelize(const objc::Ref<UIViewController>& controller) {
    notifyController(controller, kMarqueeLabelShouldLabelizeNotification);
}
void MarqueeLabel::controllerLabelsShouldAnimate(const objc::Ref<UIViewController>& controller) {
    notifyController(controller, kMarqueeLabelShouldAnimateNotification);
}

void MarqueeLabel::notifyController(const objc::Ref<UIViewController>& controller,
                                    const std::optional<std::string>& message) {
    if (controller && message) postForController(*message, controller);
}

UIViewController* MarqueeLabel::firstAvailableViewController() const {
    for (UIResponder* next = nextResponder(); next; next = next->nextResponder()) {
        if (auto* controller = dynamic_cast<UIViewController*>(next)) return controller;
        if (!dynamic_cast<UIView*>(next)) return nullptr;
    }
    return nullptr;
}

bool MarqueeLabel::actsOn(const NSNotification& notification) const {
    objc::id controller = MarqueeControllerNotification::objectForUserInfoKey(notification, "controller");
    return controller && controller.get() == firstAvailableViewController();
}

void MarqueeLabel::viewControllerShouldRestart(const NSNotification& notification) {
    if (actsOn(notification)) restartLabel();
}

void MarqueeLabel::labelsShouldLabelize(const NSNotification& notification) {
    if (actsOn(notification)) setLabelize(true);
}

void MarqueeLabel::labelsShouldAnimate(const NSNotification& notification) {
    if (actsOn(notification)) setLabelize(false);
}

// --- control -------------------------------------------------------------------------------------

void MarqueeLabel::restartLabel() {
    shutdownLabel();
    if (labelShouldScroll() && !m_tapToScroll && !m_holdScrolling) beginScroll();
}

void MarqueeLabel::resetLabel() {
    returnLabelToOriginImmediately();
    m_homeLabelFrame = CGRectNull;
    m_awayOffset = 0;
}

void MarqueeLabel::shutdownLabel() {
    returnLabelToOriginImmediately();
    applyGradientMaskForFadeLength(m_fadeLength, false);
}

void MarqueeLabel::pauseLabel() {
    if (m_isPaused || !awayFromHome()) return;
    auto freeze = [](CALayer* layer) {
        if (!layer) return;
        double paused = layer->convertTimeFromLayer(CACurrentMediaTime(), nullptr);
        layer->setSpeed(0);
        layer->setTimeOffset(paused);
    };
    freeze(m_subLabel->layer().get());
    freeze(layer()->mask().get());
    m_isPaused = true;
}

void MarqueeLabel::unpauseLabel() {
    if (!m_isPaused) return;
    auto thaw = [](CALayer* layer) {
        if (!layer) return;
        double paused = layer->timeOffset();
        layer->setSpeed(1);
        layer->setTimeOffset(0);
        layer->setBeginTime(0);
        layer->setBeginTime(layer->convertTimeFromLayer(CACurrentMediaTime(), nullptr) - paused);
    };
    thaw(m_subLabel->layer().get());
    thaw(layer()->mask().get());
    m_isPaused = false;
}

void MarqueeLabel::triggerScrollStart() {
    if (labelShouldScroll() && !awayFromHome()) beginScroll();
}

void MarqueeLabel::labelWasTapped(const objc::Ref<UIGestureRecognizer>&) {
    if (labelShouldScroll() && !awayFromHome()) beginScrollWithDelay(false);
}

void MarqueeLabel::beginScroll() { beginScrollWithDelay(true); }

void MarqueeLabel::beginScrollWithDelay(bool delay) {
    switch (m_marqueeType) {
    case MLLeft:
    case MLRight: scrollAwayWithInterval(m_animationDuration, delay ? m_animationDelay : 0, false); break;
    case MLContinuous:
    case MLContinuousReverse: scrollContinuousWithInterval(m_animationDuration, delay ? m_animationDelay : 0); break;
    default: scrollAwayWithInterval(m_animationDuration, m_animationDelay, true); break;
    }
}

// --- configuration -------------------------------------------------------------------------------

void MarqueeLabel::setMarqueeType(unsigned type) {
    if (type == m_marqueeType) return;
    m_marqueeType = type;
    updateSublabel();
}

void MarqueeLabel::setScrollDuration(double duration) {
    if (duration == m_scrollDuration) return;
    m_rate = 0;
    m_scrollDuration = duration;
    updateSublabel();
}

void MarqueeLabel::setRate(double rate) {
    if (rate == m_rate) return;
    m_scrollDuration = 0;
    m_rate = rate;
    updateSublabel();
}

void MarqueeLabel::setAnimationCurve(unsigned curve) {
    if (curve == m_animationCurve) return;
    constexpr unsigned allowed =
        UIViewAnimationOptionCurveEaseIn | UIViewAnimationOptionCurveEaseInOut | UIViewAnimationOptionCurveLinear;
    if ((allowed & curve) == curve) m_animationCurve = curve;
}

void MarqueeLabel::setLeadingBuffer(double buffer) {
    if (buffer == m_leadingBuffer) return;
    m_leadingBuffer = std::fabs(buffer);
    updateSublabel();
}

void MarqueeLabel::setTrailingBuffer(double buffer) {
    if (buffer == m_trailingBuffer) return;
    m_trailingBuffer = std::fabs(buffer);
    updateSublabel();
}

void MarqueeLabel::setFadeLength(double length) {
    if (length == m_fadeLength) return;
    m_fadeLength = length;
    updateSublabel();
}

void MarqueeLabel::setLabelize(bool labelize) {
    if (labelize == m_labelize) return;
    m_labelize = labelize;
    updateSublabelAndBeginScroll(true);
}

void MarqueeLabel::setHoldScrolling(bool hold) {
    if (hold == m_holdScrolling) return;
    m_holdScrolling = hold;
    if (!hold && !awayFromHome() && !m_labelize && !m_tapToScroll && labelShouldScroll()) beginScroll();
}

void MarqueeLabel::setTapToScroll(bool tap) {
    if (tap == m_tapToScroll) return;
    m_tapToScroll = tap;
    if (tap) {
        auto recognizer = objc::make<UITapGestureRecognizer>(shared_from_this(), objc::sel("labelWasTapped:"));
        addGestureRecognizer(recognizer);
        m_tapRecognizer = recognizer;
        setUserInteractionEnabled(true);
    } else {
        if (auto recognizer = m_tapRecognizer.lock()) removeGestureRecognizer(recognizer);
        m_tapRecognizer.reset();
        setUserInteractionEnabled(false);
    }
}

// --- derived -------------------------------------------------------------------------------------

CGSize MarqueeLabel::subLabelSize() const {
    // Unlimited in both directions (the platform label reads an infinite width as no limit).
    const double unlimited = std::numeric_limits<double>::infinity();
    CGSize fitting = m_subLabel->sizeThatFits(CGSize{unlimited, unlimited});
    return {std::min(fitting.width, kMaximumMeasuredWidth), bounds().size.height};
}

bool MarqueeLabel::labelShouldScroll() const {
    const auto& text = m_subLabel->text();
    if (!text || text->empty()) return false;
    if (m_labelize) return false;
    if (!(subLabelSize().width + m_leadingBuffer > bounds().size.width + kScrollEpsilon)) return false;
    return m_scrollDuration > 0 || m_rate > 0;
}

bool MarqueeLabel::awayFromHome() const {
    auto presentation = m_subLabel->layer()->presentationLayer();
    if (!presentation) return false;
    return presentation->position().x != m_homeLabelFrame.origin.x;
}

objc::Ref<CAReplicatorLayer> MarqueeLabel::replicatorLayer() const { return objc::cast<CAReplicatorLayer>(layer()); }

objc::Ref<CAGradientLayer> MarqueeLabel::maskLayer() const { return objc::cast<CAGradientLayer>(layer()->mask()); }

// --- forwarded label properties ------------------------------------------------------------------

const std::optional<std::string>& MarqueeLabel::text() const { return m_subLabel->text(); }

void MarqueeLabel::setText(const std::optional<std::string>& text) {
    if (text && m_subLabel->text() && *text == *m_subLabel->text()) return;
    m_subLabel->setText(text);
    UILabel::setText(text);
    updateSublabel();
}

objc::Ref<NSAttributedString> MarqueeLabel::attributedText() const { return m_subLabel->attributedText(); }

void MarqueeLabel::setAttributedText(const objc::Ref<NSAttributedString>& text) {
    auto current = m_subLabel->attributedText();
    if (text && current && text->isEqualToAttributedString(*current)) return;
    m_subLabel->setAttributedText(text);
    UILabel::setAttributedText(text);
    updateSublabel();
}

const objc::Ref<UIFont>& MarqueeLabel::font() const { return m_subLabel->font(); }

void MarqueeLabel::setFont(objc::Ref<UIFont> font) {
    const auto& current = m_subLabel->font();
    if (font && current && (font == current || font->isEqual(*current))) return;
    m_subLabel->setFont(font);
    UILabel::setFont(font);
    updateSublabel();
}

const UIColorRef& MarqueeLabel::textColor() const { return m_subLabel->textColor(); }
void MarqueeLabel::setTextColor(UIColorRef color) {
    m_subLabel->setTextColor(color);
    UILabel::setTextColor(color);
}

UIColorRef MarqueeLabel::backgroundColor() const { return m_subLabel->backgroundColor(); }
void MarqueeLabel::setBackgroundColor(UIColorRef color) {
    // The base initialiser sets the background before the sub-label exists.
    if (m_subLabel) m_subLabel->setBackgroundColor(color);
    UILabel::setBackgroundColor(color);
    setNeedsDisplay();
}

const UIColorRef& MarqueeLabel::shadowColor() const { return m_subLabel->shadowColor(); }
void MarqueeLabel::setShadowColor(UIColorRef color) {
    m_subLabel->setShadowColor(color);
    UILabel::setShadowColor(color);
}

const CGSize& MarqueeLabel::shadowOffset() const { return m_subLabel->shadowOffset(); }
void MarqueeLabel::setShadowOffset(const CGSize& offset) {
    m_subLabel->setShadowOffset(offset);
    UILabel::setShadowOffset(offset);
}

const UIColorRef& MarqueeLabel::highlightedTextColor() const { return m_subLabel->highlightedTextColor(); }
void MarqueeLabel::setHighlightedTextColor(UIColorRef color) {
    m_subLabel->setHighlightedTextColor(color);
    UILabel::setHighlightedTextColor(color);
}

bool MarqueeLabel::isHighlighted() const { return m_subLabel->isHighlighted(); }
void MarqueeLabel::setHighlighted(bool highlighted) {
    m_subLabel->setHighlighted(highlighted);
    UILabel::setHighlighted(highlighted);
}

bool MarqueeLabel::isEnabled() const { return m_subLabel->isEnabled(); }
void MarqueeLabel::setEnabled(bool enabled) {
    m_subLabel->setEnabled(enabled);
    UILabel::setEnabled(enabled);
}

UIBaselineAdjustment MarqueeLabel::baselineAdjustment() const { return m_subLabel->baselineAdjustment(); }
void MarqueeLabel::setBaselineAdjustment(UIBaselineAdjustment adjustment) {
    m_subLabel->setBaselineAdjustment(adjustment);
    UILabel::setBaselineAdjustment(adjustment);
}

UIColorRef MarqueeLabel::tintColor() const { return m_subLabel->tintColor(); }
void MarqueeLabel::setTintColor(UIColorRef color) {
    m_subLabel->setTintColor(color);
    UILabel::setTintColor(color);
}

UIViewContentMode MarqueeLabel::contentMode() const { return m_subLabel->contentMode(); }
void MarqueeLabel::setContentMode(UIViewContentMode mode) {
    UILabel::setContentMode(mode);
    m_subLabel->setContentMode(mode);
}

void MarqueeLabel::setIsAccessibilityElement(bool element) {
    // The platform label here has no accessibility flag of its own; the label keeps it.
    m_isAccessibilityElement = element;
}

int MarqueeLabel::numberOfLines() const { return m_subLabel->numberOfLines(); }
void MarqueeLabel::setNumberOfLines(int) { UILabel::setNumberOfLines(1); }

bool MarqueeLabel::adjustsFontSizeToFitWidth() const { return m_subLabel->adjustsFontSizeToFitWidth(); }
void MarqueeLabel::setAdjustsFontSizeToFitWidth(bool) { UILabel::setAdjustsFontSizeToFitWidth(false); }

CGFloat MarqueeLabel::minimumScaleFactor() const { return m_subLabel->minimumScaleFactor(); }
void MarqueeLabel::setMinimumScaleFactor(CGFloat) { UILabel::setMinimumScaleFactor(0); }

void MarqueeLabel::tintColorDidChange() {
    UILabel::tintColorDidChange();
    if (m_subLabel) m_subLabel->tintColorDidChange();
}

CGSize MarqueeLabel::intrinsicContentSize() const {
    CGSize size = m_subLabel->intrinsicContentSize();
    size.width += m_leadingBuffer;
    return size;
}

CGSize MarqueeLabel::sizeThatFits(const CGSize& size) const {
    CGSize fits = m_subLabel->sizeThatFits(size);
    fits.width += m_leadingBuffer;
    return fits;
}

void MarqueeLabel::forwardPropertiesToSubLabel() {
    m_subLabel->setText(UILabel::text());
    m_subLabel->setFont(UILabel::font());
    m_subLabel->setTextColor(UILabel::textColor());
    UIColorRef background = UILabel::backgroundColor();
    m_subLabel->setBackgroundColor(background ? background : UIColor::clearColor());
    m_subLabel->setShadowColor(UILabel::shadowColor());
    m_subLabel->setShadowOffset(UILabel::shadowOffset());
    // The keyed values, in order. ("minimumFontSize" has no counterpart on this platform's label.)
    m_subLabel->setBaselineAdjustment(UILabel::baselineAdjustment());
    m_subLabel->setEnabled(UILabel::isEnabled());
    m_subLabel->setHighlighted(UILabel::isHighlighted());
    m_subLabel->setHighlightedTextColor(UILabel::highlightedTextColor());
    m_subLabel->setTextAlignment(UILabel::textAlignment());
    m_subLabel->setUserInteractionEnabled(isUserInteractionEnabled());
    m_subLabel->setAdjustsFontSizeToFitWidth(UILabel::adjustsFontSizeToFitWidth());
    m_subLabel->setLineBreakMode(UILabel::lineBreakMode());
    m_subLabel->setNumberOfLines(UILabel::numberOfLines());
    m_subLabel->setContentMode(UILabel::contentMode());
}

void MarqueeLabel::minimizeLabelFrameWithMaximumSize(const CGSize& maximum, bool adjustHeight) {
    const auto& text = m_subLabel->text();
    if (!text || text->empty()) return;
    CGSize limit = maximum;
    if (limit.width == 0 && limit.height == 0)
        limit = CGSize{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    const CGSize measured = subLabelSize();
    CGRect f = frame();
    f.size.width = std::min(measured.width + 2 * m_fadeLength, limit.width);
    if (adjustHeight) f.size.height = std::min(measured.height, limit.height);
    setFrame(f);
}

// --- layout --------------------------------------------------------------------------------------

void MarqueeLabel::updateSublabelAndBeginScroll(bool begin) {
    const auto& text = m_subLabel->text();
    if (!text || text->empty() || !superview()) return;

    const CGSize measured = subLabelSize();
    const double w = measured.width;
    const double W = bounds().size.width;
    const double H = bounds().size.height;
    // Telling the layout about an unchanged size would only schedule another pass of this one.
    const CGSize intrinsic = intrinsicContentSize();
    if (!m_reportedIntrinsicSize || *m_reportedIntrinsicSize != intrinsic) {
        m_reportedIntrinsicSize = intrinsic;
        invalidateIntrinsicContentSize();
    }
    returnLabelToOriginImmediately();
    applyGradientMaskForFadeLength(m_fadeLength, true);

    auto replicator = replicatorLayer();
    if (!labelShouldScroll()) {
        setSubLabelAlignment(UILabel::textAlignment());
        setSubLabelLineBreakMode(UILabel::lineBreakMode());
        CGRect home = bounds();
        if (isRightHandType(m_marqueeType)) {
            home.size.width = std::max(0.0, W - m_leadingBuffer);
        } else {
            home = CGRect{{m_leadingBuffer, 0}, {W - m_leadingBuffer, H}};
        }
        m_homeLabelFrame = CGRectIntegral(home);
        m_awayOffset = 0;
        if (replicator) replicator->setInstanceCount(1);
        m_subLabel->setFrame(m_homeLabelFrame);
        removeGradientMask();
        return;
    }

    setSubLabelLineBreakMode(NSLineBreakMode::ByClipping);
    const double minTrailing = std::max({m_leadingBuffer, m_trailingBuffer, m_fadeLength});

    switch (m_marqueeType) {
    case MLContinuous:
    case MLContinuousReverse: {
        if (m_marqueeType == MLContinuous) {
            m_homeLabelFrame = CGRectIntegral(CGRect{{m_leadingBuffer, 0}, {w, H}});
            m_awayOffset = -(m_homeLabelFrame.size.width + minTrailing);
        } else {
            m_homeLabelFrame = CGRectIntegral(CGRect{{W - (w + m_leadingBuffer), 0}, {w, H}});
            m_awayOffset = m_homeLabelFrame.size.width + minTrailing;
        }
        m_subLabel->setFrame(m_homeLabelFrame);
        if (replicator) {
            replicator->setInstanceCount(2);
            replicator->setInstanceTransform(CATransform3DMakeTranslation(-m_awayOffset, 0, 0));
        }
        m_animationDuration = m_rate != 0 ? std::fabs(m_awayOffset) / m_rate : m_scrollDuration;
        break;
    }
    case MLLeftRight:
    case MLLeft:
    case MLRightLeft:
    case MLRight: {
        const bool right = m_marqueeType == MLRightLeft || m_marqueeType == MLRight;
        if (right) {
            m_homeLabelFrame = CGRectIntegral(CGRect{{W - (w + m_leadingBuffer), 0}, {w, H}});
            m_awayOffset = (w + m_trailingBuffer + m_leadingBuffer) - W;
        } else {
            m_homeLabelFrame = CGRectIntegral(CGRect{{m_leadingBuffer, 0}, {w, H}});
            m_awayOffset = W - (w + m_leadingBuffer + m_trailingBuffer);
        }
        m_animationDuration = m_rate != 0 ? std::fabs(m_awayOffset / m_rate) : m_scrollDuration;
        m_subLabel->setFrame(m_homeLabelFrame);
        if (replicator) replicator->setInstanceCount(1);
        setSubLabelAlignment(right ? NSTextAlignment::Right : NSTextAlignment::Left);
        break;
    }
    default:
        // Not a scroll type: nothing to place, nothing scrolls.
        m_homeLabelFrame = CGRectZero;
        m_awayOffset = 0;
        return;
    }

    if (!m_tapToScroll && !m_holdScrolling && begin) beginScroll();
}

// The label's setters re-measure even for an unchanged value, and a re-measured sub-label asks
// this label for another layout pass: set only what changes.
void MarqueeLabel::setSubLabelLineBreakMode(NSLineBreakMode mode) {
    if (m_subLabel->lineBreakMode() != mode) m_subLabel->setLineBreakMode(mode);
}

void MarqueeLabel::setSubLabelAlignment(NSTextAlignment alignment) {
    if (m_subLabel->textAlignment() != alignment) m_subLabel->setTextAlignment(alignment);
}

bool MarqueeLabel::labelReadyForScroll() const {
    if (!superview() || !window()) return false;
    UIViewController* controller = firstAvailableViewController();
    return controller && controller->isViewLoaded();
}

void MarqueeLabel::returnLabelToOriginImmediately() {
    if (auto mask = layer()->mask()) mask->removeAllAnimations();
    m_subLabel->layer()->removeAllAnimations();
    m_scrollCompletionBlock = nullptr;
}

void MarqueeLabel::scrollAwayWithInterval(double interval) { scrollAwayWithInterval(interval, true); }

void MarqueeLabel::scrollAwayWithInterval(double interval, bool delay) {
    scrollAwayWithInterval(interval, delay ? m_animationDelay : 0, true);
}

void MarqueeLabel::awayCompletion(double interval, double delay, bool shouldReturn, bool finished) {
    labelReturnedToHome(true);
    if (window() && !m_subLabel->layer()->animationForKey("position") && finished && m_scrollCompletionBlock &&
        labelShouldScroll() && !m_tapToScroll && !m_holdScrolling)
        scrollAwayWithInterval(interval, delay, shouldReturn);
}

void MarqueeLabel::scrollAwayWithInterval(double interval, double delay, bool shouldReturn) {
    if (!labelReadyForScroll()) return;
    returnLabelToOriginImmediately();
    labelWillBeginScroll();

    CATransaction::begin();
    CATransaction::setAnimationDuration(shouldReturn ? 2 * (interval + delay) : MarqueeTimingCurves::kForever);
    if (m_fadeLength != 0)
        if (auto mask = layer()->mask())
            if (auto gradient = keyFrameAnimationForGradientFadeLength(m_fadeLength, interval, delay))
                mask->addAnimation(gradient, "gradient");

    objc::WeakRef<MarqueeLabel> weak = std::static_pointer_cast<MarqueeLabel>(shared_from_this());
    m_scrollCompletionBlock = [weak, interval, delay, shouldReturn](bool finished) {
        if (auto label = weak.lock()) label->awayCompletion(interval, delay, shouldReturn, finished);
    };

    const CGPoint home = m_homeLabelFrame.origin;
    const CGPoint away{home.x + m_awayOffset, home.y};
    std::vector<CAValue> values = familyOf(m_marqueeType) == Family::Left
                                      ? std::vector<CAValue>{home, home, away, away}
                                      : std::vector<CAValue>{home, home, away, away, home};
    if (auto animation = keyFrameAnimationForProperty("position", std::move(values), interval, delay)) {
        animation->setValue(Value(true), kMarqueeLabelAnimationCompletionBlock);
        m_subLabel->layer()->addAnimation(animation, "position");
    }
    CATransaction::commit();
}

void MarqueeLabel::scrollContinuousWithInterval(double interval, double delayAmount) {
    scrollContinuousWithInterval(interval, delayAmount, nullptr, nullptr);
}

void MarqueeLabel::scrollContinuousWithInterval(double interval, double delay,
                                                objc::Ref<CAKeyframeAnimation> labelAnimation,
                                                objc::Ref<CAKeyframeAnimation> gradientAnimation) {
    if (!labelReadyForScroll()) return;
    returnLabelToOriginImmediately();
    labelWillBeginScroll();

    CATransaction::begin();
    CATransaction::setAnimationDuration(interval + delay);
    if (m_fadeLength != 0) {
        if (!gradientAnimation)
            gradientAnimation = keyFrameAnimationForGradientFadeLength(m_fadeLength, interval, delay);
        if (auto mask = layer()->mask(); mask && gradientAnimation) mask->addAnimation(gradientAnimation, "gradient");
    }
    if (!labelAnimation) {
        const CGPoint home = m_homeLabelFrame.origin;
        const CGPoint away{home.x + m_awayOffset, home.y};
        labelAnimation = keyFrameAnimationForProperty("position", {home, home, away}, interval, delay);
    }

    objc::WeakRef<MarqueeLabel> weak = std::static_pointer_cast<MarqueeLabel>(shared_from_this());
    m_scrollCompletionBlock = [weak, interval, delay, labelAnimation, gradientAnimation](bool finished) {
        if (!finished) return;
        auto label = weak.lock();
        if (!label) return;
        label->labelReturnedToHome(true);
        if (label->window() && !label->m_subLabel->layer()->animationForKey("position") && label->labelShouldScroll() &&
            !label->m_tapToScroll && !label->m_holdScrolling)
            label->scrollContinuousWithInterval(interval, delay, labelAnimation, gradientAnimation);
    };
    if (labelAnimation) {
        labelAnimation->setValue(Value(true), kMarqueeLabelAnimationCompletionBlock);
        m_subLabel->layer()->addAnimation(labelAnimation, "position");
    }
    CATransaction::commit();
}

// --- animation curves and fade mask --------------------------------------------------------------

CAMediaTimingFunctionRef MarqueeLabel::timingFunctionForAnimationOptions(unsigned options) {
    return MarqueeTimingCurves::timingFunctionForAnimationOptions(options);
}

objc::Ref<CAKeyframeAnimation> MarqueeLabel::keyFrameAnimationForProperty(const std::string& keyPath,
                                                                          std::vector<CAValue> values, double i,
                                                                          double d) {
    const Family family = familyOf(m_marqueeType);
    std::vector<double> keyTimes = MarqueeTimingCurves::positionKeyTimes(family, i, d);
    if (values.size() != keyTimes.size()) {
        const char* message = "Incorrect number of values passed for MLLeftRight-type animation";
        if (family == Family::Left) message = "Incorrect number of values passed for MLLeft-type animation";
        if (family == Family::Continuous) message = "Incorrect number of values passed for MLContinous-type animation";
        marqueeAssertionFailure(kMarqueeLabelSourceFile, message);
        return nullptr;
    }
    auto animation = CAKeyframeAnimation::animationWithKeyPath(keyPath);
    auto curve = timingFunctionForAnimationOptions(m_animationCurve);
    animation->setTimingFunctions(std::vector<CAMediaTimingFunctionRef>(keyTimes.size() - 1, curve));
    animation->setKeyTimes(std::move(keyTimes));
    animation->setValues(std::move(values));
    animation->setDelegate(m_animationDelegate);
    return animation;
}

objc::Ref<CAKeyframeAnimation> MarqueeLabel::keyFrameAnimationForGradientFadeLength(double fadeLength, double i,
                                                                                    double d) {
    auto animation = CAKeyframeAnimation::animationWithKeyPath("colors");
    auto curve = timingFunctionForAnimationOptions(m_animationCurve);
    const Family family = familyOf(m_marqueeType);
    double fadeOutAt = 0;
    if (family == Family::Continuous) {
        const double q = std::fabs((m_subLabel->bounds().size.width + m_leadingBuffer) / m_awayOffset);
        fadeOutAt = MarqueeLabelHelpers::durationPercentageForPositionPercentage(*curve, q, i + d);
    }
    animation->setKeyTimes(MarqueeTimingCurves::fadeKeyTimes(family, i, d, fadeOutAt));

    CAValue current = MarqueeFadeMask::colors(isRightHandType(m_marqueeType), !isRightHandType(m_marqueeType));
    if (auto mask = maskLayer()) {
        auto presentation = objc::cast<CAGradientLayer>(mask->presentationLayer());
        if (presentation && !presentation->colors().empty()) current = presentation->colors();
    }
    animation->setValues(MarqueeFadeMask::fadeValues(m_marqueeType, current));
    animation->setTimingFunctions(std::vector<CAMediaTimingFunctionRef>(4, curve));
    return animation;
}

std::vector<UIColorRef> MarqueeLabel::maskColorsForScrolling() const {
    return MarqueeFadeMask::restingColors(m_marqueeType, labelShouldScroll());
}

void MarqueeLabel::applyGradientMaskForFadeLength(double fadeLength, bool animated) {
    auto mask = maskLayer();
    if (mask) mask->removeAllAnimations();
    if (fadeLength <= 0) {
        removeGradientMask();
        return;
    }

    CATransaction::begin();
    CATransaction::setDisableActions(true);
    if (!mask) mask = MarqueeFadeMask::makeLayer();
    const CGRect b = bounds();
    if (!CGRectEqualToRect(mask->bounds(), b)) mask->setLocations(MarqueeFadeMask::locations(fadeLength, b.size.width));
    mask->setBounds(layer()->bounds());
    mask->setPosition(CGPoint{CGRectGetMidX(b), CGRectGetMidY(b)});
    layer()->setMask(mask);

    std::vector<UIColorRef> target = maskColorsForScrolling();
    if (!animated) {
        mask->setColors(std::move(target));
        CATransaction::commit();
        return;
    }
    CATransaction::commit();
    auto setup = GradientSetupAnimation::animationWithKeyPath("colors");
    setup->setFromValue(mask->colors());
    setup->setToValue(std::move(target));
    setup->setDuration(kSetupFadeDuration);
    setup->setRemovedOnCompletion(false);
    setup->setDelegate(m_animationDelegate);
    mask->addAnimation(setup, "setupFade");
}

void MarqueeLabel::removeGradientMask() { layer()->setMask(nullptr); }

void MarqueeLabel::animationDidStop(CAAnimation& animation, bool finished) {
    if (auto* setup = dynamic_cast<GradientSetupAnimation*>(&animation)) {
        if (auto mask = maskLayer()) {
            if (setup->toValue()) mask->setColors(setup->toValue().colors());
            mask->removeAnimationForKey("setupFade");
        }
        return;
    }
    if (m_scrollCompletionBlock) {
        // The block may replace itself (a new scroll), so run a copy.
        auto block = m_scrollCompletionBlock;
        block(finished);
    }
}

objc::Ref<CAAnimationDelegate> MarqueeLabel::animationDelegate() const { return m_animationDelegate; }

// --- view events ---------------------------------------------------------------------------------

void MarqueeLabel::didMoveToSuperview() { updateSublabel(); }

void MarqueeLabel::layoutSubviews() {
    UILabel::layoutSubviews();
    updateSublabel();
}

void MarqueeLabel::willMoveToWindow(UIWindow* newWindow) {
    if (!newWindow) shutdownLabel();
}

void MarqueeLabel::didMoveToWindow() {
    if (window())
        updateSublabel();
    else
        shutdownLabel();
}

namespace {
bool systemVersionIs80() { return UIDevice::currentDevice()->systemVersion().rfind("8.0", 0) == 0; }
}  // namespace

void MarqueeLabel::setFrame(const CGRect& frame) {
    UILabel::setFrame(frame);
    if (systemVersionIs80()) updateSublabel();
}

void MarqueeLabel::setBounds(const CGRect& bounds) {
    UILabel::setBounds(bounds);
    if (systemVersionIs80()) updateSublabel();
}

void MarqueeLabel::drawLayerInContext(CALayer&, CGContext& context) {
    UIColorRef color = UILabel::backgroundColor();
    if (!color) return;
    context.setFillColor(*color);
    context.fillRect(bounds());
}
