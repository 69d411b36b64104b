#include "panel/PanelCards.h"

#include <cmath>

#include "controls/FlintWaveView.h"
#include "panel/NowPlayingCard.h"
#include "startup/ScreenSupport.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/SystemLog.h"
#include "platform/springboard/SBWiFiManager.h"
#include "platform/springboard/SpringBoard.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIStackView.h"
#include "startup/FlintPreferences.h"
#include "startup/UIColor+Container.h"
#include "sysinfo/SSNetworkInfo.h"
#include "sysinfo/SystemInfo.h"

namespace flint::panel {

namespace {

using ios::CGRectMake;

objc::Ref<ios::UIFont> font(const char* name, double size) {
    auto f = ios::UIFont::fontWithName(name, size);
    return f ? f : ios::UIFont::systemFontOfSize(size);
}

// A circular utilities button with its centred template icon.
void makeUtilityButton(FlintHost& host, ios::UIView& card, const ios::CGRect& frame, double iconSide, const char* icon,
                       const char* action, HostProperty buttonProperty, HostProperty imageProperty) {
    auto button = ios::UIButton::buttonWithType(ios::UIButtonType::Custom);
    button->setFrame(frame);
    button->setBackgroundColor(flintButtonColor());
    button->layer()->setCornerRadius(frame.size.width / 2);
    button->addTarget(host.self(), objc::sel(action), ios::UIControlEventTouchUpInside);

    auto image = objc::make<ios::UIImageView>(
        CGRectMake((frame.size.width - iconSide) / 2, (frame.size.height - iconSide) / 2, iconSide, iconSide));
    image->setImage(screens::bundleTemplateImage(icon));
    image->setTintColor(flintImageColor());
    image->setContentMode(ios::UIViewContentMode::ScaleAspectFit);
    image->setUserInteractionEnabled(false);  // the touch belongs to the button
    button->addSubview(image);
    card.addSubview(button);
    host.set(buttonProperty, button);
    host.set(imageProperty, image);
}

// The column of the Wi-Fi and cellular cards: icon, then title, value, title, value.
struct NetworkColumn {
    objc::Ref<ios::UIImageView> image;
    objc::Ref<ios::UILabel> nameTitle, name, ipTitle, ip;
};

NetworkColumn buildNetworkColumn(const PanelMetrics& m, ios::UIView& card, const char* icon, const char* nameTitle,
                                 const std::string& name, const char* ipTitle, const std::string& ip) {
    NetworkColumn c;
    const double side = m.networkIconSide();
    const double centreX = card.bounds().size.width / 2;
    auto bold = font(ios::UIFont::kBoldSystemFontName, m.networkBoldFontSize());
    auto regular = font(ios::UIFont::kSystemFontName, m.networkRegularFontSize());

    c.image = objc::make<ios::UIImageView>(CGRectMake(centreX - side / 2, m.networkTopInset(), side, side));
    c.image->setImage(screens::bundleImage(icon));
    c.image->setContentMode(ios::UIViewContentMode::ScaleAspectFill);
    c.image->setClipsToBounds(true);
    c.image->layer()->setCornerRadius(side / 2);
    card.addSubview(c.image);

    c.nameTitle = screens::makeLabel(nameTitle, bold);
    c.name = screens::makeLabel(name, regular);
    c.ipTitle = screens::makeLabel(ipTitle, bold);
    c.ip = screens::makeLabel(ip, regular);
    // A long network or carrier name ends in an ellipsis inside the card.
    const double maxWidth = card.bounds().size.width - 2 * PanelMetrics::kCardTextInset;
    double y = ios::CGRectGetMaxY(c.image->frame()) + m.networkGapB();
    screens::placeCentredLabel(*c.nameTitle, centreX, y, maxWidth);
    y = ios::CGRectGetMaxY(c.nameTitle->frame()) + m.networkGapB();
    screens::placeCentredLabel(*c.name, centreX, y, maxWidth);
    y = ios::CGRectGetMaxY(c.name->frame()) + m.networkGapC();
    screens::placeCentredLabel(*c.ipTitle, centreX, y, maxWidth);
    y = ios::CGRectGetMaxY(c.ipTitle->frame()) + m.networkGapB();
    screens::placeCentredLabel(*c.ip, centreX, y, maxWidth);
    for (auto& label : {c.nameTitle, c.name, c.ipTitle, c.ip}) card.addSubview(label);
    return c;
}

objc::Ref<ios::UIImageView> makeTransportImage(FlintHost& host, ios::UIView& card, const char* icon, const char* action,
                                               double centreX, double side) {
    const double centreY = card.bounds().size.height / 2;
    auto image = objc::make<ios::UIImageView>(CGRectMake(centreX - side / 2, centreY - side / 2, side, side));
    image->setImage(screens::bundleTemplateImage(icon));
    image->setTintColor(ios::UIColor::whiteColor());
    image->setAlpha(0.8);
    image->setContentMode(ios::UIViewContentMode::ScaleAspectFit);
    image->layer()->setZPosition(10);
    image->setUserInteractionEnabled(true);
    screens::addSingleTap(*image, host, action);
    card.addSubview(image);
    return image;
}

objc::Ref<ios::UIImageView> makeMusicShortcut(FlintHost& host, ios::UIView& card, const char* icon, const char* action,
                                              double centreOffsetY) {
    const ios::CGSize size = card.bounds().size;
    const double side = PanelMetrics::kMusicShortcutSide;
    auto image = objc::make<ios::UIImageView>(CGRectMake(size.width - PanelMetrics::kMusicShortcutMargin - side,
                                                         size.height / 2 + centreOffsetY - side / 2, side, side));
    image->setImage(screens::bundleImage(icon));
    image->setContentMode(ios::UIViewContentMode::ScaleAspectFit);
    image->setClipsToBounds(true);
    image->layer()->setCornerRadius(10);
    image->layer()->setZPosition(10);
    image->setUserInteractionEnabled(true);
    screens::addSingleTap(*image, host, action);
    card.addSubview(image);
    return image;
}

}  // namespace

std::string wifiNetworkText() {
    auto name = ios::SBWiFiManager::sharedInstance()->currentNetworkName();
    return ios::format("%@", name ? *name : std::string("Not connected"));
}

void buildUserCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.userCardFrame());
    screens::addSingleTap(*card, host, "launchIcloud");
    const ios::CGSize cardSize = card->bounds().size;
    const double side = m.avatarSide();

    auto avatar = objc::make<ios::UIImageView>(CGRectMake(10, (cardSize.height - side) / 2, side, side));
    ios::UIImageRef picture;
    ios::Value stored = icloudAvatarImage();
    if (const ios::Data* bytes = stored.data()) picture = ios::UIImage::imageWithData(*bytes);
    // Bytes that do not decode (or a value that is not bytes) show what no picture shows.
    if (!picture && !stored.isNone()) ios::NSLogLine("Flint: the stored avatar cannot be decoded; showing icloud.png");
    if (!picture) picture = screens::bundleImage("icloud.png");
    avatar->setImage(picture);
    avatar->setContentMode(ios::UIViewContentMode::ScaleAspectFill);
    avatar->setClipsToBounds(true);
    avatar->layer()->setCornerRadius(side / 2);
    avatar->setUserInteractionEnabled(true);
    card->addSubview(avatar);

    auto name = screens::makeLabel(userNameString());
    name->setTextAlignment(ios::NSTextAlignment::Left);
    name->setNumberOfLines(4);
    name->setUserInteractionEnabled(true);
    const double x = 10 + side + 10;
    const double width = std::max(0.0, cardSize.width - 10 - x);
    ios::CGSize fit = name->sizeThatFits(ios::CGSizeMake(width, 0));
    const double height = std::min(fit.height, cardSize.height);
    name->setFrame(CGRectMake(x, (cardSize.height - height) / 2, width, height));
    card->addSubview(name);

    root.addSubview(card);
    host.set_icloudView(card);
    host.set_avatarImage(avatar);
    host.set_icloudNameLabel(name);
}

void buildUtilitiesCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.utilitiesCardFrame());
    root.addSubview(card);
    host.set_utilitiesView(card);

    const ios::CGSize size = card->bounds().size;
    const double i = m.utilitiesInset();
    const double b = PanelMetrics::kCornerButtonSide;
    const double icon = PanelMetrics::kCornerIconSide;
    makeUtilityButton(host, *card, CGRectMake(i, i, b, b), icon, "lockscreen.png", "startLockscreenTimer",
                      HostProperty::lockscreenButton, HostProperty::lockscreenImage);
    makeUtilityButton(host, *card, CGRectMake(size.width - i - b, i, b, b), icon, "screenshot.png",
                      "startScreenshotTimer", HostProperty::screenshotButton, HostProperty::screenshotImage);
    const double s = m.settingsButtonSide();
    makeUtilityButton(host, *card, CGRectMake((size.width - s) / 2, (size.height - s) / 2, s, s),
                      PanelMetrics::kSettingsIconSide, "setting.png", "launchSettings", HostProperty::settingButton,
                      HostProperty::settingImage);
    makeUtilityButton(host, *card, CGRectMake(i, size.height - i - b, b, b), icon, "twitter.png", "launchTwitter",
                      HostProperty::twitterButton, HostProperty::twitterImage);
    makeUtilityButton(host, *card, CGRectMake(size.width - i - b, size.height - i - b, b, b), icon, "reddit.png",
                      "launchReddit", HostProperty::redditButton, HostProperty::redditImage);
}

void buildWifiCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.wifiCardFrame());
    screens::addSingleTap(*card, host, "launchWiFi");
    auto column = buildNetworkColumn(m, *card, "wifi.png", "WiFi Name:", wifiNetworkText(),
                                     "WiFi IP:", ios::format("%@\n", getIPAddress()));
    root.addSubview(card);
    host.set_wifiView(card);
    host.set_wifiImage(column.image);
    host.set_wifiNameTitleLabel(column.nameTitle);
    host.set_wifiNameLabel(column.name);
    host.set_wifiIPTitleLabel(column.ipTitle);
    host.set_wifiIPLabel(column.ip);
}

void buildCellularCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.cellularCardFrame());
    screens::addSingleTap(*card, host, "launchCellular");
    auto column = buildNetworkColumn(m, *card, "cellular.png", "Carrier Name:", ios::format("%@", carrierName()),
                                     "Carrier IP:", ios::format("%@", SSNetworkInfo::cellIPAddress()));
    root.addSubview(card);
    host.set_cellularView(card);
    host.set_cellularImage(column.image);
    host.set_cellularNameTitleLabel(column.nameTitle);
    host.set_cellularNameLabel(column.name);
    host.set_cellularIPTitleLabel(column.ipTitle);
    host.set_cellularIPLabel(column.ip);
}

void buildAppCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.appCardFrame());
    const double scale = ios::UIScreen::mainScreen()->scale();
    static constexpr HostProperty kButtons[] = {HostProperty::appButton1, HostProperty::appButton2,
                                                HostProperty::appButton3, HostProperty::appButton4,
                                                HostProperty::appButton5, HostProperty::appButton6};
    std::vector<objc::Ref<ios::UIView>> buttons;
    for (int n = 1; n <= 6; ++n) {
        auto button = ios::UIButton::buttonWithType(ios::UIButtonType::Custom);
        button->setBackgroundColor(ios::UIColor::clearColor());
        button->setClipsToBounds(true);
        button->setImage(ios::_applicationIconImageForBundleIdentifier(applicationSlot(n), 2, scale),
                         ios::UIControlStateNormal);
        std::string action = "flintOpenApps" + std::to_string(n);
        button->addTarget(host.self(), objc::sel(action), ios::UIControlEventTouchUpInside);
        host.set(kButtons[n - 1], button);
        buttons.push_back(button);
    }
    auto column = [](std::vector<objc::Ref<ios::UIView>> views) {
        auto stack = objc::make<ios::UIStackView>(views);
        stack->setAxis(ios::UILayoutConstraintAxis::Vertical);
        stack->setDistribution(ios::UIStackViewDistribution::FillEqually);
        stack->setAlignment(ios::UIStackViewAlignment::Fill);
        stack->setSpacing(5);
        return stack;
    };
    auto left = column({buttons[0], buttons[2], buttons[4]});
    auto right = column({buttons[1], buttons[3], buttons[5]});
    auto stack = objc::make<ios::UIStackView>(std::vector<objc::Ref<ios::UIView>>{left, right});
    stack->setAxis(ios::UILayoutConstraintAxis::Horizontal);
    stack->setDistribution(ios::UIStackViewDistribution::FillEqually);
    stack->setAlignment(ios::UIStackViewAlignment::Fill);
    stack->setSpacing(5);
    stack->setFrame(ios::CGRectInset(card->bounds(), 2, 2));
    card->addSubview(stack);
    // Lay the rows out now, so the buttons have their frames before the first pass of the window.
    stack->layoutIfNeeded();
    left->layoutIfNeeded();
    right->layoutIfNeeded();

    root.addSubview(card);
    host.set_appView(card);
    host.set_appsStackView(stack);
    host.set_appsStackView1(left);
    host.set_appsStackView2(right);
}

void buildShowcaseCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.showcaseCardFrame());
    screens::addSingleTap(*card, host, "displayShowcase");
    const ios::CGSize size = card->bounds().size;

    auto title = screens::makeLabel("Showcase");
    title->setUserInteractionEnabled(true);
    screens::placeCentredLabel(*title, size.width / 2, 5);
    card->addSubview(title);

    const double top = ios::CGRectGetMaxY(title->frame()) + 5;
    auto picture = objc::make<ios::UIImageView>(
        CGRectMake(5, top, std::max(0.0, size.width - 10), std::max(0.0, size.height - 5 - top)));
    picture->setImage(screens::bundleImage("showcase.png"));
    picture->setContentMode(ios::UIViewContentMode::ScaleAspectFit);
    picture->setClipsToBounds(true);
    picture->layer()->setCornerRadius(10);
    picture->setUserInteractionEnabled(true);
    card->addSubview(picture);

    root.addSubview(card);
    host.set_showcaseView(card);
    host.set_showcaseLabel(title);
    host.set_showcaseImage(picture);
}

void buildMusicCard(FlintHost& host, const PanelMetrics& m, ios::UIView& root) {
    auto card = screens::makeCard(m.musicCardFrame());
    const ios::CGSize size = card->bounds().size;

    auto artwork = objc::make<ios::UIImageView>(card->bounds());
    artwork->setImage(screens::bundleImage("music-banner.png"));
    artwork->setContentMode(ios::UIViewContentMode::ScaleAspectFill);
    artwork->setClipsToBounds(true);
    artwork->layer()->setCornerRadius(15);
    artwork->setUserInteractionEnabled(true);
    card->addSubview(artwork);
    host.set_artworkImage(artwork);

    if (enableWave()) {
        auto wave = objc::make<FlintWaveView>(ios::CGRectZero);
        wave->layer()->setZPosition(10);
        wave->startAnimation();  // replaces the link that setup started
        wave->updateWithPercentCompletion(m.wavePercent());
        // Placed as a constraint would place it (bounds and centre), so it is not made square.
        wave->setBounds(CGRectMake(0, 0, size.width, 50));
        wave->setCenter(ios::CGPointMake(size.width / 2, size.height - 25));
        card->addSubview(wave);
        host.set_waterView(wave);
    }

    // The texts change with the track: each label is centred in the card, as wide as the card
    // less its insets (and less the shortcut column, on both sides, when the shortcuts are shown),
    // and centres whatever it shows, cutting a longer text at its tail.
    double inset = PanelMetrics::kCardTextInset;
    if (enableMusicShortcut()) inset += PanelMetrics::kMusicShortcutMargin + PanelMetrics::kMusicShortcutSide;
    auto placeTrackLabel = [&](ios::UILabel& label, double top) {
        const double height = std::ceil(label.font()->lineHeight());
        label.setFrame(CGRectMake(inset, top, std::max(0.0, size.width - 2 * inset), height));
    };
    auto title = screens::makeLabel("", font(ios::UIFont::kBoldSystemFontName, 15));
    title->setBackgroundColor(ios::UIColor::clearColor());
    title->setTextColor(ios::UIColor::whiteColor());
    title->setUserInteractionEnabled(false);
    title->layer()->setZPosition(1);
    placeTrackLabel(*title, 5);
    card->addSubview(title);

    auto artist = screens::makeLabel("", font(ios::UIFont::kSystemFontName, 13));
    artist->setBackgroundColor(ios::UIColor::clearColor());
    artist->setTextColor(ios::UIColor::whiteColor());
    artist->setUserInteractionEnabled(false);
    artist->layer()->setZPosition(1);
    placeTrackLabel(*artist, ios::CGRectGetMaxY(title->frame()) + 5);
    card->addSubview(artist);

    const double side = m.transportSide();
    const double centreX = size.width / 2;
    host.set_backImage(makeTransportImage(host, *card, "back.png", "musicPreviousTrack", centreX - 60, side));
    host.set_playImage(makeTransportImage(host, *card, "play.png", "musicPlayTrack", centreX, side));
    host.set_nextImage(makeTransportImage(host, *card, "next.png", "musicNextTrack", centreX + 60, side));

    if (enableMusicShortcut()) {
        const double offset = PanelMetrics::kMusicShortcutCentreOffset;
        host.set_appleMusicImage(makeMusicShortcut(host, *card, "music.png", "launchMusic", -offset));
        host.set_spotifyImage(makeMusicShortcut(host, *card, "spotify.png", "launchSpotify", offset));
    }

    root.addSubview(card);
    host.set_musicView(card);
    host.set_titleLabel(title);
    host.set_artistLabel(artist);

    refreshMusicArtwork(host);
    refreshMusicButton(host);
    subscribeToNowPlaying(host);
}

}  // namespace flint::panel
