// The template picker: its gallery and "Dismiss" button per screen class, paging, the pills, the
// hand-over of the chosen bezel to the editor and the backdrop of the appearance mode.

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/SystemLog.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "showcase/ShowcaseFixture.h"
#include "showcase/ShowcasePicker.h"

namespace flint {
namespace {

using testing::ShowcaseTest;

struct Screen {
    const char* profile;
    double W, H;
    double dismissTop, dismissTrailing;
};

const Screen kScreens[] = {
    {"iphone-8", 375, 667, 4, -5},
    {"iphone-8-plus", 414, 736, 4, -5},
    {"iphone-x", 375, 812, 10, -20},
    {"iphone-11", 414, 896, 12, -25},
};

class PickerLayoutTest : public ShowcaseTest, public ::testing::WithParamInterface<Screen> {};

TEST_P(PickerLayoutTest, TenPagesOfPreviewAndPillAndTheDismissButtonPerScreen) {
    const Screen s = GetParam();
    boot(s.profile);
    openPicker();
    FlintHost h = host();
    auto picker = h.showcasePickerView();
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->superview(), h.flintView().get());
    EXPECT_TRUE(testing::rectNear(picker->frame(), ios::CGRectMake(0, 0, s.W, s.H)));

    auto dismiss = h.dismissButton();
    EXPECT_TRUE(
        testing::rectNear(dismiss->frame(), ios::CGRectMake(s.W + s.dismissTrailing - 60, s.dismissTop, 60, 30)));
    EXPECT_EQ(dismiss->titleForState(ios::UIControlStateNormal), "Dismiss");
    EXPECT_EQ(dismiss->titleFont()->pointSize(), 11);
    EXPECT_EQ(dismiss->layer()->cornerRadius(), 15);

    const double cw = s.W, ch = 0.95 * s.H;
    EXPECT_TRUE(testing::rectNear(h.showcaseContainerView()->frame(), ios::CGRectMake(0, 0.05 * s.H, cw, ch)));
    auto scroll = h.showcaseScrollView();
    EXPECT_TRUE(testing::rectNear(scroll->frame(), ios::CGRectMake(0, 0, cw, ch)));
    EXPECT_TRUE(scroll->isPagingEnabled());
    EXPECT_FALSE(scroll->showsHorizontalScrollIndicator());
    EXPECT_NEAR(scroll->contentSize().width, 10 * cw, 1e-6);
    EXPECT_NEAR(scroll->contentSize().height, ch, 1e-6);
    ASSERT_EQ(scroll->subviews().size(), 10u);
    for (int k = 1; k <= 10; ++k) {
        auto page = scroll->subviews()[k - 1];
        EXPECT_EQ(page->tag(), k);
        EXPECT_TRUE(testing::rectNear(page->frame(), ios::CGRectMake(cw * (k - 1), 0, cw, ch))) << k;
        auto pillView = pill(k);
        EXPECT_EQ(pillView->superview(), page.get());
        EXPECT_TRUE(testing::rectNear(pillView->frame(), ios::CGRectMake((cw - 200) / 2, ch - 20 - 60, 200, 60))) << k;
        auto image = objc::cast<ios::UIImageView>(showcase::getNumbered(h, "showcaseImage", k));
        EXPECT_TRUE(testing::rectNear(image->frame(), ios::CGRectMake(20, 20, cw - 40, ch - 20 - 60 - 20 - 20))) << k;
        EXPECT_EQ(image->contentMode(), ios::UIViewContentMode::ScaleAspectFill);
        EXPECT_EQ(image->image()->renderingMode(), ios::UIImageRenderingMode::AlwaysOriginal);
        EXPECT_TRUE(showsBundleImage(image->image(), "showcase" + std::to_string(k) + ".png")) << k;
        auto label = objc::cast<ios::UILabel>(showcase::getNumbered(h, "customizeLabel", k));
        EXPECT_EQ(label->text(), "Customize");
        EXPECT_EQ(label->center(), ios::CGPointMake(100, 30));
    }
    EXPECT_EQ(h.scrollContentView()->tag(), 10);
}

INSTANTIATE_TEST_SUITE_P(Screens, PickerLayoutTest, ::testing::ValuesIn(kScreens),
                         [](const auto& suite) { return "H" + std::to_string(static_cast<int>(suite.param.H)); });

TEST_F(ShowcaseTest, ANumberedNameTheHostLacksIsLoggedAndLeftAlone) {
    boot("iphone-x");
    openPicker();
    FlintHost h = host();
    auto pill10 = showcase::getNumbered(h, "customizeView", 10);
    ASSERT_TRUE(pill10);
    objc::id found = pill10;
    EXPECT_NO_THROW(found = showcase::getNumbered(h, "customizeView", 11));
    EXPECT_FALSE(found);
    EXPECT_NO_THROW(showcase::setNumbered(h, "customizeView", 0, pill10));
    EXPECT_NO_THROW(showcase::setNumbered(h, "noSuchView", 3, pill10));
    EXPECT_EQ(showcase::getNumbered(h, "customizeView", 10), pill10) << "the real ones are untouched";
    int logged = 0;
    for (const auto& line : ios::Process::shared().log().lines())
        for (const char* name : {"customizeView11", "customizeView0", "noSuchView3"})
            if (line.find(std::string("the host has no property ") + name) != std::string::npos) ++logged;
    EXPECT_EQ(logged, 3);
}

TEST_F(ShowcaseTest, SwipesMoveTheGalleryByWholePages) {
    boot("iphone-x");
    openPicker();
    auto scroll = host().showcaseScrollView();
    const double cw = scroll->bounds().size.width;
    const ios::CGPoint mid = centreOf(*scroll);
    auto swipeLeft = [&](double distance) {
        ios::swipe(ios::CGPointMake(mid.x + distance / 2, mid.y), ios::CGPointMake(mid.x - distance / 2, mid.y), 0.2);
        settle();
    };
    swipeLeft(200);
    EXPECT_EQ(scroll->contentOffset(), ios::CGPointMake(cw, 0));
    swipeLeft(200);
    EXPECT_EQ(scroll->contentOffset(), ios::CGPointMake(2 * cw, 0));
    // A long, fast swipe still moves one page.
    swipeLeft(340);
    EXPECT_EQ(scroll->contentOffset(), ios::CGPointMake(3 * cw, 0));
    // Nine swipes more end on the last page, never past it.
    for (int i = 0; i < 9; ++i) swipeLeft(200);
    EXPECT_EQ(scroll->contentOffset(), ios::CGPointMake(9 * cw, 0));
}

TEST_F(ShowcaseTest, ThePillAndItsLabelOpenTheEditorButThePreviewDoesNot) {
    boot("iphone-x");
    openPicker();
    auto image = objc::cast<ios::UIImageView>(showcase::getNumbered(host(), "showcaseImage", 1));
    tapView(*image);
    settle();
    EXPECT_FALSE(host().showcaseWindow());
    EXPECT_TRUE(host().showcasePickerView()->superview());

    // The label inside the pill.
    tapView(*objc::cast<ios::UIView>(showcase::getNumbered(host(), "customizeLabel", 1)));
    loop().runUntilIdle();
    auto window = host().showcaseWindow();
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isHidden());
    EXPECT_EQ(window->windowLevel(), ios::UIWindowLevelStatusBar + 5);
    // The picker stays under the editor for half a second.
    loop().advanceBy(0.4);
    EXPECT_TRUE(host().showcasePickerView()->superview());
    loop().advanceBy(0.11);
    EXPECT_FALSE(host().showcasePickerView()->superview());
    EXPECT_TRUE(panelVisible());
}

TEST_F(ShowcaseTest, DismissRemovesThePickerAtOnce) {
    boot("iphone-8");
    openPicker();
    press(host().dismissButton());
    EXPECT_FALSE(host().showcasePickerView()->superview());
    EXPECT_FALSE(host().showcaseWindow());
    EXPECT_TRUE(panelVisible());
}

TEST_F(ShowcaseTest, AHomeButtonTemplateReframesTheBezelAndScreenshot) {
    boot("iphone-x");
    openEditor(8);
    FlintHost h = host();
    auto bezel = h.showcaseBezelImage(), screen = h.showcaseScreenshotImage();
    EXPECT_TRUE(showsBundleImage(bezel->image(), "iPhone-rosegold.png"));
    EXPECT_EQ(bezel->image()->renderingMode(), ios::UIImageRenderingMode::AlwaysOriginal);
    const ios::CGSize c = h.showcaseBackgroundImage()->frame().size;
    EXPECT_TRUE(testing::rectNear(bezel->frame(), ios::CGRectMake(c.width / 2 - 142, c.height / 2 - 288, 284, 576)));
    EXPECT_TRUE(testing::rectNear(screen->frame(), ios::CGRectMake(142 - 125, 288 + 2 - 220, 250, 440)));
    auto mask = screen->layer()->mask();
    ASSERT_TRUE(mask);
    EXPECT_TRUE(testing::rectNear(mask->frame(), ios::CGRectMake(0, 0, 250, 440)));
    EXPECT_TRUE(showsBundleImage(mask->contents(), "iPhone-mask.png"));
    EXPECT_TRUE(screen->layer()->masksToBounds());
}

TEST_F(ShowcaseTest, AnEdgeToEdgeTemplateChangesOnlyTheFrameImageAndMask) {
    boot("iphone-x");
    openEditor(3);
    FlintHost h = host();
    auto bezel = h.showcaseBezelImage(), screen = h.showcaseScreenshotImage();
    EXPECT_TRUE(showsBundleImage(bezel->image(), "iPhoneX-blue.png"));
    const ios::CGSize c = h.showcaseBackgroundImage()->frame().size;
    EXPECT_TRUE(
        testing::rectNear(bezel->frame(), ios::CGRectMake((c.width - 287) / 2, (c.height - 571) / 2, 287, 571)));
    EXPECT_TRUE(testing::rectNear(screen->frame(), ios::CGRectMake(18, 14.5, 251, 542)));
    ASSERT_TRUE(screen->layer()->mask());
    EXPECT_TRUE(testing::rectNear(screen->layer()->mask()->frame(), ios::CGRectMake(0, 0, 251, 542)));
    EXPECT_TRUE(showsBundleImage(screen->layer()->mask()->contents(), "iPhoneX-mask.png"));

    // Page 1 keeps the editor's own default: silver, edge to edge.
    backToPicker();
    chooseTemplate(1);
    EXPECT_TRUE(showsBundleImage(host().showcaseBezelImage()->image(), "iPhoneX-silver.png"));
    EXPECT_EQ(host().showcaseBezelImage()->frame().size, ios::CGSizeMake(287, 571));
}

TEST_F(ShowcaseTest, BezelKeysAreHeardOnlyDuringOneEditorBuild) {
    boot("iphone-x");
    openPicker();
    auto& centre = ios::NSNotificationCenter::defaultCenter();
    const objc::Object* bar = host().self().get();
    const std::string musicNames[] = {ios::kMRMediaRemoteNowPlayingInfoDidChangeNotification,
                                      ios::kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification};
    for (const auto& name : musicNames) ASSERT_EQ(centre.observerCountForTesting(bar, name), 1u) << name;
    // The pill subscribes to its key only; the editor is built at the next turn.
    showTemplatePage(8);
    tapView(*pill(8));
    EXPECT_EQ(centre.observerCountForTesting(bar, std::string("IphoneRoseGold")), 1u);
    EXPECT_EQ(centre.observerCountForTesting(bar, std::string("IphoneSilver")), 0u);
    settle();
    for (const auto& style : showcase::bezelStyles())
        EXPECT_EQ(centre.observerCountForTesting(bar, std::string(style.key)), 0u) << style.key;
    // The music card's subscriptions outlive the editor's build.
    for (const auto& name : musicNames) EXPECT_EQ(centre.observerCountForTesting(bar, name), 1u) << name;

    // Keys posted later by anyone change nothing, and a name that is no key neither.
    auto before8 = host().showcaseBezelImage()->image();
    centre.postNotificationName("IphoneXRed", nullptr);
    EXPECT_EQ(host().showcaseBezelImage()->image(), before8);
    FlintHost h = host();
    applyBezel(h, "IphonePurple");
    EXPECT_EQ(host().showcaseBezelImage()->image(), before8);
    EXPECT_EQ(host().showcaseBezelImage()->frame().size, ios::CGSizeMake(284, 576));
}

TEST_F(ShowcaseTest, ColourModeWithoutABackgroundEntryUsesTheFallbackColour) {
    boot("iphone-x", 2, {{"appearanceMode", std::string("colorMode")}});
    openPicker();
    auto colour = host().showcasePickerView()->backgroundColor();
    ASSERT_TRUE(colour);
    double r, g, b, a;
    ASSERT_TRUE(colour->getRed(&r, &g, &b, &a));
    EXPECT_NEAR(r * 255, 0x13, 0.01);
    EXPECT_NEAR(g * 255, 0x13, 0.01);
    EXPECT_NEAR(b * 255, 0x14, 0.01);
    EXPECT_EQ(a, 1);
    for (auto& v : host().showcasePickerView()->subviews()) EXPECT_FALSE(objc::cast<ios::UIVisualEffectView>(v));
}

TEST_F(ShowcaseTest, AdaptiveModeInDarkPutsADarkBlurBehindTheGallery) {
    boot("iphone-x", 2);
    openPicker();
    FlintHost h = host();
    auto picker = h.showcasePickerView();
    auto blur = h.blurEffectView1();
    ASSERT_TRUE(blur);
    EXPECT_EQ(picker->subviews().front(), blur);
    EXPECT_EQ(blur->frame(), picker->bounds());
    EXPECT_EQ(blur->alpha(), 1);
    EXPECT_EQ(h.blurEffect1()->style(), ios::UIBlurEffectStyle::Dark);
}

}  // namespace
}  // namespace flint
