#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "controls/FlintWaveView.h"
#include "panel/PanelFixture.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/services/MediaRemote.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIStackView.h"
#include "platform/uikit/UIVisualEffectView.h"
#include "tests/support/GeometryExpectations.h"

namespace flint {
namespace {

using testing::PanelTest;

// The figures below are worked out by hand from the panel's tables for each screen class.
struct Expected {
    const char* profile;
    double W, H;
    double width, user, utilities, network, app, showcase, music;
    double inset, settingsSide, avatar, networkIcon, topInset, boldSize, regularSize, transport;
};

const Expected kScreens[] = {
    {"iphone-8", 375, 667, 172.5, 87.5, 167.5, 107.5, 187.5, 107.5, 132.5, 15, 55, 45, 40, 5, 11, 10, 35},
    {"iphone-8-plus", 414, 736, 192, 107, 187, 127, 207, 127, 137, 20, 60, 50, 50, 5, 11, 10, 40},
    {"iphone-x", 375, 812, 172.5, 87.5, 167.5, 137.5, 237.5, 157.5, 187.5, 15, 55, 50, 50, 10, 12, 10, 40},
    {"iphone-11", 414, 896, 192, 107, 187, 157, 257, 177, 207, 20, 60, 50, 50, 10, 13, 11, 40},
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.profile; }

class PanelLayoutTest : public PanelTest, public ::testing::WithParamInterface<Expected> {};

void expectFrame(const ios::CGRect& f, double x, double y, double w, double h, const char* what) {
    EXPECT_TRUE(testing::rectNear(f, ios::CGRectMake(x, y, w, h), 1e-9)) << what;
}

TEST_P(PanelLayoutTest, CardsZonesAndContentsFollowTheScreenClass) {
    const Expected e = GetParam();
    boot(e.profile, 2, {{"enableWave", true}, {"enableMusicShortcut", true}});
    openPanel();
    FlintHost h = host();
    ASSERT_TRUE(panelVisible());
    EXPECT_EQ(h.flintWindow()->windowLevel(), ios::UIWindowLevelStatusBar);

    const double T = 0.05 * e.H;
    expectFrame(h.topDismissView()->frame(), 0, 0, e.W, T, "top zone");
    EXPECT_EQ(h.topDismissView()->layer()->zPosition(), 10);
    expectFrame(h.icloudView()->frame(), 10, T + 10, e.width, e.user, "user");
    expectFrame(h.utilitiesView()->frame(), e.W / 2 + 5, T + 10, e.width, e.utilities, "utilities");
    const double wifiY = T + 10 + e.user + 10, cellY = T + 10 + e.utilities + 10;
    expectFrame(h.wifiView()->frame(), 10, wifiY, e.width, e.network, "wifi");
    expectFrame(h.cellularView()->frame(), e.W / 2 + 5, cellY, e.width, e.network, "cellular");
    expectFrame(h.appView()->frame(), 10, wifiY + e.network + 10, e.width, e.app, "app");
    const double showcaseY = cellY + e.network + 10;
    expectFrame(h.showcaseView()->frame(), e.W / 2 + 5, showcaseY, e.width, e.showcase, "showcase");
    expectFrame(h.musicView()->frame(), 10, showcaseY + e.showcase + 10, e.W - 20, e.music, "music");
    expectFrame(h.bottomDismissView()->frame(), (e.W - 150) / 2, e.H - 70, 150, 50, "pill");
    EXPECT_EQ(h.bottomDismissView()->layer()->cornerRadius(), 25);
    EXPECT_EQ(h.dismissLabel()->text(), "Dismiss");
    EXPECT_NEAR(h.dismissLabel()->center().x, 75, 1e-9);
    EXPECT_NEAR(h.dismissLabel()->center().y, 25, 1e-9);
    for (const auto& card : {h.icloudView(), h.utilitiesView(), h.wifiView(), h.cellularView(), h.appView(),
                             h.showcaseView(), h.musicView()}) {
        EXPECT_EQ(card->layer()->cornerRadius(), 15);
        EXPECT_TRUE(card->clipsToBounds());
    }

    // Front to back order of the root view: blur, zone, seven cards, pill.
    const auto& children = h.flintView()->subviews();
    ASSERT_EQ(children.size(), 10u);
    EXPECT_EQ(children[0], h.blurEffectView1());
    EXPECT_EQ(children[1], h.topDismissView());
    EXPECT_EQ(children[8], h.musicView());
    EXPECT_EQ(children[9], h.bottomDismissView());

    // User card.
    expectFrame(h.avatarImage()->frame(), 10, (e.user - e.avatar) / 2, e.avatar, e.avatar, "avatar");
    EXPECT_EQ(h.avatarImage()->layer()->cornerRadius(), e.avatar / 2);
    EXPECT_NEAR(h.icloudNameLabel()->frame().origin.x, 10 + e.avatar + 10, 1e-9);
    EXPECT_NEAR(ios::CGRectGetMaxX(h.icloudNameLabel()->frame()), e.width - 10, 1e-9);
    EXPECT_NEAR(h.icloudNameLabel()->center().y, e.user / 2, 1e-9);

    // Utilities card.
    const double i = e.inset;
    expectFrame(h.lockscreenButton()->frame(), i, i, 50, 50, "lock");
    expectFrame(h.screenshotButton()->frame(), e.width - i - 50, i, 50, 50, "screenshot");
    expectFrame(h.twitterButton()->frame(), i, e.utilities - i - 50, 50, 50, "social");
    expectFrame(h.redditButton()->frame(), e.width - i - 50, e.utilities - i - 50, 50, 50, "forum");
    expectFrame(h.settingButton()->frame(), (e.width - e.settingsSide) / 2, (e.utilities - e.settingsSide) / 2,
                e.settingsSide, e.settingsSide, "settings");
    EXPECT_EQ(h.settingButton()->layer()->cornerRadius(), e.settingsSide / 2);
    EXPECT_EQ(h.settingImage()->bounds().size.width, 35);
    EXPECT_EQ(h.lockscreenImage()->bounds().size.width, 25);
    EXPECT_EQ(h.lockscreenImage()->center().x, 25);

    // Wi-Fi and cellular columns.
    expectFrame(h.wifiImage()->frame(), (e.width - e.networkIcon) / 2, e.topInset, e.networkIcon, e.networkIcon,
                "wifi icon");
    EXPECT_EQ(h.cellularImage()->layer()->cornerRadius(), e.networkIcon / 2);
    EXPECT_EQ(h.wifiNameTitleLabel()->font()->pointSize(), e.boldSize);
    EXPECT_EQ(h.wifiNameTitleLabel()->font()->fontName(), ".SFUIText-Bold");
    EXPECT_EQ(h.cellularIPLabel()->font()->pointSize(), e.regularSize);
    EXPECT_EQ(h.cellularIPLabel()->font()->fontName(), ".SFUIText");
    EXPECT_NEAR(h.wifiNameLabel()->center().x, e.width / 2, 1e-9);
    const double gapB = e.H == 667 ? 2 : 5, gapC = e.H == 667 ? 3 : 5;
    EXPECT_NEAR(h.wifiNameTitleLabel()->frame().origin.y, ios::CGRectGetMaxY(h.wifiImage()->frame()) + gapB, 1e-9);
    EXPECT_NEAR(h.wifiIPTitleLabel()->frame().origin.y, ios::CGRectGetMaxY(h.wifiNameLabel()->frame()) + gapC, 1e-9);
    EXPECT_NEAR(h.wifiIPLabel()->frame().origin.y, ios::CGRectGetMaxY(h.wifiIPTitleLabel()->frame()) + gapB, 1e-9);
    // Lines of the platform's height, rounded up to whole points, keep the column inside its card.
    EXPECT_EQ(h.wifiNameTitleLabel()->frame().size.height, std::ceil(1.193 * e.boldSize));
    EXPECT_EQ(h.wifiIPLabel()->frame().size.height, std::ceil(1.193 * e.regularSize));
    EXPECT_LE(ios::CGRectGetMaxY(h.wifiIPLabel()->frame()), e.network);
    EXPECT_LE(ios::CGRectGetMaxY(h.cellularIPLabel()->frame()), e.network);

    // App card: two columns of three equal buttons, inset 2.
    expectFrame(h.appsStackView()->frame(), 2, 2, e.width - 4, e.app - 4, "apps");
    h.appsStackView()->layoutIfNeeded();
    const double columnWidth = (e.width - 4 - 5) / 2, rowHeight = (e.app - 4 - 10) / 3;
    auto b4 = h.appButton4();
    ios::CGRect f4 = b4->convertRectToView(b4->bounds(), h.appView().get());
    expectFrame(f4, 2 + columnWidth + 5, 2 + rowHeight + 5, columnWidth, rowHeight, "app 4");

    // Showcase card.
    EXPECT_EQ(h.showcaseLabel()->frame().origin.y, 5);
    EXPECT_NEAR(h.showcaseImage()->frame().origin.y, ios::CGRectGetMaxY(h.showcaseLabel()->frame()) + 5, 1e-9);
    EXPECT_NEAR(ios::CGRectGetMaxY(h.showcaseImage()->frame()), e.showcase - 5, 1e-9);
    EXPECT_EQ(h.showcaseImage()->frame().origin.x, 5);

    // Music card.
    const double mw = e.W - 20;
    expectFrame(h.artworkImage()->frame(), 0, 0, mw, e.music, "artwork");
    expectFrame(h.playImage()->frame(), (mw - e.transport) / 2, (e.music - e.transport) / 2, e.transport, e.transport,
                "play");
    EXPECT_NEAR(h.backImage()->center().x, mw / 2 - 60, 1e-9);
    EXPECT_NEAR(h.nextImage()->center().x, mw / 2 + 60, 1e-9);
    expectFrame(h.appleMusicImage()->frame(), mw - 50, e.music / 2 - 25 - 20, 40, 40, "music shortcut");
    expectFrame(h.spotifyImage()->frame(), mw - 50, e.music / 2 + 25 - 20, 40, 40, "streaming shortcut");
    expectFrame(h.waterView()->frame(), 0, e.music - 50, mw, 50, "wave");
    EXPECT_EQ(h.waterView()->completionInPercent(), e.H == 667 || e.H == 736 ? 20u : 40u);
    EXPECT_EQ(h.titleLabel()->frame().origin.y, 5);
    EXPECT_NEAR(h.titleLabel()->center().x, mw / 2, 1e-9);
    EXPECT_NEAR(h.artistLabel()->frame().origin.y, ios::CGRectGetMaxY(h.titleLabel()->frame()) + 5, 1e-9);

    // Countdown banners: above the status bar, hidden, 200 × 60 in the middle of the top band.
    auto banner = h.screenshotWindow();
    EXPECT_TRUE(banner->isHidden());
    EXPECT_EQ(banner->windowLevel(), ios::UIWindowLevelStatusBar + 100);
    expectFrame(banner->frame(), 0, 0, e.W, 0.15 * e.H, "banner window");
    expectFrame(h.lockscreenView()->frame(), (e.W - 200) / 2, (0.15 * e.H - 60) / 2, 200, 60, "banner");
    EXPECT_EQ(h.screenshotTitleLabel()->frame().origin.y, 5);
    EXPECT_NEAR(h.screenshotCountdownLabel()->center().y, 35, 1e-9);
    EXPECT_EQ(h.lockscreenTitleLabel()->text(), "Lockscreen in:");
    EXPECT_EQ(h.screenshotTitleLabel()->text(), "Screenshot in:");
}

// Where the ink of a label lies when drawn alone at scale 2: over the whole label, and in its
// rightmost inked columns.
struct TailInk {
    int top = INT_MAX, bottom = -1, tailTop = INT_MAX, tailBottom = -1, right = -1;
};
TailInk tailInk(ios::UILabel& label) {
    label.displayIfNeeded();
    auto image = ios::UIImage::imageWithSize(label.bounds().size, 2,
                                             [&](ios::CGContext& c) { label.layer()->renderInContext(c); });
    TailInk ink;
    for (int y = 0; y < image->pixelHeight(); ++y)
        for (int x = 0; x < image->pixelWidth(); ++x)
            if (image->pixelAt(x, y).a > 100) {
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ink.right = std::max(ink.right, x);
            }
    for (int y = 0; y < image->pixelHeight(); ++y)
        for (int x = std::max(0, ink.right - 2); x <= ink.right; ++x)
            if (image->pixelAt(x, y).a > 100) {
                ink.tailTop = std::min(ink.tailTop, y);
                ink.tailBottom = std::max(ink.tailBottom, y);
            }
    return ink;
}

// The ellipsis's last dot is what a cut text ends with: ink far lower than any letter (about
// 0.16 of the font's size, against an x-height of 0.55), in the lower half of the line's ink.
::testing::AssertionResult endsInEllipsis(ios::UILabel& label) {
    TailInk ink = tailInk(label);
    if (ink.right < 0) return ::testing::AssertionFailure() << "no ink";
    const double size = 2 * label.font()->pointSize();  // in pixels at scale 2
    const int tailHeight = ink.tailBottom - ink.tailTop + 1;
    if (tailHeight < 0.3 * size && ink.tailTop > (ink.top + ink.bottom) / 2) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the tail's ink spans rows " << ink.tailTop << "-" << ink.tailBottom
                                         << " of " << ink.top << "-" << ink.bottom;
}

TEST_P(PanelLayoutTest, LongNamesAndTitlesEndInAnEllipsisInsideTheirCards) {
    const Expected e = GetParam();
    bsd::DeviceNetwork network = bsd::DeviceNetwork::typicalPhone();
    const std::string wifi = "The Upstairs Flat Guest Network With A Long Name";
    const std::string carrier = "Flint Mobile Extended Roaming Partner";
    network.wifiNetworks["en0"] = wifi;
    network.carrier.name = carrier;
    boot(e.profile, 2, {{"enableMusicShortcut", true}}, network);
    const std::string title = "A Very Long Song Title That Keeps Going Past The Card";
    const std::string artist = "The Band Whose Name Is Longer Than Any Card Could Show";
    ios::MRNowPlayingPlayer::shared().setLibrary({{title, artist, ""}});
    loop().runUntilIdle();
    openPanel();
    FlintHost h = host();

    // The network names: centred in the card, as wide as the card less 5 on each side.
    for (const auto& label : {h.wifiNameLabel(), h.cellularNameLabel()}) {
        SCOPED_TRACE(*label->text());
        EXPECT_TRUE(*label->text() == wifi || *label->text() == carrier);
        expectFrame(label->frame(), 5, label->frame().origin.y, e.width - 10, label->frame().size.height, "name");
        EXPECT_TRUE(endsInEllipsis(*label));
    }
    // A short text keeps its natural width.
    EXPECT_LT(h.wifiIPTitleLabel()->frame().size.width, e.width / 2);

    // The track: centred in the card and clear of the shortcut column, 5 from it.
    const double mw = e.W - 20;
    const double shortcutLeft = h.appleMusicImage()->frame().origin.x;
    for (const auto& label : {h.titleLabel(), h.artistLabel()}) {
        SCOPED_TRACE(*label->text());
        const ios::CGRect f = label->frame();
        EXPECT_NEAR(ios::CGRectGetMidX(f), mw / 2, 1e-9);
        EXPECT_NEAR(ios::CGRectGetMaxX(f), shortcutLeft - 5, 1e-9);
        EXPECT_TRUE(endsInEllipsis(*label));
    }
}

TEST_P(PanelLayoutTest, WithoutTheMusicShortcutsTheTrackSpansTheCardLessItsInsets) {
    const Expected e = GetParam();
    boot(e.profile, 2);
    const std::string title = "A Very Long Song Title That Keeps Going Past The Card";
    ios::MRNowPlayingPlayer::shared().setLibrary({{title, "Nobody", ""}});
    loop().runUntilIdle();
    openPanel();
    const double mw = e.W - 20;
    const double titleHeight = std::ceil(1.193 * 15), artistHeight = std::ceil(1.193 * 13);
    expectFrame(host().titleLabel()->frame(), 5, 5, mw - 10, titleHeight, "title");
    expectFrame(host().artistLabel()->frame(), 5, 5 + titleHeight + 5, mw - 10, artistHeight, "artist");
    EXPECT_TRUE(endsInEllipsis(*host().titleLabel()));
}

INSTANTIATE_TEST_SUITE_P(ScreenClasses, PanelLayoutTest, ::testing::ValuesIn(kScreens), [](const auto& suite) {
    std::string name = suite.param.profile;
    for (char& c : name)
        if (c == '-') c = '_';
    return name;
});

}  // namespace
}  // namespace flint
