#include "showcase/TransformControls.h"

#include <array>

#include "controls/FlintDragView.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/Format.h"
#include "platform/uikit/NSLayoutAnchor.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIImpactFeedbackGenerator.h"
#include "platform/uikit/UISlider.h"
#include "showcase/ShowcaseSupport.h"
#include "startup/FlintPreferences.h"
#include "startup/UIColor+Container.h"

namespace flint {

using namespace showcase;
using P = HostProperty;

namespace {

// One page: its title, its three sliders (X, Y, Z), their labels, the range and the reset.
struct TransformPage {
    int tag;
    const char* title;
    P titleLabel;
    std::array<P, 3> sliders, axisLabels, valueLabels;
    P resetButton;
    float minimum, maximum, initial;
    std::string (*labelText)(float);
    const char* resetAction;
};

const std::array<TransformPage, 3>& transformPages() {
    static const std::array<TransformPage, 3> pages = {{
        {4,
         "3D Rotation",
         P::rotateTitleLabel,
         {P::rotateXSlider, P::rotateYSlider, P::rotateZSlider},
         {P::rotateXLabel, P::rotateYLabel, P::rotateZLabel},
         {P::rotateXValueLabel, P::rotateYValueLabel, P::rotateZValueLabel},
         P::rotateResetButton,
         -180,
         180,
         0,
         rotationLabelText,
         "resetRotateAngles"},
        {5,
         "Translation",
         P::translationTitleLabel,
         {P::translationXSlider, P::translationYSlider, P::translationZSlider},
         {P::translationXLabel, P::translationYLabel, P::translationZLabel},
         {P::translationXValueLabel, P::translationYValueLabel, P::translationZValueLabel},
         P::translationResetButton,
         -500,
         500,
         0,
         translationLabelText,
         "resetTranslationAngles"},
        {6,
         "Scale",
         P::scaleTitleLabel,
         {P::scaleXSlider, P::scaleYSlider, P::scaleZSlider},
         {P::scaleXLabel, P::scaleYLabel, P::scaleZLabel},
         {P::scaleXValueLabel, P::scaleYValueLabel, P::scaleZValueLabel},
         P::scaleResetButton,
         0,
         2,
         1,
         scaleLabelText,
         "resetScaleAngles"},
    }};
    return pages;
}

objc::Ref<ios::UISlider> sliderOf(const FlintHost& host, P property) {
    return objc::cast<ios::UISlider>(host.get(property));
}

objc::Ref<ios::UILabel> makeAxisLabel(const std::string& text, ios::NSTextAlignment alignment) {
    auto label = makeThemedLabel(text);
    label->setTextAlignment(alignment);
    return label;
}

// Rebuilds the bezel's transform from the nine sliders; false when the editor has none.
bool applyBezelTransform(FlintHost& host) {
    auto bezel = host.showcaseBezelImage();
    if (!bezel) return false;
    TransformValues values;
    float* rows[3] = {values.rotate, values.translate, values.scale};
    for (int p = 0; p < 3; ++p)
        for (int axis = 0; axis < 3; ++axis)
            if (auto slider = sliderOf(host, transformPages()[p].sliders[axis]))
                rows[p][axis] = slider->value();
            else
                return false;
    bezel->layer()->setTransform(bezelTransform(values));
    return true;
}

void fadeToolCard(FlintHost& host, double alpha) {
    auto card = host.toolCardView();
    if (!card) return;
    ios::UIView::animateWithDuration(
        kToolCardFadeDuration, 0, 0, [&] { card->setAlpha(alpha); }, nullptr);
}

// Puts one page's sliders back (Z, then Y, then X) and rebuilds the transform from all nine
// values, so the other pages' settings stay in effect and the bezel agrees with every slider.
void resetPage(FlintHost& host, int tag) {
    const TransformPage& page = transformPages()[tag - 4];
    for (int axis = 2; axis >= 0; --axis)
        if (auto slider = sliderOf(host, page.sliders[axis])) slider->setValue(page.initial);
    applyBezelTransform(host);
    updateLabelValues(host);
    gen = objc::make<ios::UIImpactFeedbackGenerator>(ios::UIImpactFeedbackStyle::Light);
    gen->impactOccurred();
}

void touchDrag(FlintHost& host, const objc::id&) { fadeToolCard(host, kToolCardDragAlpha); }
void touchUp(FlintHost& host, const objc::id&) { fadeToolCard(host, 1.0); }
void resetRotateAngles(FlintHost& host) { resetPage(host, 4); }
void resetTranslationAngles(FlintHost& host) { resetPage(host, 5); }
void resetScaleAngles(FlintHost& host) { resetPage(host, 6); }

}  // namespace

std::string rotationLabelText(float value) { return ios::format("%.0fº", static_cast<double>(value)); }
std::string translationLabelText(float value) { return ios::format("%.0f", static_cast<double>(value)); }
std::string scaleLabelText(float value) { return ios::format("%.1f", static_cast<double>(value)); }

ios::CATransform3D bezelTransform(const TransformValues& v) {
    // Degrees to radians in single precision, as the sliders hold their values.
    auto radians = [](float degrees) { return static_cast<double>(degrees * 3.1415927f / 180.0f); };
    using namespace ios;
    const CATransform3D rx = CATransform3DRotate(CATransform3DIdentity, radians(v.rotate[0]), 1, 0, 0);
    const CATransform3D ry = CATransform3DRotate(CATransform3DIdentity, radians(v.rotate[1]), 0, 1, 0);
    const CATransform3D rz = CATransform3DRotate(CATransform3DIdentity, radians(v.rotate[2]), 0, 0, 1);
    const CATransform3D t =
        CATransform3DTranslate(CATransform3DIdentity, v.translate[0], v.translate[1], v.translate[2]);
    const CATransform3D s = CATransform3DScale(CATransform3DIdentity, v.scale[0], v.scale[1], v.scale[2]);
    return CATransform3DConcat(CATransform3DConcat(CATransform3DConcat(CATransform3DConcat(rx, ry), rz), s), t);
}

void buildTransformPage(FlintHost& host, ios::UIView& page, int tag) {
    if (tag < 4 || tag > 6) return;
    const TransformPage& spec = transformPages()[tag - 4];
    static const char* const axisNames[3] = {"X", "Y", "Z"};

    auto title = addConstrained(page, makeThemedLabel(spec.title));
    host.set(spec.titleLabel, title);
    std::vector<objc::Ref<ios::NSLayoutConstraint>> constraints = {
        title->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
        title->topAnchor()->constraintEqualToAnchor(page.topAnchor(), 10),
    };

    objc::Ref<ios::UIView> above = title;  // the view the next row hangs from
    for (int axis = 0; axis < 3; ++axis) {
        auto slider = objc::make<ios::UISlider>(ios::CGRectZero);
        slider->setBackgroundColor(ios::UIColor::clearColor());
        slider->setMinimumValue(spec.minimum);
        slider->setMaximumValue(spec.maximum);
        slider->setValue(spec.initial);
        slider->setContinuous(true);
        slider->addTarget(host.self(), objc::sel("transformSliderAction:"), ios::UIControlEventValueChanged);
        slider->addTarget(host.self(), objc::sel("touchDrag:"), ios::UIControlEventTouchDragInside);
        slider->addTarget(host.self(), objc::sel("touchUp:"), kSliderTouchEndEvents);
        addConstrained(page, slider);
        auto axisLabel = addConstrained(page, makeAxisLabel(axisNames[axis], ios::NSTextAlignment::Right));
        auto valueLabel = addConstrained(page, makeAxisLabel(spec.labelText(spec.initial), ios::NSTextAlignment::Left));

        const double sliderGap = axis == 0 ? 15 : 20, labelGap = axis == 0 ? 20 : 25;
        constraints.insert(constraints.end(),
                           {
                               slider->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
                               slider->widthAnchor()->constraintEqualToConstant(250),
                               slider->topAnchor()->constraintEqualToAnchor(above->bottomAnchor(), sliderGap),
                               axisLabel->trailingAnchor()->constraintEqualToAnchor(slider->leadingAnchor(), -10),
                               axisLabel->topAnchor()->constraintEqualToAnchor(above->bottomAnchor(), labelGap),
                               valueLabel->leadingAnchor()->constraintEqualToAnchor(slider->trailingAnchor(), 10),
                               valueLabel->topAnchor()->constraintEqualToAnchor(above->bottomAnchor(), labelGap),
                           });
        host.set(spec.sliders[axis], slider);
        host.set(spec.axisLabels[axis], axisLabel);
        host.set(spec.valueLabels[axis], valueLabel);
        above = slider;
    }

    auto reset = ios::UIButton::buttonWithType(ios::UIButtonType::Custom);
    reset->setBackgroundColor(flintButtonColor());
    reset->layer()->setCornerRadius(30);
    reset->setTitle("Reset", ios::UIControlStateNormal);
    reset->setTitleColor(ios::UIColor::redColor(), ios::UIControlStateNormal);
    reset->addTarget(host.self(), objc::sel(spec.resetAction), ios::UIControlEventTouchUpInside);
    addConstrained(page, reset);
    constraints.insert(constraints.end(), {
                                              reset->centerXAnchor()->constraintEqualToAnchor(page.centerXAnchor()),
                                              reset->widthAnchor()->constraintEqualToConstant(170),
                                              reset->heightAnchor()->constraintEqualToConstant(60),
                                              reset->topAnchor()->constraintEqualToAnchor(above->bottomAnchor(), 30),
                                          });
    host.set(spec.resetButton, reset);
    activate(constraints);
}

void transformSliderAction(FlintHost& host, const objc::id&) {
    if (applyBezelTransform(host)) updateLabelValues(host);
}

void updateLabelValues(FlintHost& host) {
    for (const auto& page : transformPages())
        for (int axis = 0; axis < 3; ++axis) {
            auto slider = sliderOf(host, page.sliders[axis]);
            auto label = objc::cast<ios::UILabel>(host.get(page.valueLabels[axis]));
            if (slider && label) label->setText(page.labelText(slider->value()));
        }
}

const ActionTable transformActions FLINT_ACTION_TABLE = {
    {"transformSliderAction:", transformSliderAction},
    {"touchDrag:", touchDrag},
    {"touchUp:", touchUp},
    {"updateLabelValues", updateLabelValues},
    {"resetRotateAngles", resetRotateAngles},
    {"resetTranslationAngles", resetTranslationAngles},
    {"resetScaleAngles", resetScaleAngles},
};

}  // namespace flint
