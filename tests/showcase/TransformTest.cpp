// The transform pages: their layout, the composite transform of the nine sliders, the value
// labels, the tool card fading while a slider is dragged, and the resets.

#include "platform/quartz/CATransform3D.h"
#include "platform/uikit/TouchInjection.h"
#include "showcase/ShowcaseFixture.h"
#include "showcase/ShowcaseImages.h"
#include "showcase/TransformControls.h"
#include "startup/FlintPreferences.h"

namespace flint {
namespace {

using testing::rectNear;
using testing::ShowcaseTest;

TEST(TransformValues, RotationThenScaleThenAnUnscaledTranslation) {
    TransformValues v;
    EXPECT_TRUE(ios::CATransform3DIsIdentity(bezelTransform(v)));

    v.translate[0] = 100;
    v.scale[0] = 2;
    ios::CATransform3D m = bezelTransform(v);
    EXPECT_DOUBLE_EQ(m.m11, 2);
    EXPECT_DOUBLE_EQ(m.m41, 100) << "the translation is not scaled";
    ios::CAPoint3D p = ios::CATransform3DProject(m, 10, 0);
    EXPECT_DOUBLE_EQ(p.x, 120);

    // About X by 90°: every point of the plane lands on y = 0, with no perspective.
    TransformValues tilt;
    tilt.rotate[0] = 90;
    m = bezelTransform(tilt);
    EXPECT_EQ(m.m34, 0);
    // The angle passes through single precision, so cos 90° is a few hundred-millionths off 0.
    EXPECT_NEAR(ios::CATransform3DProject(m, 50, 280).y, 0, 1e-4);
    EXPECT_NEAR(ios::CATransform3DProject(m, 50, 280).x, 50, 1e-9);

    // X, then Y, then Z: a point on the x axis turned 90° about Y and then about Z.
    TransformValues order;
    order.rotate[1] = 90;
    order.rotate[2] = 90;
    p = ios::CATransform3DApply(bezelTransform(order), 1, 0, 0);
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, 0, 1e-6);
    EXPECT_NEAR(std::abs(p.z), 1, 1e-6);
    p = ios::CATransform3DApply(bezelTransform(order), 0, 1, 0);
    EXPECT_NEAR(p.x, -1, 1e-6) << "y turns to -x about Z after Y left it alone";
}

TEST(TransformValues, LabelTextsUseThePagesFormats) {
    EXPECT_EQ(rotationLabelText(-0.4f), "-0\u00BA");
    EXPECT_EQ(rotationLabelText(179.6f), "180\u00BA");
    EXPECT_EQ(rotationLabelText(0), "0\u00BA");
    EXPECT_EQ(translationLabelText(-499.6f), "-500");
    EXPECT_EQ(scaleLabelText(1.96f), "2.0");
    EXPECT_EQ(scaleLabelText(1), "1.0");
}

class TransformPageTest : public ShowcaseTest {
protected:
    void SetUp() override {
        ShowcaseTest::SetUp();
        boot("iphone-x");
        openEditor(1);
    }
    // Sets a slider as a finger would end up, and sends its value-changed event.
    void setSlider(const objc::Ref<ios::UISlider>& slider, float value) {
        slider->setValue(value);
        slider->sendActionsForControlEvents(ios::UIControlEventValueChanged);
        layout();
    }
    std::string text(const objc::Ref<ios::UILabel>& label) const { return label->text().value_or("(none)"); }
    ios::CATransform3D bezelTransformNow() const { return host().showcaseBezelImage()->layer()->transform(); }
};

TEST_F(TransformPageTest, PagesStartAtTheirInitialValuesWithTheirLayout) {
    FlintHost h = host();
    EXPECT_EQ(text(h.rotateTitleLabel()), "3D Rotation");
    EXPECT_EQ(text(h.translationTitleLabel()), "Translation");
    EXPECT_EQ(text(h.scaleTitleLabel()), "Scale");
    EXPECT_EQ(text(h.rotateXValueLabel()), "0\u00BA");
    EXPECT_EQ(text(h.rotateZValueLabel()), "0\u00BA");
    EXPECT_EQ(text(h.translationYValueLabel()), "0");
    EXPECT_EQ(text(h.scaleXValueLabel()), "1.0");
    EXPECT_EQ(h.scaleZSlider()->value(), 1);
    EXPECT_EQ(h.scaleZSlider()->maximumValue(), 2);
    EXPECT_EQ(h.rotateYSlider()->minimumValue(), -180);
    EXPECT_EQ(h.translationXSlider()->maximumValue(), 500);
    EXPECT_TRUE(ios::CATransform3DIsIdentity(bezelTransformNow()));

    // Rotation page, laid out from the title down.
    const double W = 375;
    auto title = h.rotateTitleLabel();
    EXPECT_NEAR(title->frame().origin.y, 10, 1e-9);
    EXPECT_NEAR(title->center().x, W / 2, 1e-9);
    const double titleBottom = ios::CGRectGetMaxY(title->frame());
    auto x = h.rotateXSlider(), y = h.rotateYSlider(), z = h.rotateZSlider();
    EXPECT_TRUE(rectNear(x->frame(), ios::CGRectMake(W / 2 - 125, titleBottom + 15, 250, ios::kSliderHeight)));
    EXPECT_NEAR(y->frame().origin.y, ios::CGRectGetMaxY(x->frame()) + 20, 1e-9);
    EXPECT_NEAR(z->frame().origin.y, ios::CGRectGetMaxY(y->frame()) + 20, 1e-9);
    EXPECT_NEAR(ios::CGRectGetMaxX(h.rotateYLabel()->frame()), W / 2 - 125 - 10, 1e-9);
    EXPECT_NEAR(h.rotateYLabel()->frame().origin.y, ios::CGRectGetMaxY(x->frame()) + 25, 1e-9);
    EXPECT_EQ(text(h.rotateYLabel()), "Y");
    EXPECT_EQ(h.rotateYLabel()->textAlignment(), ios::NSTextAlignment::Right);
    EXPECT_NEAR(h.rotateYValueLabel()->frame().origin.x, W / 2 + 125 + 10, 1e-9);
    EXPECT_EQ(h.rotateYValueLabel()->textAlignment(), ios::NSTextAlignment::Left);
    EXPECT_TRUE(rectNear(h.rotateResetButton()->frame(),
                         ios::CGRectMake(W / 2 - 85, ios::CGRectGetMaxY(z->frame()) + 30, 170, 60)));
    EXPECT_EQ(h.rotateResetButton()->titleForState(ios::UIControlStateNormal), "Reset");
}

TEST_F(TransformPageTest, SlidersTransformTheBezelAndItsScreenshot) {
    FlintHost h = host();
    setSlider(h.translationXSlider(), 100);
    setSlider(h.scaleXSlider(), 2);
    ios::CATransform3D m = bezelTransformNow();
    EXPECT_DOUBLE_EQ(m.m41, 100);
    EXPECT_DOUBLE_EQ(m.m11, 2);
    EXPECT_EQ(text(h.translationXValueLabel()), "100");
    EXPECT_EQ(text(h.scaleXValueLabel()), "2.0");

    // Scale X at 0 flattens the bezel to nothing horizontally.
    setSlider(h.scaleXSlider(), 0);
    EXPECT_NEAR(h.showcaseBezelImage()->frame().size.width, 0, 1e-9);
    EXPECT_EQ(text(h.scaleXValueLabel()), "0.0");
}

TEST_F(TransformPageTest, ATiltAboutXCollapsesTheBezelInTheExport) {
    FlintHost h = host();
    auto bezel = h.showcaseBezelImage();
    // A point on the bezel's left rim, well above its centre, in canvas coordinates.
    const ios::CGRect b = bezel->frame();
    const ios::CGPoint rim = ios::CGPointMake(b.origin.x + 3, b.origin.y + b.size.height / 2 - 200);
    ASSERT_GT(renderShowcaseCanvas(h)->pixelAtPoint(rim).a, 200);

    setSlider(h.rotateXSlider(), 90);
    EXPECT_EQ(text(h.rotateXValueLabel()), "90\u00BA");
    EXPECT_NEAR(bezel->frame().size.height, 0, 1e-4);
    EXPECT_EQ(renderShowcaseCanvas(h)->pixelAtPoint(rim).a, 0);
}

TEST_F(TransformPageTest, TheCardFadesWhileASliderIsDraggedAndComesBackAtLift) {
    FlintHost h = host();
    showToolPage(4);
    auto slider = h.rotateZSlider();
    auto card = h.toolCardView();
    ASSERT_EQ(card->alpha(), 1);
    const double y = slider->bounds().size.height / 2;
    auto start = ios::convertPointToScreen(*slider, ios::CGPointMake(125, y));
    auto end = ios::convertPointToScreen(*slider, ios::CGPointMake(200, y));
    ios::pressAndMove({start, end}, 0.2);
    loop().advanceBy(0.2);
    EXPECT_NEAR(card->alpha(), kToolCardDragAlpha, 1e-9);
    EXPECT_GT(slider->value(), 0);
    EXPECT_EQ(text(h.rotateZValueLabel()), rotationLabelText(slider->value()));
    EXPECT_NE(bezelTransformNow().m12, 0) << "turned about Z";
    ios::sendTouch(ios::UITouchPhase::Ended, end);
    loop().advanceBy(0.2);
    EXPECT_NEAR(card->alpha(), 1.0, 1e-9);

    // The background colour slider fades the card the same way.
    showToolPage(2);
    auto colour = h.backgroundColorSlider();
    auto from = ios::convertPointToScreen(*colour, ios::CGPointMake(30, colour->bounds().size.height / 2));
    auto to = ios::convertPointToScreen(*colour, ios::CGPointMake(150, colour->bounds().size.height / 2));
    ios::pressAndMove({from, to}, 0.2);
    loop().advanceBy(0.2);
    EXPECT_NEAR(card->alpha(), kToolCardDragAlpha, 1e-9);
    ios::sendTouch(ios::UITouchPhase::Ended, to);
    loop().advanceBy(0.2);
    EXPECT_NEAR(card->alpha(), 1.0, 1e-9);
}

TEST_F(TransformPageTest, ACancelledSliderTouchBringsTheCardBack) {
    // The system takes the finger away mid-drag on a transform slider and on the background colour
    // slider: the card comes back to full opacity, and the value the finger reached stays.
    FlintHost h = host();
    auto card = h.toolCardView();
    struct Page {
        int tag;
        objc::Ref<ios::UISlider> slider;
    };
    for (const Page& page : {Page{5, h.translationYSlider()}, Page{2, h.backgroundColorSlider()}}) {
        showToolPage(page.tag);
        const double y = page.slider->bounds().size.height / 2;
        const float before = page.slider->value();
        auto from = ios::convertPointToScreen(*page.slider, ios::CGPointMake(page.tag == 2 ? 30 : 125, y));
        auto to = ios::convertPointToScreen(*page.slider, ios::CGPointMake(200, y));
        ios::pressAndMove({from, to}, 0.2);
        loop().advanceBy(0.2);
        ASSERT_NEAR(card->alpha(), kToolCardDragAlpha, 1e-9) << page.tag;
        EXPECT_EQ(ios::cancelTouches(), 1u);
        loop().advanceBy(kToolCardFadeDuration / 2);
        const double shown = card->layer()->presentationLayer()->opacity();
        EXPECT_GT(shown, kToolCardDragAlpha + 0.05) << "fading back over 0.15 s";
        EXPECT_LT(shown, 0.95);
        loop().advanceBy(0.2);
        EXPECT_NEAR(card->alpha(), 1.0, 1e-9) << page.tag;
        EXPECT_NE(page.slider->value(), before) << page.tag;
        EXPECT_EQ(ios::activeTouchCount(), 0u);
    }
}

TEST_F(TransformPageTest, AResetRestoresItsPageAndKeepsTheOtherPagesInEffect) {
    FlintHost h = host();
    setSlider(h.translationXSlider(), 100);
    setSlider(h.rotateZSlider(), 30);
    setSlider(h.rotateXSlider(), -45);
    setSlider(h.scaleYSlider(), 1.5f);
    const std::size_t lightTaps = hapticCount(ios::UIImpactFeedbackStyle::Light);

    showToolPage(4);
    press(h.rotateResetButton());
    EXPECT_EQ(h.rotateXSlider()->value(), 0);
    EXPECT_EQ(h.rotateZSlider()->value(), 0);
    EXPECT_EQ(text(h.rotateZValueLabel()), "0\u00BA");
    EXPECT_EQ(text(h.translationXValueLabel()), "100");
    // The bezel agrees with every slider: translated and scaled, no longer turned.
    TransformValues expected;
    expected.translate[0] = 100;
    expected.scale[1] = 1.5f;
    EXPECT_TRUE(ios::CATransform3DEqualToTransform(bezelTransformNow(), bezelTransform(expected)));
    EXPECT_EQ(hapticCount(ios::UIImpactFeedbackStyle::Light), lightTaps + 1);
    ASSERT_TRUE(gen);
    EXPECT_EQ(gen->style(), ios::UIImpactFeedbackStyle::Light);

    showToolPage(6);
    press(h.scaleResetButton());
    EXPECT_EQ(h.scaleYSlider()->value(), 1);
    EXPECT_EQ(text(h.scaleYValueLabel()), "1.0");
    expected.scale[1] = 1;
    EXPECT_TRUE(ios::CATransform3DEqualToTransform(bezelTransformNow(), bezelTransform(expected)));

    showToolPage(5);
    press(h.translationResetButton());
    EXPECT_TRUE(ios::CATransform3DIsIdentity(bezelTransformNow()));
    EXPECT_EQ(hapticCount(ios::UIImpactFeedbackStyle::Light), lightTaps + 3);
}

}  // namespace
}  // namespace flint
