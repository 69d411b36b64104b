#include "drawing/FlintDrawingLabelView.h"

#include <algorithm>
#include <cmath>

#include "drawing/UITextFieldDynamicFontSize.h"
#include "platform/uikit/NSValueBox.h"

using namespace ios;

namespace {

template <class R>
R* argument(std::span<const objc::id> args) {
    return args.empty() ? nullptr : dynamic_cast<R*>(args[0].get());
}

objc::Ref<UIFont> fontNamed(const std::string& name, double size) {
    objc::Ref<UIFont> font = name.empty() ? nullptr : UIFont::fontWithName(name, size);
    return font ? font : UIFont::systemFontOfSize(size);
}

}  // namespace

OBJC_CLASS_DEFINE_WITH(FlintDrawingLabelView, UIView, [](objc::Class& cls) {
    using Args = std::span<const objc::id>;
    cls.addNativeMethod("contentTapped:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        static_cast<FlintDrawingLabelView&>(self).contentTapped(argument<UITapGestureRecognizer>(args));
        return nullptr;
    });
    cls.addNativeMethod("closeTap:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        static_cast<FlintDrawingLabelView&>(self).closeTap(argument<UITapGestureRecognizer>(args));
        return nullptr;
    });
    cls.addNativeMethod("moveGesture:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        if (auto* pan = argument<UIPanGestureRecognizer>(args))
            static_cast<FlintDrawingLabelView&>(self).moveGesture(*pan);
        return nullptr;
    });
    cls.addNativeMethod("rotateViewPanGesture:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        if (auto* pan = argument<UIPanGestureRecognizer>(args))
            static_cast<FlintDrawingLabelView&>(self).rotateViewPanGesture(*pan);
        return nullptr;
    });
    cls.addNativeMethod(
        "textFieldShouldBeginEditing:", "B@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
            auto* field = argument<UITextField>(args);
            bool answer = field && static_cast<FlintDrawingLabelView&>(self).textFieldShouldBeginEditing(*field);
            return NSValueBox::box(Value(answer));
        });
    cls.addNativeMethod("textFieldDidBeginEditing:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        if (auto* field = argument<UITextField>(args))
            static_cast<FlintDrawingLabelView&>(self).textFieldDidBeginEditing(*field);
        return nullptr;
    });
    cls.addNativeMethod("textFieldEditingChanged:", "v@:@", [](objc::Object& self, objc::SEL, Args args) -> objc::id {
        if (auto* field = argument<UITextField>(args))
            static_cast<FlintDrawingLabelView&>(self).textFieldEditingChanged(*field);
        return nullptr;
    });
})

void FlintDrawingLabelView::init(const CGRect& rawFrame) {
    CGRect frame = rawFrame;
    frame.size.width = std::max(frame.size.width, 25.0);
    frame.size.height = std::max(frame.size.height, 25.0);
    UIView::init(frame);

    m_labelTextField = objc::make<UITextField>(CGRectZero);
    m_border = CAShapeLayer::layer();

    m_globalInsets = {12, 12};
    m_closeButtonOffset = {0, 0};
    m_rotateButtonOffset = {0, 0};
    m_closeButtonSize = {24, 24};
    m_rotateButtonSize = {24, 24};
    m_shadowColor = UIColor::blackColor();
    m_shadowOffset = {0, 5};
    m_shadowOpacity = 1.0;
    m_shadowRadius = 4.0;

    setBackgroundColor(UIColor::clearColor());
    setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_borderColor = UIColor::redColor();

    auto self = std::static_pointer_cast<FlintDrawingLabelView>(shared_from_this());
    m_labelTextField->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    m_labelTextField->setClipsToBounds(true);
    m_labelTextField->setDelegate(self);
    m_labelTextField->setBackgroundColor(UIColor::clearColor());
    m_labelTextField->setTintColor(UIColor::redColor());
    m_labelTextField->setTextColor(UIColor::whiteColor());
    m_labelTextField->setText(std::string());
    m_labelTextField->addTarget(self, objc::sel("textFieldEditingChanged:"), UIControlEventEditingChanged);

    m_border->setStrokeColor(m_borderColor);
    m_border->setFillColor(nullptr);
    m_border->setLineDashPattern({4, 3});

    insertSubview(m_labelTextField, 0);

    m_closeButton = objc::make<UIButton>(CGRectZero);
    m_closeButton->setAutoresizingMask(UIViewAutoresizingFlexibleRightMargin | UIViewAutoresizingFlexibleBottomMargin);
    m_closeButton->setBackgroundColor(UIColor::whiteColor());
    m_closeButton->layer()->setCornerRadius(m_globalInsets.width - 5);
    m_closeButton->setUserInteractionEnabled(true);
    addSubview(m_closeButton);

    m_rotateButton = objc::make<UIButton>(CGRectZero);
    m_rotateButton->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleTopMargin);
    m_rotateButton->setBackgroundColor(UIColor::whiteColor());
    m_rotateButton->layer()->setCornerRadius(m_globalInsets.width - 5);
    m_rotateButton->setContentMode(UIViewContentMode::Center);
    m_rotateButton->setUserInteractionEnabled(true);
    addSubview(m_rotateButton);

    applyLayout();

    m_moveRecognizer = objc::make<UIPanGestureRecognizer>(self, objc::sel("moveGesture:"));
    addGestureRecognizer(m_moveRecognizer);
    m_tapRecognizer = objc::make<UITapGestureRecognizer>(self, objc::sel("contentTapped:"));
    addGestureRecognizer(m_tapRecognizer);
    m_closeRecognizer = objc::make<UITapGestureRecognizer>(self, objc::sel("closeTap:"));
    m_closeButton->addGestureRecognizer(m_closeRecognizer);
    m_rotateRecognizer = objc::make<UIPanGestureRecognizer>(self, objc::sel("rotateViewPanGesture:"));
    m_rotateButton->addGestureRecognizer(m_rotateRecognizer);
    m_moveRecognizer->requireGestureRecognizerToFail(m_closeRecognizer);

    m_enableMoveRestriction = false;
    setEnableClose(true);
    setEnableRotate(true);
    setShowsContentShadow(true);
    showEditingHandles();
}

// --- layout -------------------------------------------------------------------------------------

void FlintDrawingLabelView::setFrame(const CGRect& frame) {
    UIView::setFrame(frame);
    refresh();
}

void FlintDrawingLabelView::didMoveToSuperview() { refresh(); }

void FlintDrawingLabelView::layoutSubviews() {
    if (!m_labelTextField) return;
    CGRect fieldBounds = m_labelTextField->bounds();
    m_border->setPath(CGPathCreateWithRect(fieldBounds, nullptr));
    m_border->setFrame(fieldBounds);
}

void FlintDrawingLabelView::applyLayout() {
    CGRect b = bounds();
    m_labelTextField->setFrame(CGRectInset(b, m_globalInsets.width, m_globalInsets.height));
    m_closeButton->setFrame({m_closeButtonOffset, m_closeButtonSize});
    m_rotateButton->setFrame({{b.size.width - m_rotateButtonSize.width + m_rotateButtonOffset.x,
                               b.size.height - m_rotateButtonSize.height + m_rotateButtonOffset.y},
                              m_rotateButtonSize});
}

void FlintDrawingLabelView::refresh() {
    UIView* parent = superview();
    if (!parent || !m_labelTextField) return;
    CGAffineTransform t = parent->transform();
    double sx = std::sqrt(t.a * t.a + t.c * t.c);
    double sy = std::sqrt(t.b * t.b + t.d * t.d);
    CGAffineTransform inverse = CGAffineTransformInvert(CGAffineTransformMakeScale(sx, sy));
    m_closeButton->setTransform(inverse);
    m_rotateButton->setTransform(inverse);
    if (m_showEditingHandles) {
        if (m_border->superlayer() != m_labelTextField->layer().get()) m_labelTextField->layer()->addSublayer(m_border);
    } else {
        m_border->removeFromSuperlayer();
    }
}

// --- appearance ---------------------------------------------------------------------------------

void FlintDrawingLabelView::setShowsContentShadow(bool shows) {
    m_showsContentShadow = shows;
    updateShadow();
}
void FlintDrawingLabelView::setShadowColor(UIColorRef color) {
    m_shadowColor = std::move(color);
    updateShadow();
}
void FlintDrawingLabelView::setShadowOffset(CGSize offset) {
    m_shadowOffset = offset;
    updateShadow();
}
void FlintDrawingLabelView::setShadowOpacity(double opacity) {
    m_shadowOpacity = opacity;
    updateShadow();
}
void FlintDrawingLabelView::setShadowRadius(double radius) {
    m_shadowRadius = radius;
    updateShadow();
}

void FlintDrawingLabelView::updateShadow() {
    if (m_showsContentShadow) {
        layer()->setShadowColor(m_shadowColor);
        layer()->setShadowOffset(m_shadowOffset);
        layer()->setShadowOpacity(static_cast<float>(m_shadowOpacity));
        layer()->setShadowRadius(m_shadowRadius);
    } else {
        layer()->setShadowColor(UIColor::clearColor());
        layer()->setShadowOffset(CGSizeZero);
        layer()->setShadowOpacity(0);
        layer()->setShadowRadius(0);
    }
}

void FlintDrawingLabelView::setEnableClose(bool enable) {
    m_enableClose = enable;
    m_closeButton->setHidden(!enable);
    m_closeButton->setUserInteractionEnabled(enable);
}

void FlintDrawingLabelView::setEnableRotate(bool enable) {
    m_enableRotate = enable;
    m_rotateButton->setHidden(!enable);
    m_rotateButton->setUserInteractionEnabled(enable);
}

void FlintDrawingLabelView::setCloseImage(UIImageRef image) {
    m_closeImage = image;
    m_closeButton->setImage(image, UIControlStateNormal);
}

void FlintDrawingLabelView::setRotateImage(UIImageRef image) {
    m_rotateImage = image;
    m_rotateButton->setImage(image, UIControlStateNormal);
}

void FlintDrawingLabelView::setFontName(const std::string& name) {
    if (name.empty()) return;
    m_fontName = name;
    m_labelTextField->setFont(fontNamed(m_fontName, m_fontSize));
    adjustsWidthToFillItsContents(*m_labelTextField);
}

void FlintDrawingLabelView::setFontSize(double size) {
    m_fontSize = size;
    m_labelTextField->setFont(fontNamed(m_fontName, size));
}

void FlintDrawingLabelView::setTextColor(UIColorRef color) {
    m_textColor = color;
    m_labelTextField->setTextColor(color);
}

void FlintDrawingLabelView::setBorderColor(UIColorRef color) {
    m_borderColor = color;
    m_border->setStrokeColor(color);
}

void FlintDrawingLabelView::setAttributedPlFlintholder(const NSAttributedStringRef& placeholder) {
    m_attributedPlaceholder = placeholder;
    if (placeholder) {
        NSAttributedPlaceholder p;
        p.string = placeholder->string();
        if (!placeholder->runs().empty()) {
            p.foregroundColor = placeholder->runs().front().foregroundColor;
            p.font = placeholder->runs().front().font;
        }
        m_labelTextField->setAttributedPlaceholder(p);
    } else {
        m_labelTextField->setAttributedPlaceholder(std::nullopt);
    }
    adjustsWidthToFillItsContents(*m_labelTextField);
}

// --- editing handles ----------------------------------------------------------------------------

void FlintDrawingLabelView::send(FlintDrawingLabelViewDelegate::Method method,
                                 void (FlintDrawingLabelViewDelegate::*call)(FlintDrawingLabelView&)) {
    auto d = m_delegate.lock();
    if (d && d->respondsToLabelViewMethod(method)) ((*d).*call)(*this);
}

void FlintDrawingLabelView::beginEditing() { m_labelTextField->becomeFirstResponder(); }

void FlintDrawingLabelView::showEditingHandles() {
    auto keep = shared_from_this();
    using M = FlintDrawingLabelViewDelegate::Method;
    send(M::WillShowEditingHandles, &FlintDrawingLabelViewDelegate::labelViewWillShowEditingHandles);
    m_showEditingHandles = true;
    if (m_enableClose) m_closeButton->setHidden(false);
    if (m_enableRotate) m_rotateButton->setHidden(false);
    refresh();
    send(M::DidShowEditingHandles, &FlintDrawingLabelViewDelegate::labelViewDidShowEditingHandles);
}

void FlintDrawingLabelView::hideEditingHandles() {
    auto keep = shared_from_this();
    m_showEditingHandles = false;
    if (m_enableClose) m_closeButton->setHidden(true);
    if (m_enableRotate) m_rotateButton->setHidden(true);
    m_labelTextField->resignFirstResponder();
    refresh();
    send(FlintDrawingLabelViewDelegate::Method::DidHideEditingHandles,
         &FlintDrawingLabelViewDelegate::labelViewDidHideEditingHandles);
}

void FlintDrawingLabelView::resizeInRect(const CGRect& rect) { adjustsFontSizeToFillRect(*m_labelTextField, rect); }

CGRect FlintDrawingLabelView::fontFittingRect(const CGRect& boxBounds) const {
    CGSize field{std::max(0.0, boxBounds.size.width - 2 * m_globalInsets.width),
                 std::max(0.0, boxBounds.size.height - 2 * m_globalInsets.height)};
    CGRect area = m_labelTextField->textRectForBounds({CGPointZero, field});
    return {boxBounds.origin, area.size};
}

// --- gestures -----------------------------------------------------------------------------------

void FlintDrawingLabelView::contentTapped(UITapGestureRecognizer*) {
    auto keep = shared_from_this();
    if (m_showEditingHandles) {
        hideEditingHandles();
        if (UIView* parent = superview()) parent->bringSubviewToFront(this);
    } else {
        showEditingHandles();
    }
}

void FlintDrawingLabelView::closeTap(UITapGestureRecognizer*) {
    auto keep = shared_from_this();
    removeFromSuperview();
    send(FlintDrawingLabelViewDelegate::Method::DidClose, &FlintDrawingLabelViewDelegate::labelViewDidClose);
}

bool FlintDrawingLabelView::textFieldShouldBeginEditing(UITextField&) {
    if (m_showEditingHandles) return true;
    contentTapped(nullptr);
    return false;
}

void FlintDrawingLabelView::textFieldDidBeginEditing(UITextField& field) {
    send(FlintDrawingLabelViewDelegate::Method::DidStartEditing,
         &FlintDrawingLabelViewDelegate::labelViewDidStartEditing);
    adjustsWidthToFillItsContents(field);
}

void FlintDrawingLabelView::textFieldEditingChanged(UITextField& field) {
    if (!m_showEditingHandles) showEditingHandles();
    adjustsWidthToFillItsContents(field);
}

CGPoint FlintDrawingLabelView::estimatedCenter() const {
    CGPoint c{m_beginningCenter.x + (m_touchLocation.x - m_beginningPoint.x),
              m_beginningCenter.y + (m_touchLocation.y - m_beginningPoint.y)};
    if (!m_enableMoveRestriction) return c;
    CGPoint now = center();
    CGRect f = frame();
    CGSize parent = superview() ? superview()->bounds().size : CGSizeZero;
    CGPoint result = now;
    if (c.x - f.size.width / 2 > 0 && c.x + f.size.width / 2 < parent.width) result.x = c.x;
    if (c.y - f.size.height / 2 > 0 && c.y + f.size.height / 2 < parent.height) result.y = c.y;
    return result;
}

void FlintDrawingLabelView::moveGesture(UIPanGestureRecognizer& recognizer) {
    auto keep = shared_from_this();
    using M = FlintDrawingLabelViewDelegate::Method;
    // A drag that began on the rotate handle is the rotate gesture's alone, to its last event:
    // by touch-up the handle's recogniser has already let go of the touch.
    UIGestureRecognizerState state = recognizer.state();
    if (state == UIGestureRecognizerState::Began) m_panOnHandle = m_rotateRecognizer->isTracking();
    bool finished = state != UIGestureRecognizerState::Began && state != UIGestureRecognizerState::Changed;
    if (m_panOnHandle) {
        if (finished) m_panOnHandle = false;
        return;
    }
    if (!m_showEditingHandles) showEditingHandles();
    // Once the finger has lifted the recogniser has no touches left: the last position stands.
    if (recognizer.numberOfTouches() > 0) m_touchLocation = recognizer.locationInView(superview());
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began:
        m_beginningPoint = m_touchLocation;
        m_beginningCenter = center();
        setCenter(estimatedCenter());
        m_beginBounds = bounds();
        send(M::DidBeginEditing, &FlintDrawingLabelViewDelegate::labelViewDidBeginEditing);
        break;
    case UIGestureRecognizerState::Changed:
        setCenter(estimatedCenter());
        send(M::DidChangeEditing, &FlintDrawingLabelViewDelegate::labelViewDidChangeEditing);
        break;
    case UIGestureRecognizerState::Ended:
        setCenter(estimatedCenter());
        send(M::DidEndEditing, &FlintDrawingLabelViewDelegate::labelViewDidEndEditing);
        break;
    default: break;
    }
}

void FlintDrawingLabelView::rotateViewPanGesture(UIPanGestureRecognizer& recognizer) {
    auto keep = shared_from_this();
    using M = FlintDrawingLabelViewDelegate::Method;
    if (recognizer.numberOfTouches() > 0) m_touchLocation = recognizer.locationInView(superview());
    CGRect f = frame();
    CGPoint c{CGRectGetMidX(f), CGRectGetMidY(f)};
    CGPoint finger = m_touchLocation;
    double distance = std::hypot(finger.x - c.x, finger.y - c.y);
    switch (recognizer.state()) {
    case UIGestureRecognizerState::Began: {
        CGAffineTransform t = transform();
        m_deltaAngle = std::atan2(finger.y - c.y, finger.x - c.x) - std::atan2(t.b, t.a);
        m_initialBounds = bounds();
        m_initialDistance = distance;
        send(M::DidBeginEditing, &FlintDrawingLabelViewDelegate::labelViewDidBeginEditing);
        break;
    }
    case UIGestureRecognizerState::Changed: {
        float angle = static_cast<float>(std::atan2(finger.y - c.y, finger.x - c.x));
        float rotation = angle - static_cast<float>(m_deltaAngle);
        setTransform(CGAffineTransformMakeRotation(rotation));

        // A rotation that began on the centre itself has no distance to scale by.
        float scale = m_initialDistance > 0 ? std::sqrt(static_cast<float>(distance / m_initialDistance)) : 1.0f;
        CGRect candidate{{m_initialBounds.origin.x * scale, m_initialBounds.origin.y * scale},
                         {m_initialBounds.size.width * scale, m_initialBounds.size.height * scale}};
        double w = candidate.size.width, h = candidate.size.height;
        bool resize = w >= 2 * m_globalInsets.width + 1 + 20 && h >= 2 * m_globalInsets.height + 1 + 20;
        if (resize && m_fontSize >= 100) resize = w < bounds().size.width;
        if (resize) {
            // The font fits the text area the field will have, so text never outgrows its field.
            adjustsFontSizeToFillRect(*m_labelTextField, fontFittingRect(candidate));
            setBounds(candidate);
        }
        send(M::DidChangeEditing, &FlintDrawingLabelViewDelegate::labelViewDidChangeEditing);
        break;
    }
    case UIGestureRecognizerState::Ended:
        send(M::DidEndEditing, &FlintDrawingLabelViewDelegate::labelViewDidEndEditing);
        break;
    default: break;
    }
}
