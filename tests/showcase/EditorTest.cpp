// The editor: its window over the panel, the view tree and constants per screen class, the tool
// card, pages 1 to 3, the drawing buttons and colour slider, dismissal and a second launch.

#include "platform/services/MediaRemote.h"
#include "platform/uikit/TouchInjection.h"
#include "showcase/ShowcaseEditor.h"
#include "showcase/ShowcaseFixture.h"
#include "showcase/ShowcaseImages.h"
#include "tests/support/PixelProbe.h"

namespace flint {
namespace {

using testing::rectNear;
using testing::ShowcaseTest;

struct Screen {
    const char* profile;
    double W, H;
    double closedDrop;  // d
    bool homeButtonPreview;
    double previewScreen;         // h
    double saveGap;               // s
    double resetInset, resetGap;  // a, b
};

const Screen kScreens[] = {
    {"iphone-8", 375, 667, 140, true, 109, 15, 20, 20},
    {"iphone-8-plus", 414, 736, 160, true, 109, 20, 30, 40},
    {"iphone-x", 375, 812, 170, false, 133, 20, 30, 40},
    {"iphone-11", 414, 896, 200, false, 133, 20, 30, 40},
};

class EditorLayoutTest : public ShowcaseTest, public ::testing::WithParamInterface<Screen> {};

TEST_P(EditorLayoutTest, ViewTreeToolCardAndPagesFollowTheScreenClass) {
    const Screen s = GetParam();
    boot(s.profile);
    openEditor(1);
    FlintHost h = host();
    const double W = s.W, H = s.H;

    auto window = h.showcaseWindow();
    EXPECT_EQ(window->frame(), ios::CGRectMake(0, 0, W, H));
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->rootViewController()->presentedViewController(), h.showcaseController().get());
    EXPECT_EQ(h.showcaseController()->modalPresentationStyle(), ios::UIModalPresentationStyle::FullScreen);
    EXPECT_EQ(h.showcaseEditorView()->superview(), h.showcaseController()->view().get());

    EXPECT_TRUE(rectNear(h.showcaseNavbarView()->frame(), ios::CGRectMake(0, 0, W, 0.1 * H)));
    EXPECT_TRUE(rectNear(h.showcaseDismissButton()->frame(), ios::CGRectMake(W - 90, 0.1 * H - 50, 80, 50)));
    EXPECT_EQ(h.showcaseDismissButton()->titleForState(ios::UIControlStateNormal), "Dismiss");
    auto canvas = h.showcaseCanvasView();
    EXPECT_TRUE(rectNear(canvas->frame(), ios::CGRectMake(0, 0.1 * H, W, 0.9 * H)));
    EXPECT_TRUE(canvas->clipsToBounds());
    EXPECT_TRUE(rectNear(h.showcaseBackgroundImage()->frame(), ios::CGRectMake(0, 0, W, 0.9 * H)));
    // The drawing layer lies above the background, the bezel inside the background.
    ASSERT_EQ(canvas->subviews().size(), 2u);
    EXPECT_EQ(canvas->subviews()[0], h.showcaseBackgroundImage());
    EXPECT_EQ(canvas->subviews()[1], h.drawingView());
    EXPECT_EQ(h.showcaseBezelImage()->superview(), h.showcaseBackgroundImage().get());
    EXPECT_EQ(h.showcaseScreenshotImage()->superview(), h.showcaseBezelImage().get());
    EXPECT_EQ(h.showcaseScreenshotImage()->contentMode(), ios::UIViewContentMode::ScaleToFill);
    EXPECT_FALSE(h.showcaseScreenshotImage()->image());

    // The tool card starts closed; its handle strip runs along its top edge.
    auto card = h.toolCardView();
    EXPECT_EQ(card->superview(), h.showcaseEditorView().get());
    EXPECT_EQ(card->center(), ios::CGPointMake(W / 2, H + s.closedDrop));
    EXPECT_EQ(card->closedCenter(), ios::CGPointMake(W / 2, H + s.closedDrop));
    EXPECT_TRUE(rectNear(ios::CGRectMake(0, 0, card->openedCenter().x, card->openedCenter().y),
                         ios::CGRectMake(0, 0, W / 2, 0.8 * H)));
    EXPECT_TRUE(rectNear(card->bounds(), ios::CGRectMake(0, 0, W, 0.6 * H)));
    EXPECT_EQ(card->handleView()->frame(), ios::CGRectMake(0, 0, W, 80));
    EXPECT_EQ(card->layer()->cornerRadius(), 20);
    EXPECT_EQ(card->pillView()->layer()->cornerRadius(), 5);
    auto scroll = h.toolScrollView();
    EXPECT_TRUE(rectNear(scroll->frame(), ios::CGRectMake(0, 40, W, 0.6 * H - 40)));
    EXPECT_NEAR(scroll->contentSize().width, 6 * W, 1e-9);
    EXPECT_NEAR(scroll->contentSize().height, 0.6 * H - 40, 1e-9);
    ASSERT_EQ(scroll->subviews().size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(scroll->subviews()[i]->tag(), i + 1);
        EXPECT_TRUE(rectNear(scroll->subviews()[i]->frame(), ios::CGRectMake(W * i, 0, W, 0.6 * H)));
    }
    EXPECT_EQ(h.toolContentView()->tag(), 6);

    // Page 1: the preview's family follows the screen, not the template.
    auto preview = h.showcaseBezelPreviewImage();
    EXPECT_TRUE(rectNear(preview->frame(), ios::CGRectMake(W / 2 - 35, 10, 70, 140)));
    EXPECT_TRUE(showsBundleImage(preview->image(), s.homeButtonPreview ? "iPhone-silver.png" : "iPhoneX-silver.png"));
    auto screen = h.showcaseScreenshotPreviewImage();
    EXPECT_TRUE(rectNear(screen->frame(), ios::CGRectMake(4, 70 - s.previewScreen / 2, 62, s.previewScreen)));
    ASSERT_TRUE(screen->layer()->mask());
    EXPECT_EQ(screen->layer()->mask()->frame(), ios::CGRectMake(0, 0, 62, s.previewScreen));
    EXPECT_TRUE(showsBundleImage(screen->layer()->mask()->contents(),
                                 s.homeButtonPreview ? "iPhone-mask.png" : "iPhoneX-mask.png"));
    EXPECT_TRUE(rectNear(h.screenshotImageButton()->frame(), ios::CGRectMake(W / 2 - 75, 170, 150, 50)));
    EXPECT_EQ(h.screenshotImageButton()->titleForState(ios::UIControlStateNormal), "Add Image");
    EXPECT_TRUE(rectNear(h.saveImageButton()->frame(), ios::CGRectMake(W / 2 - 75, 220 + s.saveGap, 50, 50)));
    EXPECT_TRUE(rectNear(h.shareImageButton()->frame(), ios::CGRectMake(W / 2 + 25, 220 + s.saveGap, 50, 50)));
    EXPECT_TRUE(rectNear(h.saveImage()->frame(), ios::CGRectMake(12.5, 12.5, 25, 25)));
    EXPECT_EQ(h.saveImage()->image()->renderingMode(), ios::UIImageRenderingMode::AlwaysTemplate);

    // Page 2: the reset buttons sit a from the page's sides and b below the slider.
    auto slider = h.backgroundColorSlider();
    EXPECT_NEAR(slider->frame().size.width, 250, 1e-9);
    EXPECT_NEAR(slider->center().x, W / 2, 1e-9);
    const double sliderBottom = ios::CGRectGetMaxY(slider->frame());
    EXPECT_NEAR(slider->frame().origin.y, ios::CGRectGetMaxY(h.backgroundColorTitleLabel()->frame()) + 15, 1e-9);
    EXPECT_TRUE(rectNear(h.resetBackgroundImageButton()->frame(),
                         ios::CGRectMake(s.resetInset, sliderBottom + s.resetGap, 150, 60)));
    EXPECT_TRUE(rectNear(h.resetBackgroundColorButton()->frame(),
                         ios::CGRectMake(W - s.resetInset - 150, sliderBottom + s.resetGap, 150, 60)));
    EXPECT_EQ(h.backgroundImageTitleLabel()->text(), "Background Image");
    EXPECT_EQ(h.backgroundColorTitleLabel()->text(), "Background Color");
    EXPECT_TRUE(rectNear(
        h.backgroundImageButton()->frame(),
        ios::CGRectMake(W / 2 - 85, ios::CGRectGetMaxY(h.backgroundImageTitleLabel()->frame()) + 20, 170, 60)));

    // Page 3: undo, reset, redo; then pen, square, circle, arrow, text.
    auto x = [](const objc::Ref<ios::UIButton>& b) { return b->frame().origin.x; };
    EXPECT_TRUE(rectNear(h.drawingResetButton()->frame(), ios::CGRectMake(W / 2 - 25, 30, 50, 50)));
    EXPECT_NEAR(x(h.drawingUndoButton()), W / 2 - 25 - 30 - 50, 1e-9);
    EXPECT_NEAR(x(h.drawingRedoButton()), W / 2 + 25 + 30, 1e-9);
    EXPECT_TRUE(rectNear(h.drawingCircleButton()->frame(), ios::CGRectMake(W / 2 - 25, 100, 50, 50)));
    EXPECT_NEAR(x(h.drawingSquareButton()), W / 2 - 25 - 70, 1e-9);
    EXPECT_NEAR(x(h.drawingPenButton()), W / 2 - 25 - 140, 1e-9);
    EXPECT_NEAR(x(h.drawingArrowButton()), W / 2 + 25 + 20, 1e-9);
    EXPECT_NEAR(x(h.drawingTextButton()), W / 2 + 25 + 90, 1e-9);
    EXPECT_NEAR(h.drawingColorSlider()->frame().origin.y, 200, 1e-9);
    EXPECT_EQ(h.drawingResetImage()->frame().size, ios::CGSizeMake(25, 25));
    EXPECT_EQ(h.drawingUndoImage()->frame().size, ios::CGSizeMake(30, 30));
}

INSTANTIATE_TEST_SUITE_P(Screens, EditorLayoutTest, ::testing::ValuesIn(kScreens),
                         [](const auto& suite) { return "H" + std::to_string(static_cast<int>(suite.param.H)); });

TEST_F(ShowcaseTest, TheHandleOpensTheToolCardAndDismissHidesTheEditor) {
    boot("iphone-x");
    openEditor(2);
    FlintHost h = host();
    auto card = h.toolCardView();
    // The part of the handle showing above the screen's bottom edge.
    const double visibleTop = card->frame().origin.y;
    ASSERT_LT(visibleTop, 812);
    ios::tap(ios::CGPointMake(187.5, (visibleTop + 812) / 2));
    settle();
    EXPECT_EQ(card->center(), ios::CGPointMake(187.5, 0.8 * 812));
    EXPECT_TRUE(card->opened());

    press(h.showcaseDismissButton());
    settle();
    EXPECT_TRUE(h.showcaseWindow()->isHidden());
    EXPECT_EQ(h.showcaseWindow()->rootViewController()->presentedViewController(), nullptr);
    // The panel is still there underneath.
    EXPECT_TRUE(panelVisible());
}

TEST_F(ShowcaseTest, ASecondLaunchBuildsANewEditorAndDropsTheOldOne) {
    boot("iphone-x");
    openEditor(1);
    objc::WeakRef<ios::UIWindow> firstWindow = host().showcaseWindow();
    objc::WeakRef<FlintDrawingView> firstCanvas = host().drawingView();
    backToPicker();
    chooseTemplate(10);
    EXPECT_NE(host().showcaseWindow(), firstWindow.lock());
    loop().runUntilIdle();
    EXPECT_FALSE(firstWindow.lock());
    EXPECT_FALSE(firstCanvas.lock());
    EXPECT_TRUE(showsBundleImage(host().showcaseBezelImage()->image(), "iPhone-black.png"));
}

class DrawingPageTest : public ShowcaseTest {
protected:
    void SetUp() override {
        ShowcaseTest::SetUp();
        boot("iphone-x");
        openEditor(1);
        showToolPage(3);
    }
    // A pen stroke across the canvas's upper part with the tool card closed, then reopened.
    void strokeAcrossCanvas() {
        auto card = host().toolCardView();
        card->setOpened(false, false);
        layout();
        auto canvas = host().showcaseCanvasView();
        auto a = ios::convertPointToScreen(*canvas, ios::CGPointMake(20, 40));
        auto b = ios::convertPointToScreen(*canvas, ios::CGPointMake(340, 40));
        ios::drag({a, b}, 0.3);
        loop().runUntilIdle();
        card->setOpened(true, false);
        layout();
    }
    ios::UIImage::RGBA exportedAt(double x, double y) {
        FlintHost h = host();
        auto image = renderShowcaseCanvas(h);
        return image->pixelAtPoint(ios::CGPointMake(x, y));
    }
};

TEST_F(DrawingPageTest, StrokesStayInvisibleUntilTheColourSliderMoves) {
    auto drawing = host().drawingView();
    double r, g, b, a = 1;
    ASSERT_TRUE(drawing->lineColor()->getRed(&r, &g, &b, &a));
    EXPECT_EQ(a, 0);
    strokeAcrossCanvas();
    EXPECT_EQ(drawing->pathArray().size(), 1u);
    EXPECT_EQ(exportedAt(180, 40).a, 0) << "an invisible stroke";

    slideTo(host().drawingColorSlider(), 0.6f);
    auto chosen = host().drawingColorSlider()->color();
    double lr, lg, lb, la;
    ASSERT_TRUE(drawing->lineColor()->getRed(&lr, &lg, &lb, &la));
    strokeAcrossCanvas();
    ios::UIImage::RGBA p = exportedAt(180, 40);
    double cr, cg, cb, ca;
    ASSERT_TRUE(chosen->getRed(&cr, &cg, &cb, &ca));
    EXPECT_EQ(std::make_tuple(lr, lg, lb, la), std::make_tuple(cr, cg, cb, ca));
    EXPECT_GT(p.a, 200);
    EXPECT_NEAR(p.r, cr * 255, 3);
    EXPECT_NEAR(p.g, cg * 255, 3);
    EXPECT_NEAR(p.b, cb * 255, 3);
}

TEST_F(DrawingPageTest, ButtonsChooseToolsAndStepThroughTheHistory) {
    FlintHost h = host();
    auto drawing = h.drawingView();
    const std::pair<objc::Ref<ios::UIButton>, std::int32_t> tools[] = {
        {h.drawingArrowButton(), FlintDrawingToolTypeArrow},
        {h.drawingSquareButton(), FlintDrawingToolTypeRectangleFill},
        {h.drawingCircleButton(), FlintDrawingToolTypeEllipseFill},
        {h.drawingTextButton(), FlintDrawingToolTypeDraggableText},
        {h.drawingPenButton(), FlintDrawingToolTypePen},
    };
    for (const auto& [button, tool] : tools) {
        press(button);
        EXPECT_EQ(drawing->drawTool(), tool);
    }

    // Undo and redo with an empty history change nothing.
    press(h.drawingUndoButton());
    press(h.drawingRedoButton());
    EXPECT_TRUE(drawing->pathArray().empty());

    slideTo(h.drawingColorSlider(), 0.3f);
    strokeAcrossCanvas();
    strokeAcrossCanvas();
    ASSERT_EQ(drawing->pathArray().size(), 2u);
    press(h.drawingUndoButton());
    EXPECT_EQ(drawing->pathArray().size(), 1u);
    press(h.drawingRedoButton());
    EXPECT_EQ(drawing->pathArray().size(), 2u);
    press(h.drawingResetButton());
    EXPECT_TRUE(drawing->pathArray().empty());
    EXPECT_EQ(exportedAt(180, 40).a, 0);
}

// The theme's opaque colours as the screens draw them, in both appearances: the panel's utilities
// buttons, the editor's navigation bar and background, the tool card and its pill.
class ThemeAsDrawnTest : public ShowcaseTest {
protected:
    struct Drawn {
        ios::UIImage::RGBA button, navbar, background, tool, pill;
    };

    // The view drawn on its own (with its subviews) at one pixel per point, read at `point`.
    static ios::UIImage::RGBA drawnAt(ios::UIView& view, ios::CGPoint point) {
        auto image = ios::UIImage::imageWithSize(view.bounds().size, 1,
                                                 [&](ios::CGContext& c) { view.layer()->renderInContext(c); });
        return image->pixelAtPoint(point);
    }

    void expectDrawn(int style, const Drawn& want) {
        boot("iphone-x", style);
        openPanel();
        // Inside the round button, above its icon.
        auto button = host().lockscreenButton();
        ASSERT_TRUE(button);
        EXPECT_TRUE(ios::testing::pixelNear(drawnAt(*button, {button->bounds().size.width / 2, 4}), want.button, 2));

        tapView(*host().showcaseView());
        loop().runUntilIdle();
        layout();
        chooseTemplate(1);
        auto navbar = host().showcaseNavbarView();
        auto editor = host().showcaseEditorView();
        auto card = host().toolCardView();
        ASSERT_TRUE(navbar && editor && card);
        EXPECT_TRUE(ios::testing::pixelNear(drawnAt(*navbar, {4, 4}), want.navbar, 2));
        EXPECT_TRUE(
            ios::testing::pixelNear(drawnAt(*editor, {4, navbar->frame().size.height + 4}), want.background, 2));
        // Below the rounded corner, beside the handle's pill.
        EXPECT_TRUE(ios::testing::pixelNear(drawnAt(*card, {24, 40}), want.tool, 2));
        auto pill = card->pillView();
        EXPECT_TRUE(ios::testing::pixelNear(
            drawnAt(*pill, {pill->bounds().size.width / 2, pill->bounds().size.height / 2}), want.pill, 2));
    }
};

TEST_F(ThemeAsDrawnTest, Dark) {
    using ios::testing::rgba;
    expectDrawn(2, {rgba(38, 38, 41), rgba(46, 46, 48), rgba(69, 69, 71), rgba(51, 51, 51), rgba(71, 71, 71)});
}

TEST_F(ThemeAsDrawnTest, Light) {
    using ios::testing::rgba;
    expectDrawn(
        1, {rgba(227, 227, 232), rgba(240, 240, 240), rgba(255, 255, 255), rgba(237, 237, 237), rgba(214, 214, 214)});
}

TEST_F(ShowcaseTest, TheMusicCardStillFollowsTheMusicAfterTheEditorOpened) {
    boot("iphone-x");
    ios::MRNowPlayingPlayer::shared().setLibrary({{"First Song", "Band", ""}, {"Second Song", "Band", ""}});
    openEditor(4);
    press(host().showcaseDismissButton());
    settle();
    EXPECT_EQ(host().titleLabel()->text(), "First Song");
    ios::MRNowPlayingPlayer::shared().nextTrack();
    settle();
    EXPECT_EQ(host().titleLabel()->text(), "Second Song");
}

}  // namespace
}  // namespace flint
